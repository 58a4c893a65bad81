#!/usr/bin/env bash
# bench/startup/startup.sh [ROUNDS]
# The start-up benchmark: makes a 96-question picture quiz from 800 x 600
# pictures (a JPEG and a PNG variant, each question with an answer
# picture), a 96-question text quiz and the demo, builds them with the tool,
# then starts each one and the empty-window program in turn under Wine,
# ROUNDS times (default 15: one start under Wine varies by a third from
# run to run on a small machine), and prints the medians of the start-up
# time over the empty window's and of the peak memory over the empty
# window's, with the file sizes, each beside its goal. Figures only: nothing fails on them.
# Needs build/windows (player, empty_window, startup_probe) and
# build/native (trivo); scripts/bench.sh builds them. With
# TRIVO_BENCH_KEEP=1 the picture quizzes are also built with --keep-pictures
# (jpegkeep, pngkeep) and measured beside the others.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-15}
trivo=$root/build/native/tool/trivo
template=$root/build/windows/app/trivo-player.exe
programs=$root/build/windows/bench/startup
prefix=$root/build/windows/wineprefix
work=$root/build/bench-startup
media=$work/media
mkdir -p "$media"

# Twelve distinct pictures per format are enough: every question still has
# its own resource, decoded on its own by the player.
source "$root/bench/picture_quiz.sh"

text_quiz() {
  local q
  {
    echo 'title = "Banc texte"'
    echo 'creator = "Banc"'
    echo 'explanation = "96 questions"'
    echo 'kind = "text"'
    echo 'reveal = "none"'
    printf 'codes = ['
    for q in $(seq 1 96); do printf '"C%d", ' "$q"; done
    echo ']'
    for q in $(seq 1 96); do
      printf '\n[[question]]\ntext = "Question numéro %d, un peu longue pour remplir la ligne"\n' "$q"
      printf 'answer = "Réponse %d"\n' "$q"
    done
  } >"$media/text.toml"
}

# build NAME SOURCE [OPTION]: builds NAME.exe and prints the build time.
build() {
  local start end
  start=$(date +%s.%N)
  "$trivo" build "$2" -o "$work/$1.exe" ${3:-} >/dev/null 2>"$work/$1.log" || { cat "$work/$1.log"; exit 1; }
  end=$(date +%s.%N)
  printf '  build %-5s %6.2f s\n' "$1" "$(echo "$end - $start" | bc)"
}

for i in $(seq 0 11); do make_picture "$i"; done
picture_quiz jpg jpg 0
picture_quiz png png 0
text_quiz
echo "== building (load: $(uptime | sed 's/.*load average: //'))"
build jpeg "$media/jpg.toml"
build png "$media/png.toml"
build text "$media/text.toml"
build demo "$root/examples/demo/quiz.toml"
programs_run=(empty.exe jpeg.exe png.exe text.exe demo.exe)
if [ "${TRIVO_BENCH_KEEP:-0}" = 1 ]; then
  build jpegkeep "$media/jpg.toml" --keep-pictures
  build pngkeep "$media/png.toml" --keep-pictures
  programs_run+=(jpegkeep.exe pngkeep.exe)
fi
cp "$programs/empty_window.exe" "$work/empty.exe"

echo "== starting each program $rounds times, interleaved (load: $(uptime | sed 's/.*load average: //'))"
"$root/cmake/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
(cd "$work" && xvfb-run -a -s "-screen 0 1280x1024x24" wine "$programs/startup_probe.exe" "$rounds" \
  "${programs_run[@]}") | tr -d '\r' >"$work/runs.txt"
echo "   (load after: $(uptime | sed 's/.*load average: //'))"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column_of() { awk -v p="$1" -v c="$2" '$2 == p { print $c }' "$work/runs.txt" | median; }
size_kb() { echo $(($(stat -c %s "$1") / 1024)); }

empty_ms=$(column_of empty.exe 3)
empty_kb=$(column_of empty.exe 4)
printf '\nempty window: %s ms, peak %s MB\n' "$empty_ms" "$(echo "scale=1; $empty_kb / 1024" | bc)"
printf '%-6s %9s %8s %12s %8s %10s %9s\n' quiz start-up goal memory goal file goal
report() {
  local name=$1 ratio_goal=$2 memory_goal=$3 file_goal=$4
  local ms kb
  ms=$(column_of "$name.exe" 3)
  kb=$(column_of "$name.exe" 4)
  printf '%-6s %8.1fx %8s %+9.1f MB %8s %7s KB %9s\n' "$name" "$(echo "scale=3; $ms / $empty_ms" | bc)" \
    "$ratio_goal" "$(echo "scale=3; ($kb - $empty_kb) / 1024" | bc)" "$memory_goal" \
    "$(size_kb "$work/$name.exe")" "$file_goal"
}
report jpeg '<= 4x' '<= +32' '<= 4096'
report png '<= 4x' '<= +32' '-'
report text '-' '-' '-'
report demo '-' '-' '< 500'
if [ "${TRIVO_BENCH_KEEP:-0}" = 1 ]; then
  report jpegkeep '-' '-' '-'
  report pngkeep '-' '-' '-'
fi
printf 'template %s KB (goal <= 400 KB)\n' "$(size_kb "$template")"
