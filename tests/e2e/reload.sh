# A shader broken and mended on disk while the viewer runs, no key pressed:
# the shape turns white, then orange again; h hides the status line's box at
# the bottom left.
. "$(dirname "$0")/lib.sh"
orange() { [ "$1" -gt 150 ] && [ "$2" -gt 60 ] && [ "$3" -lt 120 ]; }
white() { [ "$1" -gt 200 ] && [ "$2" -gt 200 ] && [ "$3" -gt 200 ]; }
box() { [ "$1" -lt 60 ] && [ "$3" -gt "$1" ]; }
black() { [ "$1" -lt 10 ] && [ "$2" -lt 10 ] && [ "$3" -lt 10 ]; }
broken='#version 120\nfloat metricNorm(vec3 p) { broken }\n'
start
wait_pixel 200 200 orange
mv euclid.vert good.vert
printf '%b' "$broken" >euclid.vert
wait_pixel 200 200 white
mv good.vert euclid.vert
wait_pixel 200 200 orange
wait_pixel 1 398 box
key h
wait_pixel 1 398 black
key q
wait_exit
