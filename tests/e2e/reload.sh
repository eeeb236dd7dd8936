# A shader broken and mended on disk while the viewer runs, no key pressed:
# the shape turns white under the message's dark box at the top left, then
# orange again; h hides the status line's box at the bottom left and shows it.
. "$(dirname "$0")/lib.sh"
orange() { [ "$1" -gt 150 ] && [ "$2" -gt 60 ] && [ "$3" -lt 120 ]; }
white() { [ "$1" -gt 200 ] && [ "$2" -gt 200 ] && [ "$3" -gt 200 ]; }
box() { [ "$1" -lt 60 ] && [ "$3" -gt "$1" ]; }
black() { [ "$1" -lt 10 ] && [ "$2" -lt 10 ] && [ "$3" -lt 10 ]; }
start
wait_pixel 200 200 orange
mv euclid.vert good.vert
printf '#version 120\nfloat metricNorm(vec3 p) { broken }\n' >euclid.vert
wait_pixel 200 200 white
wait_pixel 1 1 box 1
mv good.vert euclid.vert
wait_pixel 200 200 orange
wait_pixel 1 398 box 1
key h
wait_pixel 1 398 black 1
wait_pixel 200 200 orange 1
key h
wait_pixel 1 398 box 1
key q
wait_exit
expect_eq "$code" 0 "exit status after q"

# --no-watch: the same save leaves the metric on.
start --no-watch
wait_pixel 200 200 orange
printf '#version 120\nfloat metricNorm(vec3 p) { broken }\n' >euclid.vert
sleep 1
orange $(pixel 200 200) || fail "--no-watch rebuilt the metric"
key q
wait_exit
