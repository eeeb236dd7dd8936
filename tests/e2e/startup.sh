# The viewer as a user starts and ends it: q and Escape end it with status 0;
# a bad option or value ends the run before anything starts, display or not
# (64, with the usage line), and so does --help (0); a driver without the
# shader extensions gives 1 and "you suck"; without the shader files, 2 with
# the missing file and the folder looked in (with a hint only then); a mesh
# file that cannot be read, 3 and one line naming it and the reason, also
# when the mesh library crashes, runs out of memory or would hang on it (the
# malformed files of fuzz/corpus/mesh).
. "$(dirname "$0")/lib.sh"
for quit in q Escape; do
    start
    key "$quit"
    wait_exit 30
    expect_eq "$code $(head -n 1 out)" "0 Your graphics card is the shit" "status and output after $quit"
done

# No display is needed for these: the options are read before GLUT starts.
# (Which values are bad: OptionsTest.)
for args in "--metric foo" "-m" "--bogus" "-geometry 0x5" "-display" "-s ''"; do
    eval "DISPLAY= run_viewer $args"
    expect_eq "$code $(cat out) $(tail -n 1 err)" "64  Try 'zemlavor --help' for the options." "$args"
done
DISPLAY= run_viewer --help
expect_eq "$code $(grep -cE -- '--no-watch +do not' out)" "0 1" "--help without a display"

# Shader objects missing (null entry points), one kind of shader missing, and
# a GL so old that GLEW gives up. Mesa warns on standard output.
for setting in -GL_ARB_shader_objects -GL_ARB_vertex_shader -GL_ARB_fragment_shader; do
    MESA_EXTENSION_OVERRIDE=$setting run_viewer
    expect_eq "$code $(tail -n 1 out)" "1 you suck" "status and last output line with $setting"
done

mkdir empty
cd empty
run_viewer
expect_eq "$code" 2 "status without the files"
grep -A1 -x 'File not found: euclid.vert' err | grep -qF "read from $PWD; " || fail "no folder"
corpus=$(realpath "$ZEMLAVOR_SHADERS/../fuzz/corpus/mesh")
for mesh in self-instancing.dae skin-weight-index.x sparse-offset.gltf skin-table.mdl \
    missing-joint.md5mesh negative-chunk.cob; do
    run_viewer -C .. -s "$corpus/$mesh"
    expect_eq "$code $(wc -l <err) $(grep -c "^$corpus/$mesh: " err)" "3 1 1" "$mesh"
done
run_viewer -C .. -m own/missing.vert
expect_eq "$code $(grep -cxF "File not found: $PWD/own/missing.vert" err)" "2 1" "with a missing metric file"
cp "$ZEMLAVOR_SHADERS"/* . && echo broken >euclid.vert
run_viewer
expect_eq "$code $(tail -n 1 err)" "2 The files are read from $PWD." "with a compile error"
