#!/bin/sh
# Draws the pictures of the picture and demo examples with ImageMagick
# (Debian package imagemagick). The generated files are committed, so a
# build needs no run of this script; run it again after changing a drawing.
set -eu
cd "$(dirname "$0")"
CONVERT=${CONVERT:-/usr/bin/convert}
# No time stamps or comments in the files, so runs give the same bytes.
CLEAN="-strip -define png:exclude-chunks=date,time"

flag() {  # name, then the drawing arguments
  name=$1
  shift
  "$CONVERT" "$@" $CLEAN "picture/$name"
}

check() {  # the flag with a green tick: the answer picture
  "$CONVERT" "picture/$1" -fill none -stroke '#1E9E3A' -strokewidth 14 \
    -draw 'polyline 70,88 108,124 178,46' $CLEAN "picture/$2"
}

flag france.jpg -size 80x160 xc:'#0055A4' xc:white xc:'#EF4135' +append -quality 85
flag italie.jpg -size 80x160 xc:'#009246' xc:white xc:'#CE2B37' +append -quality 85
flag allemagne.jpg -size 240x54 xc:black xc:'#DD0000' xc:'#FFCE00' -append -quality 85
flag japon.png -size 240x160 xc:white -fill '#BC002D' -draw 'circle 120,80 120,32'
flag suede.png -size 240x150 xc:'#006AA7' -fill '#FECC02' -draw 'rectangle 75,0 104,149' \
  -draw 'rectangle 0,60 239,89'
flag belgique.png -size 80x160 xc:black xc:'#FDDA24' xc:'#EF3340' +append
check france.jpg france-ok.jpg
check italie.jpg italie-ok.png
check allemagne.jpg allemagne-ok.jpg
check japon.png japon-ok.png
check suede.png suede-ok.jpg
check belgique.png belgique-ok.png

shape() {  # name, then the drawing arguments on a 200 x 200 square, set in a 3:2 frame
  name=$1
  shift
  "$CONVERT" -size 200x200 xc:'#FFF8E7' -stroke '#2B2B2B' -strokewidth 4 "$@" \
    -gravity center -background '#FFF8E7' -extent 300x200 $CLEAN "demo/$name"
}
shape triangle.png -fill '#F4A261' -draw 'polygon 100,20 182,170 18,170'
shape carre.png -fill '#2A9D8F' -draw 'rectangle 35,35 165,165'
shape pentagone.jpg -fill '#E9C46A' -draw 'polygon 100,18 178,75 148,168 52,168 22,75' -quality 85
shape hexagone.png -fill '#E76F51' -draw 'polygon 60,30 140,30 180,100 140,170 60,170 20,100'
shape losange.jpg -fill '#8AB17D' -draw 'polygon 100,15 165,100 100,185 35,100' -quality 85
shape cercle.png -fill '#6D9DC5' -draw 'circle 100,100 100,25'
