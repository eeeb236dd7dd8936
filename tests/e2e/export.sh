# --export writes the deformed shape (status 0), which --shape reads back; a
# name without .obj, .ply or .stl is a usage error (64); a place it cannot
# write gives 4 and one line naming the file, and leaves nothing behind. x
# and s write to the folder the viewer was started in, whatever -C says, each
# under a new name.
. "$(dirname "$0")/lib.sh"
mkdir sub taken.obj
cd sub
while read -r status lines args; do
    # shellcheck disable=SC2086 # the arguments are split on purpose
    run_viewer -C .. $args
    expect_eq "$code $(grep -c "^Cannot export the shape to $PWD/${args##* }: " err)" \
        "$status $lines" "status and lines naming the file with $args"
done <<'TABLE'
0 0 -m cityblock --export e.ply
0 0 -s e.ply --export e.STL
64 0 --export e.txt
4 1 --export missing/e.ply
4 1 --export ../taken.obj
TABLE
# x writes the shape before the next key is taken; s, one picture of the
# view after the next frame.
start -C ..
key x s
sleep 1
key q
wait_exit
files=$(ls -A | sed 's/^zemlavor-[0-9]\{8\}-[0-9]\{6\}\.\(ply\|png\)$/\1/' | tr '\n' ' ')
expect_eq "$files$code $(identify -format %wx%h zemlavor-*.png)" "e.STL e.ply err out ply png 0 400x400" \
    "files, status and the picture's size"
