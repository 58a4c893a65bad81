#!/bin/sh
# Makes the clips of the example audio and video quizzes and the small clips
# the media host tests embed. Needs espeak-ng, lame and ffmpeg. Run from the
# repository root; the outputs are committed, so this is only needed to
# change them.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
audio="$here/examples/audio/clips"
video="$here/examples/video/clips"
tests="$here/tests/media/data/clips"
mkdir -p "$audio" "$video" "$tests"

quiet="-hide_banner -loglevel error -y"

# A spoken word as a small mono WAV (16 kHz, 16 bits).
speak() {
  espeak-ng -v fr -s 130 -w "$1.tmp.wav" "$2"
  ffmpeg $quiet -i "$1.tmp.wav" -ac 1 -ar 16000 -c:a pcm_s16le "$1"
  rm -f "$1.tmp.wav"
}

# Audio quiz: the player hears a word and types it.
speak "$audio/q1.wav" "chocolat"
speak "$audio/q2.wav" "papillon"
speak "$audio/q3.wav" "bibliothèque"
speak "$audio/q4.wav" "parapluie"
# One MP3, with an ID3 tag in front as most MP3 files have.
espeak-ng -v fr -s 130 -w "$audio/q5.tmp.wav" "arc-en-ciel"
lame --quiet -b 32 -m m --resample 22.05 --add-id3v2 --tt "q5" "$audio/q5.tmp.wav" "$audio/q5.mp3"
rm -f "$audio/q5.tmp.wav"

# Video quiz: short drawn clips, MJPEG in AVI (decoded by the stock
# demuxer and JPEG decoder, no extra codecs needed). Each carries a quiet
# audio track: some media players refuse to start a clip that has none.
clip() {
  ffmpeg $quiet -f lavfi -i "$2" -f lavfi -i "anullsrc=r=8000:cl=mono" -t 3 -r 10 \
    -c:v mjpeg -q:v 8 -pix_fmt yuvj420p -c:a pcm_u8 "$1"
}
clip "$video/q1.avi" "color=c=red:s=256x192:r=10"
clip "$video/q2.avi" "testsrc=s=256x192:r=10"
clip "$video/q3.avi" "color=c=blue:s=256x192:r=10,drawbox=x=64:y=48:w=128:h=96:color=yellow:t=fill"
clip "$video/q4.avi" "color=c=green:s=256x192:r=10,drawbox=x=96:y=72:w=64:h=48:color=white:t=fill"

# Test clips: a short tone as WAV, the same with an ID3-tagged MP3, and a
# tiny AVI.
ffmpeg $quiet -f lavfi -i "sine=frequency=440:duration=0.3:sample_rate=8000" -ac 1 -c:a pcm_u8 "$tests/tone.wav"
ffmpeg $quiet -f lavfi -i "sine=frequency=440:duration=0.3:sample_rate=8000" -ac 1 -c:a pcm_s16le "$tests/tone16.tmp.wav"
lame --quiet -b 8 -m m --add-id3v2 --tt "tone" "$tests/tone16.tmp.wav" "$tests/tone.mp3"
rm -f "$tests/tone16.tmp.wav"
ffmpeg $quiet -f lavfi -i "testsrc=s=64x48:r=5" -t 1 -c:v mjpeg -q:v 10 -pix_fmt yuvj420p -an "$tests/bars.avi"
