#!/bin/bash
# demotune writes exactly the checked-in tune, and fails cleanly: exit 2 with the usage
# for bad arguments, exit 1 with one line and no file left behind when it cannot write.
set -u
demotune=$1
written=$2
asset=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../common/checks.sh"

rm -f "$written"
"$demotune" "$written"
check "writes the tune" test $? -eq 0
check "the tune is the checked-in asset, byte for byte" cmp "$written" "$asset"

"$demotune" 2>"$work/err"
check "no argument exits 2" test $? -eq 2
check "usage is shown" grep -q "usage: demotune OUT.xm" "$work/err"
"$demotune" a.xm b.xm 2>/dev/null
check "two arguments exit 2" test $? -eq 2

mkdir "$work/taken.xm"
"$demotune" "$work/taken.xm" 2>"$work/err"
check "a directory as output exits 1" test $? -eq 1
check "it says so in one line" test "$(cat "$work/err")" = "demotune: cannot write: $work/taken.xm"
"$demotune" "$work/no/such/dir/x.xm" 2>/dev/null
check "a missing folder exits 1" test $? -eq 1
check "nothing is left behind" test -z "$(find "$work" -name '*.part')"

exit $((failures > 0))
