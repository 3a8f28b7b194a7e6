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
# Field by field, as a WAV reader takes the header: 48 kHz, 16-bit stereo, a frame of
# 4 bytes and a second of 192000, chunk sizes that account for every byte, and a data
# chunk that holds exactly the 96000 frames the end line counted.
field() { od -An -t u"$2" -j "$1" -N "$2" "$work/a.wav" | tr -d ' '; }
size=$(stat -c %s "$work/a.wav")
channels=$(field 22 2) rate=$(field 24 4) byte_rate=$(field 28 4) align=$(field 32 2) bits=$(field 34 2)
check "RIFF size is the file after its first 8 bytes" test "$(field 4 4)" -eq $((size - 8))
check "PCM in a 16-byte format chunk" test "$(field 16 4) $(field 20 2)" = "16 1"
check "48000 Hz, 16-bit stereo" test "$channels $rate $bits" = "2 48000 16"
check "block align is one frame of every channel" test "$align" -eq $((channels * bits / 8))
check "byte rate is a second of frames" test "$byte_rate" -eq $((rate * align))
check "data chunk follows the format" test "$(head -c 40 "$work/a.wav" | tail -c 4)" = "data"
check "data size is the rest of the file" test "$(field 40 4)" -eq $((size - 44))
check "data holds the rendered frames" test $(($(field 40 4) / align)) -eq 96000
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
