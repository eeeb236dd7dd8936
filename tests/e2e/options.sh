# The command line and the start-up failures as a user meets them: the exit
# status, and a message that says what went wrong and what to do.
. "$(dirname "$0")/lib.sh"

# A bad option ends before anything starts.
for args in "--metric foo" "-C nowhere"; do
    # shellcheck disable=SC2086
    run_viewer $args
    expect_eq "$code" 64 "status after $args"
    expect_eq "$(cat out)" "" "standard output after $args"
    expect_eq "$(tail -n 1 err)" "Try 'zemlavor --help' for the options." "last line after $args"
done

# Drivers the shaders cannot run on: shader objects missing (their entry
# points are null), and a GL so old that GLEW gives up.
for setting in MESA_EXTENSION_OVERRIDE=-GL_ARB_shader_objects MESA_GL_VERSION_OVERRIDE=1.0; do
    export "${setting?}"
    run_viewer
    unset "${setting%%=*}"
    expect_eq "$code" 1 "status with $setting"
    # Mesa warns on standard output that it cannot hide the extension.
    expect_eq "$(tail -n 1 out)" "you suck" "standard output with $setting"
done
grep -q '^glewInit failed: ' err || fail "no line saying that glewInit failed"

# Started where the files are not, by mistake or with -C: the missing file,
# then the folder looked in and what to do.
mkdir -p empty/sub
cd empty/sub
for case in "$PWD" "$work/empty -C .."; do
    read -r looked args <<<"$case"
    # shellcheck disable=SC2086
    run_viewer $args
    expect_eq "$code" 2 "status with '$args'"
    expect_eq "$(grep -A1 -x 'File not found: euclid.vert' err | tail -n 1 | grep -cF \
        "read from $looked; " || true)" 1 "lines naming $looked after the missing file"
    grep -q -- '-C DIR' err || fail "no pointer to -C DIR"
done

# A mesh file goes to the mesh reader: its failure is status 3 and its line.
cd "$work/empty"
run_viewer -C .. -s missing.obj --screenshot shot.png
expect_eq "$code" 3 "status for a mesh that cannot be read"
grep -qF "$PWD/missing.obj" err || fail "no line naming the mesh file"

# A rebuild that fails after start-up stays quiet about folders.
cd "$work"
start
mv euclid.vert euclid.away
key e
for _ in $(seq 50); do grep -q 'File not found' err && break; sleep 0.1; done
key q
wait_exit
expect_eq "$code" 0 "status after q"
grep -q 'File not found: euclid.vert' err || fail "the rebuild did not fail"
if grep -q 'read from' err; then fail "a start-up hint after a key press"; fi
