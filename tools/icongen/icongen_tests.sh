#!/bin/bash
# The icons as the shell and the builder read them, and icongen's exit codes.
set -u
icongen=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../common/checks.sh"
alpha() { convert "$1" -format "%[fx:p{$2,$3}.a]" info:; }

"$icongen" intro "$work/intro.ico"
"$icongen" builder "$work/builder.ico"
check "intro icon: 16, 32 and 48 pixels of 256 colours, in that order" test "$(icotool -l "$work/intro.ico")" = \
  "$(for s in 16 32 48; do echo "--icon --index=$((s / 16)) --width=$s --height=$s --bit-depth=8 --palette-size=256"; done)"
# Icon images go into the intro unpacked: a palette, a byte a pixel and the mask.
check "and 7,406 bytes in all" test "$(stat -c %s "$work/intro.ico")" -eq \
  $((6 + 3 * 16 + 3 * (40 + 1024) + 16 * 16 + 64 + 32 * 32 + 128 + 48 * 48 + 384))
check "builder icon: one 48-pixel image of 16 colours" test "$(icotool -l "$work/builder.ico")" = \
  "--icon --index=1 --width=48 --height=48 --bit-depth=4 --palette-size=16"
check "its image takes 1,640 bytes" test "$(od -An -tu4 -j14 -N4 "$work/builder.ico" | tr -d ' ')" -eq 1640
check "and the file nothing more" test "$(stat -c %s "$work/builder.ico")" -eq $((6 + 16 + 1640))

# Every image decodes in full; the rounded corners show the desktop, the middle does not.
check "all four images extract" icotool -x -o "$work" "$work/intro.ico" "$work/builder.ico"
check "the intro's 48-pixel image keeps its gradients' colours" test "$(identify -format %k "$work"/intro_3_48x48x8.png)" -gt 200
for png in "$work"/intro_3_48x48x8.png "$work"/builder_1_48x48x4.png; do
  check "corner of $(basename "$png") is transparent" test "$(alpha "$png" 0 0)" = 0
  check "middle of $(basename "$png") is opaque" test "$(alpha "$png" 24 24)" = 1
done

"$icongen" intro 2>"$work/err"
check "a missing output exits 2" test $? -eq 2
"$icongen" logo "$work/logo.ico" 2>"$work/err"
check "an unknown icon exits 2" test $? -eq 2
check "usage is shown" grep -q "usage: icongen" "$work/err"
"$icongen" intro "$work/no/such/dir/x.ico" 2>"$work/err"
check "an unwritable output exits 1" test $? -eq 1
check "with one line" test "$(wc -l <"$work/err")" -eq 1

exit $((failures > 0))
