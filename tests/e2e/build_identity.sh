#!/usr/bin/env bash
# The native trivo and trivo.exe under Wine build the same executable, byte
# for byte, from every example and from a quiz of pictures the tool fits (a
# large JPEG, a large PNG, a large and a small PNG with transparency); the
# native tool does too with libjpeg-turbo's SIMD code switched off, and both
# tools unpack a quiz to the same files; the demo's one-file page and SCORM
# package come out the same from both as well.
source "$(dirname "$0")/common.bash"

trivo_exe="$root/build/windows/tool/trivo.exe"
[ -f "$trivo_exe" ] || die "no $trivo_exe"
unset TRIVO_PLAYER

# native_trivo and windows_trivo ARGS...: the tools with their warnings and
# progress kept in a log, shown when they fail. trivo.exe runs with the
# build tree's prefix and is given Unix paths on Wine's Z: drive.
log="$work/tool.log"
native_trivo() {
  "$trivo" "$@" >>"$log" 2>&1 || { tail -20 "$log" >&2; return 1; }
}
windows_trivo() {
  "$root/cmake/wine-run.sh" "$prefix" "$trivo_exe" "$@" >>"$log" 2>&1 || { tail -20 "$log" >&2; return 1; }
}

pictures="$work/pictures"
mkdir -p "$pictures"
convert -size 2400x1800 -seed 3 plasma:red-blue -quality 92 "$pictures/large.jpg"
convert -size 1500x1100 -seed 4 plasma:green-yellow "$pictures/large.png"
convert -size 900x675 -seed 5 plasma:orange-purple \( -size 900x675 radial-gradient: \) \
  -alpha off -compose CopyOpacity -composite "$pictures/logo.png"
convert -size 120x88 -seed 6 plasma: \( -size 120x88 gradient: \) \
  -alpha off -compose CopyOpacity -composite "$pictures/small-logo.png"
cat >"$pictures/quiz.toml" <<'EOF'
title = "Pictures"
creator = "Trivo"
explanation = "Name each picture."
kind = "picture"
reveal = "comment-and-picture"
background = "#194024"
codes = ["UN", "DEUX"]

[[question]]
text = "A large photograph"
answer = "Plasma"
picture = "large.jpg"
answer_picture = "logo.png"

[[question]]
text = "A large drawing"
answer = "Dessin"
picture = "large.png"
answer_picture = "small-logo.png"
EOF

sources=("$root"/examples/*/quiz.toml "$pictures/quiz.toml")
for source in "${sources[@]}"; do
  name=$(basename "$(dirname "$source")")
  native_trivo build "$source" -o "$work/native-$name.exe" || die "$name: trivo build failed"
  windows_trivo build "Z:$source" -o "Z:$work/windows-$name.exe" ||
    die "$name: trivo.exe build failed"
  cmp "$work/native-$name.exe" "$work/windows-$name.exe" >&2 ||
    die "$name: trivo.exe built another executable than trivo"
  echo "$name: the same $(stat -c %s "$work/native-$name.exe") bytes from trivo and trivo.exe"
done

# The one-file page and the learning-platform package too: trivo.exe carries
# the same page template as trivo.
demo="$root/examples/demo/quiz.toml"
for output in "--html:html" "--scorm 2004:zip"; do
  read -r -a option <<<"${output%%:*}"
  extension=${output##*:}
  native_trivo build "${option[@]}" "$demo" -o "$work/native-demo.$extension" || die "demo: trivo build ${option[*]} failed"
  windows_trivo build "${option[@]}" "Z:$demo" -o "Z:$work/windows-demo.$extension" ||
    die "demo: trivo.exe build ${option[*]} failed"
  cmp "$work/native-demo.$extension" "$work/windows-demo.$extension" >&2 ||
    die "demo: trivo.exe wrote another file than trivo for ${option[*]}"
  echo "demo: the same $(stat -c %s "$work/native-demo.$extension") bytes from trivo and trivo.exe for ${option[*]}"
done

# The pictures were fitted (else the comparison above proves little).
[ "$(stat -c %s "$work/native-pictures.exe")" -lt 1000000 ] || die "pictures: stored unfitted"
JSIMD_FORCENONE=1 native_trivo build "$pictures/quiz.toml" -o "$work/plain-pictures.exe" || die "pictures: trivo build failed"
cmp "$work/native-pictures.exe" "$work/plain-pictures.exe" >&2 ||
  die "pictures: libjpeg-turbo without SIMD built another executable"
echo "pictures: the same without SIMD"

native_trivo unpack "$work/native-pictures.exe" -o "$work/unpacked-native" || die "pictures: trivo unpack failed"
windows_trivo unpack "Z:$work/native-pictures.exe" -o "Z:$work/unpacked-windows" || die "pictures: trivo.exe unpack failed"
diff -r "$work/unpacked-native" "$work/unpacked-windows" >&2 || die "pictures: the two tools unpack differently"
windows_trivo build "Z:$work/unpacked-windows/quiz.toml" -o "Z:$work/rebuilt.exe" || die "pictures: trivo.exe build failed"
cmp "$work/native-pictures.exe" "$work/rebuilt.exe" >&2 || die "pictures: trivo.exe rebuilt the unpacked quiz differently"
echo "pictures: both tools unpack the same files, which build the same executable again"
