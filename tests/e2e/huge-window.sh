# A window resized beyond what the GL can draw is shrunk to the largest size
# that works, with one line on standard error, and the viewer lives on.
. "$(dirname "$0")/lib.sh"
start
xdotool windowsize "$wid" 32767 32767
size=""
for _ in $(seq 100); do
    size=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
    [ "$size" = 16384x16384 ] && break
    sleep 0.1
done
expect_eq "$size" 16384x16384 "window size after asking for 32767x32767"
xdotool windowsize "$wid" 400 400
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the viewer died"
expect_eq "$(grep -c 'larger than the GL can draw' err)" 1 "warnings on stderr"
key q
wait_exit 30
expect_eq "$code" 0 "exit status after q"
