#!/bin/bash
# Command-line behaviour of xm2wav: output format, the end line, --info and the exit
# codes for bad input and bad usage.
set -u
xm2wav=$1
corpus=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../common/checks.sh"

song=$(ls "$corpus"/music/*.xm | head -1)

out=$("$xm2wav" --seconds 2 "$song" "$work/a.wav")
check "end line for a limit" test "$(tail -1 <<<"$out")" = "frames=96000 seconds=2.000 end=limit"
check "WAV size" test "$(stat -c %s "$work/a.wav")" -eq $((44 + 96000 * 4))
check "WAV header" test "$(head -c 44 "$work/a.wav" | od -An -tx1 | tr -d ' \n' | cut -c1-8,17-48)" = \
  "5249464657415645666d74201000000001000200"
check "sound is not silence" test "$(tail -c +45 "$work/a.wav" | tr -d '\0' | head -c 1000 | wc -c)" -gt 0

"$xm2wav" --seconds 2 "$song" "$work/b.wav" >/dev/null
check "rendering is repeatable" cmp -s "$work/a.wav" "$work/b.wav"

info=$("$xm2wav" --info "$song")
check "--info fields" grep -Eq '^channels=[0-9]+ patterns=[0-9]+ instruments=[0-9]+ length=[0-9]+ restart=[0-9]+ tempo=[0-9]+ bpm=[0-9]+ frequencies=(linear|amiga)$' <<<"$info"

"$xm2wav" "$work/missing.xm" "$work/c.wav" 2>"$work/err"
check "missing input exits 1" test $? -eq 1
check "missing input says so" grep -q "cannot read: $work/missing.xm" "$work/err"

head -c 100 "$song" >"$work/short.xm"
"$xm2wav" "$work/short.xm" "$work/c.wav" 2>"$work/err"
check "broken module exits 1" test $? -eq 1
check "broken module says why" \
  grep -qx "xm2wav: cannot use: $work/short.xm: a truncated XM module: the file ends inside its headers" "$work/err"
check "one line on stderr" test "$(wc -l <"$work/err")" -eq 1

# A module the converter changes is rendered as converted, and says so first.
mod=$(ls "$corpus"/../mod/music/*.mod | head -1)
out=$("$xm2wav" --seconds 1 "$mod" "$work/m.wav")
check "a MOD renders" test "$(tail -1 <<<"$out")" = "frames=48000 seconds=1.000 end=limit"
check "the conversion is named" grep -q "^converted: 4-channel ProTracker module, 31 samples -> XM$" <<<"$out"

"$xm2wav" --seconds 1 "$song" "$work/no/such/dir/c.wav" 2>"$work/err"
check "unwritable output exits 1" test $? -eq 1
check "unwritable output says so" grep -q "cannot write: $work/no/such/dir/c.wav" "$work/err"

"$xm2wav" --seconds "$song" 2>/dev/null
check "bad seconds exits 2" test $? -eq 2
"$xm2wav" --bogus "$song" "$work/c.wav" 2>"$work/err"
check "unknown option exits 2" test $? -eq 2
check "usage is shown" grep -q "usage: xm2wav" "$work/err"

exit $((failures > 0))
