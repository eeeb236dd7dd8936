# Command-line and start-up failures as a user meets them: the exit status,
# and a message that says what went wrong.
. "$(dirname "$0")/lib.sh"

# A bad option or value ends the run before anything starts.
for args in "--metric foo" "-m" "--bogus" "--size 0x5" "--size 16385x5" "--size 5x16385" \
    "--size 5x5x" "--distance 0" "-C nowhere" "--p 0.4" "--p 65" "--p x"; do
    # shellcheck disable=SC2086 # the arguments are split on purpose
    run_viewer $args
    expect_eq "$code $(cat out)" "64 " "status and output after $args"
    expect_eq "$(tail -n 1 err)" "Try 'zemlavor --help' for the options." "last line after $args"
done
for flag in --help --version; do
    run_viewer "$flag"
    expect_eq "$code $(cat err)" "0 " "status and standard error of $flag"
    grep -qi '^zemlavor' out || fail "$flag printed nothing"
done

# Drivers the shaders cannot run on: shader objects missing (their entry
# points are null), and a GL so old that GLEW gives up. Mesa warns on
# standard output that it cannot hide the extension.
for setting in MESA_EXTENSION_OVERRIDE=-GL_ARB_shader_objects MESA_GL_VERSION_OVERRIDE=1.0; do
    export "${setting?}"
    run_viewer
    unset "${setting%%=*}"
    expect_eq "$code $(tail -n 1 out)" "1 you suck" "status and last output line with $setting"
done
grep -q '^glewInit failed: ' err || fail "no line saying that glewInit failed"

# Started where the files are not: the missing file, then the folder looked in.
mkdir empty
cd empty
run_viewer
expect_eq "$code" 2 "status without the files"
grep -A1 -x 'File not found: euclid.vert' err | grep -qF "read from $PWD; " || fail "no folder"

# A mesh file goes to the mesh reader: its failure is status 3 and its line.
run_viewer -C .. -s missing.obj --screenshot shot.png
expect_eq "$code" 3 "status for a mesh that cannot be read"
grep -qF "$PWD/missing.obj" err || fail "no line naming the mesh file"

