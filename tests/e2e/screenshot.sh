# --screenshot writes the first frame as an RGB PNG and exits 0; a path it
# cannot write gives status 4 and leaves nothing behind.
. "$(dirname "$0")/lib.sh"
orange() { [ "$1" -gt 150 ] && [ "$2" -gt 60 ] && [ "$3" -lt 120 ]; }
green() { [ "$1" -lt 120 ] && [ "$2" -gt 150 ] && [ "$3" -lt 120 ]; }
png_pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- |
        sed -n '2s/^[^(]*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}
near() { [ $(($1 - $2)) -le "$3" ] && [ $(($2 - $1)) -le "$3" ]; }

# Run from a folder without the shader files, so relative paths must survive
# -C. A width of 401 makes rows of 1203 bytes: row padding would shear the
# picture. The unit sphere seen from distance d with the 45 degree vertical
# field of view spans height / (d tan 22.5) pixels: 42 at 17.32 in a height of
# 300, 112 at 8.66 in 400.
mkdir sub
cd sub
row=0
while read -r size extent colour holes args; do
    # shellcheck disable=SC2086
    run_viewer -C .. --screenshot shot.png --size "$size" $args
    expect_eq "$code" 0 "status with $args"
    read -r type depth width height <<<"$(identify -format \
        '%[png:IHDR.color-type-orig] %[png:IHDR.bit-depth-orig] %w %h' shot.png)"
    expect_eq "$type $depth ${width}x$height" "2 8 $size" "RGB type, depth and size with $args"
    # shellcheck disable=SC2046
    "$colour" $(png_pixel shot.png $((width / 2)) $((height / 2))) || fail "centre with $args"
    IFS='x+' read -r w h x y <<<"$(convert shot.png -format '%@' info:)"
    near $((2 * x + w)) "$width" 3 && near $((2 * y + h)) "$height" 3 || fail "off centre: $args"
    [ "$extent" = - ] || near "$h" "$extent" 2 || fail "height $h, not $extent, with $args"
    # The wireframe shows the background through its mesh; the solid does not.
    dark=$(convert shot.png -crop "24x24+$((width / 2 - 12))+$((height / 2 - 12))" \
        -colorspace gray -threshold 15% -negate -format '%[fx:mean*w*h]' info:)
    expect_eq "$([ "$dark" -gt 0 ] && echo yes || echo no)" "$holes" "holes ($dark) with $args"
    mv shot.png "$((++row)).png"
done <<'TABLE'
401x300 42 orange no --solid
401x300 42 orange yes -s sphere
400x400 112 orange no --solid --distance 8.66
400x400 - green no --solid -m cityblock
TABLE

run_viewer -C .. --screenshot nowhere/shot.png
expect_eq "$code" 4 "status for an unwritable path"
grep -qF "nowhere/shot.png: No such file or directory" err || fail "no message naming the path"
expect_eq "$(ls -A | tr '\n' ' ')" "1.png 2.png 3.png 4.png err out " "files left"
