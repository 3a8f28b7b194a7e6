#!/bin/bash
# Command-line behaviour of toxm: what it prints and writes, and its exit codes.
set -u
toxm=$1
corpus=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../common/checks.sh"

mod=$(ls "$corpus"/../mod/music/*.mod | head -1)
out=$("$toxm" "$mod" "$work/a.xm")
check "a MOD converts" test $? -eq 0
check "the first line says what was converted" \
  test "$(head -1 <<<"$out")" = "$(basename "$mod"): 4-channel ProTracker module, 31 samples -> XM"
check "every further line is a warning" test "$(grep -vc ': warning: ' <<<"$out")" -eq 1
check "the output is an XM 1.04" test "$(head -c 17 "$work/a.xm")$(od -An -tx1 -j58 -N2 "$work/a.xm")" = \
  "Extended Module:  04 01"

head -c 2000 "$mod" >"$work/cut.mod"
"$toxm" "$work/cut.mod" "$work/b.xm" >"$work/out" 2>"$work/err"
check "a cut file exits 1" test $? -eq 1
check "with one line" test "$(cat "$work/out" "$work/err" | wc -l)" -eq 1
check "saying why" grep -qx "toxm: $work/cut.mod: a truncated MOD module: the file ends inside its patterns" "$work/err"
check "and writes nothing" test ! -e "$work/b.xm"

"$toxm" --bogus "$mod" "$work/c.xm" 2>"$work/err"
check "a bad option exits 2" test $? -eq 2
check "with the usage" grep -q "^usage: toxm IN OUT.xm" "$work/err"

exit $((failures > 0))
