# A shader broken and mended on disk while the viewer runs, no key pressed:
# the shape turns white, then orange again. With --no-watch the same save
# leaves the metric on.
. "$(dirname "$0")/lib.sh"
orange() { [ "$1" -gt 150 ] && [ "$2" -gt 60 ] && [ "$3" -lt 120 ]; }
white() { [ "$1" -gt 200 ] && [ "$2" -gt 200 ] && [ "$3" -gt 200 ]; }
broken='#version 120\nfloat metricNorm(vec3 p) { broken }\n'
start
wait_pixel 200 200 orange
mv euclid.vert good.vert
printf '%b' "$broken" >euclid.vert
wait_pixel 200 200 white
mv good.vert euclid.vert
wait_pixel 200 200 orange
key q
wait_exit

start --no-watch
wait_pixel 200 200 orange
printf '%b' "$broken" >euclid.vert
sleep 1
orange $(pixel 200 200) || fail "--no-watch rebuilt the metric"
