# The viewer as a user starts and ends it: the orange wire sphere in the
# middle of its window, the start-up line, a key's effect on the next frame;
# q and Escape end it with status 0. Without GLSL vertex or fragment shaders
# it exits 1 with "you suck"; when the first metric cannot be built, 2 with
# the message, then the folder the files were read from.
. "$(dirname "$0")/lib.sh"
orange() { [ "$1" -gt 150 ] && [ "$2" -gt 60 ] && [ "$3" -lt 120 ]; }
green() { [ "$1" -lt 120 ] && [ "$2" -gt 150 ] && [ "$3" -lt 150 ]; }
black() { [ "$1" -lt 20 ] && [ "$2" -lt 20 ] && [ "$3" -lt 20 ]; }
start
wait_pixel 200 200 orange
wait_pixel 5 5 black 1
holes=$(import -window "$wid" -crop 30x30+185+185 txt:- | grep -c '(0,0,0)')
[ "$holes" -gt 10 ] || fail "the sphere in the middle has $holes holes: not a wire mesh"
key t
wait_pixel 200 200 green
for quit in q Escape; do
    key "$quit"
    wait_exit
    expect_eq "$code $(head -n 1 out)" "0 Your graphics card is the shit" "exit status and output after $quit"
    [ "$quit" = Escape ] || start
done
for shaders in vertex fragment; do
    MESA_EXTENSION_OVERRIDE=-GL_ARB_${shaders}_shader run_viewer
    expect_eq "$code $(cat out)" "1 you suck" "exit status and output without $shaders shaders"
done
rm euclid.vert
run_viewer
expect_eq "$code $(tail -n 2 err | head -n 1)" "2 File not found: euclid.vert" "exit status and message without euclid.vert"
