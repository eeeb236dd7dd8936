# --screenshot: the first frame as an RGB PNG, status 0; a target it cannot
# write gives status 4 and a line naming it (what is left behind then:
# tests/unit/SafeFileTest.cpp).
. "$(dirname "$0")/lib.sh"
near() { [ $(($1 - $2)) -le "$3" ] && [ $(($2 - $1)) -le "$3" ]; }

# Run from a folder without the shader files: relative paths must survive -C.
# A width of 401 makes rows of 1203 bytes, which row padding would shear. The
# unit sphere seen from distance d with the 45 degree vertical field of view
# spans height / (d tan 22.5) pixels: 42 at 17.32 in a height of 300. The light comes from above (eye space +y): the upper half of
# the shape is the brighter. A wireframe shows the background through its
# mesh; a solid does not. Colours: 1 orange (Euclidean), 3 blue (Riemannian).
# The size comes from --size, else from GLUT's -geometry, else is 400x400.
mkdir sub
cd sub
row=0
while read -r size extent colour holes args; do
    # shellcheck disable=SC2086 # the arguments are split on purpose
    run_viewer -C .. --screenshot shot.png $args
    expect_eq "$code $(identify -format '%[png:IHDR.color-type-orig] %wx%h' shot.png)" \
        "0 2 $size" "status, RGB and size with $args"
    IFS='x+' read -r w h x y <<<"$(convert shot.png -format '%@' info:)"
    near $((2 * x + w)) "${size%x*}" 3 && near $((2 * y + h)) "${size#*x}" 3 || fail "off centre"
    [ "$extent" = - ] || near "$h" "$extent" 2 || fail "height $h, not $extent, with $args"
    expect_eq "$(convert shot.png -crop "${w}x$h+$x+$y" -scale '1x1!' -format \
        '%[fx:r>g && g>b ? 1 : (g>r && g>b ? 2 : 3)]' info:)" "$colour" "colour with $args"
    expect_eq "$(convert shot.png -crop "${w}x$h+$x+$y" -scale '1x2!' -format \
        '%[fx:p{0,0}.intensity > p{0,1}.intensity]' info:)" 1 "upper half brighter with $args"
    dark=$(convert shot.png -crop "24x24+$((x + w / 2 - 12))+$((y + h / 2 - 12))" \
        -colorspace gray -threshold 15% -negate -format '%[fx:mean*w*h]' info:)
    expect_eq "$([ "$dark" -gt 0 ] && echo yes || echo no)" "$holes" "holes ($dark) with $args"
    mv shot.png "$((++row)).png"
done <<'TABLE'
401x300 42 1 no --solid --size 401x300
401x300 42 1 yes -s sphere -geometry 401x300+5+5
400x400 - 3 no --solid -m cityblock -m riemann
TABLE
# A side of 1 pixel is drawn too.
run_viewer -C .. --screenshot shot.png --size 1x400
expect_eq "$code $(identify -format %wx%h shot.png && rm shot.png)" "0 1x400" "a side of 1 pixel"

# Four samples a pixel by default smooth the outline, and only the outline:
# without them, a few hundred pixels differ.
run_viewer -C .. --screenshot plain.png --size 401x300 --solid --samples 0
differ=$(compare -metric AE 1.png plain.png null: 2>&1 || true)
[ "$code" = 0 ] && [ "$differ" -gt 50 ] && [ "$differ" -lt 1500 ] || fail "$differ pixels differ without samples"
rm plain.png

# From distance 1 the eye is on the sphere: the solid fills the window. The
# city-block cube of examples/ is refined into a star, unless --refine 0.
run_viewer -C .. --screenshot near.png --solid --distance 1
expect_eq "$code $(convert near.png -format '%[fx:p{0,0}.r > 0.2]' info: && rm near.png)" "0 1" \
    "the view from distance 1"
cube=(-C .. --solid --distance 5 -m cityblock -s "$ZEMLAVOR_SHADERS/../examples/cube.obj" --screenshot)
run_viewer "${cube[@]}" star.png && run_viewer "${cube[@]}" flat.png --refine 0
differ=$(compare -metric AE star.png flat.png null: 2>&1 || true)
[ "$code" = 0 ] && [ "$differ" -gt 1000 ] || fail "$differ pixels differ with --refine 0"
rm star.png flat.png

mkdir taken
run_viewer -C .. --screenshot taken
expect_eq "$code" 4 "status for a target that is a folder"
grep -qF "$PWD/taken: Is a directory" err || fail "no line naming the target"
