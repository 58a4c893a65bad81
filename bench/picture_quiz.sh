# Sourced by the benchmarks that need the 96-question picture quiz
# (bench/startup/startup.sh, bench/build/build_speed.sh); they set `media`,
# the folder the pictures and sources go to.

# make_picture N: pN.jpg and pN.png, 800 x 600, made once.
make_picture() {
  [ -f "$media/p$1.png" ] && return
  convert -size 800x600 -seed "$1" plasma:steelblue-orange -blur 0x1 -fill white -pointsize 90 \
    -annotate +60+320 "Image $1" -quality 85 "$media/p$1.jpg"
  convert "$media/p$1.jpg" "$media/p$1.png"
}

# picture_quiz NAME EXT DISTINCT: the 96-question source; DISTINCT=1 gives every
# picture its own file.
picture_quiz() {
  local name=$1 ext=$2 distinct=$3 q qp ap
  {
    echo 'title = "Banc images"'
    echo 'creator = "Banc"'
    echo 'explanation = "96 images"'
    echo 'kind = "picture"'
    echo 'reveal = "picture"'
    echo 'background = "#3C6E71"'
    printf 'codes = ['
    for q in $(seq 1 96); do printf '"C%d", ' "$q"; done
    echo ']'
    for q in $(seq 1 96); do
      if [ "$distinct" = 1 ]; then
        qp=$((2 * q - 2)) ap=$((2 * q - 1))
      else
        qp=$((q % 12)) ap=$(((q + 5) % 12))
      fi
      printf '\n[[question]]\ntext = "Q%d"\nanswer = "R%d"\n' "$q" "$q"
      printf 'picture = "p%d.%s"\nanswer_picture = "p%d.%s"\n' "$qp" "$ext" "$ap" "$ext"
    done
  } >"$media/$name.toml"
}
