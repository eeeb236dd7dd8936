# The viewer as a user starts it: the window, the orange sphere in the middle,
# the start-up line, and q ending it with status 0.
. "$(dirname "$0")/lib.sh"
orange() { [ "$1" -gt 150 ] && [ "$2" -gt 60 ] && [ "$3" -lt 120 ]; }
black() { [ "$1" -lt 20 ] && [ "$2" -lt 20 ] && [ "$3" -lt 20 ]; }
start
wait_pixel 200 200 orange
wait_pixel 5 5 black 1
key q
wait_exit
expect_eq "$code" 0 "exit status after q"
expect_eq "$(cat out)" "Your graphics card is the shit" "standard output"
