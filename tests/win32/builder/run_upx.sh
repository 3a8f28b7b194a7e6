#!/bin/sh
# run_upx.sh INTRO DONE: packs INTRO with the real upx, then leaves upx's exit code
# in DONE (written whole, by a rename) for the Windows shim that waits for it. The
# intro as the builder left it stays beside it as INTRO.unpacked, whose resources
# the tests can still read.
cp "$1" "$1.unpacked"
upx -q "$1" >"$1.upx.log" 2>&1
echo $? >"$2.part" && mv "$2.part" "$2"
