#!/bin/bash
# The checked-in font and icons are exactly what their generators make from the
# recorded arguments.
# reproduce_assets.sh TGAFONT ICONGEN SOURCE_DIR WORK_DIR FONT [TGAFONT OPTIONS...]
set -u
tgafont=$1 icongen=$2 source=$3 work=$4 font=$5
shift 5
rm -rf "$work"
mkdir -p "$work"
failures=0
reproduces() { # the checked-in file, the file made, then the command that makes it
  local asset=$1 made=$2
  shift 2
  if ! "$@" || ! cmp "$made" "$source/$asset"; then
    echo "FAILED: $asset is not what this makes: $*"
    failures=$((failures + 1))
  fi
}

reproduces assets/font.tga "$work/font.tga" "$tgafont" "$font" "$work/font.tga" "$@"
reproduces assets/intro.ico "$work/intro.ico" "$icongen" intro "$work/intro.ico"
reproduces builder/Sinewright.ico "$work/Sinewright.ico" "$icongen" builder "$work/Sinewright.ico"
exit $((failures > 0))
