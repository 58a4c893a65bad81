#!/usr/bin/env bash
# bench/build/build_speed.sh [ROUNDS]
# How long `trivo build` takes for the 96-question picture quiz of the
# start-up benchmark (800 x 600 JPEG and PNG pictures, a question picture
# and an answer picture per question, twelve files reused), with and
# without --keep-pictures, and for the same quiz made of 192 distinct
# files. Prints the median of ROUNDS runs (default 5) of each. Needs
# build/native's trivo with an embedded player template. Figures only.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-5}
trivo=${TRIVO:-$root/build/native/tool/trivo}
work=$root/build/bench-build
media=$work/media
mkdir -p "$media"

source "$root/bench/picture_quiz.sh"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# timed NAME [OPTION]: the median build time of NAME.toml.
timed() {
  local name=$1 option=${2:-} i start end
  for i in $(seq "$rounds"); do
    start=$(date +%s.%N)
    "$trivo" build "$media/$name.toml" -o "$work/$name.exe" $option >/dev/null 2>"$work/$name.log" ||
      { cat "$work/$name.log"; exit 1; }
    end=$(date +%s.%N)
    echo "$end - $start" | bc
  done | median
}

scope=${TRIVO_BENCH_DISTINCT:-1}
count=12
[ "$scope" = 1 ] && count=192
for i in $(seq 0 $((count - 1))); do make_picture "$i"; done
picture_quiz jpg jpg 0
picture_quiz png png 0
[ "$scope" = 1 ] && picture_quiz jpg192 jpg 1 && picture_quiz png192 png 1

echo "== trivo build, median of $rounds (load: $(uptime | sed 's/.*load average: //'))"
printf '%-28s %8s %6s\n' quiz time goal
printf '%-28s %6.3f s %6s\n' "jpeg (12 files)" "$(timed jpg)" "< 0.5"
printf '%-28s %6.3f s %6s\n' "png (12 files)" "$(timed png)" "< 0.5"
printf '%-28s %6.3f s %6s\n' "jpeg --keep-pictures" "$(timed jpg --keep-pictures)" "-"
printf '%-28s %6.3f s %6s\n' "png --keep-pictures" "$(timed png --keep-pictures)" "-"
if [ "$scope" = 1 ]; then
  printf '%-28s %6.3f s %6s\n' "jpeg (192 distinct files)" "$(timed jpg192)" "-"
  printf '%-28s %6.3f s %6s\n' "png (192 distinct files)" "$(timed png192)" "-"
fi
echo "   (load after: $(uptime | sed 's/.*load average: //'))"
