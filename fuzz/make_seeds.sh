#!/usr/bin/env bash
# Makes every fuzz target's seeds in SEED_DIR/<target>, from the module corpora beside
# the repository (read, never copied into it), the bundled assets and the small hand-made
# seeds in fuzz/seeds/<target>.
#   make_seeds.sh SEED_DIR
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${1:?usage: make_seeds.sh SEED_DIR}
xm_corpus=$root/../shared/corpus/xm

rm -rf "$out"
mkdir -p "$out"

# The hand-made seeds, as they are.
for dir in "$here"/seeds/*/; do
  target=$(basename "$dir")
  mkdir -p "$out/$target"
  cp "$dir"* "$out/$target/"
done

# XM inputs start with two control bytes (see XmFuzzPlay.h): 65535 BPM and looping.
xm_seed() { # module name control-bytes (printf %b escapes)
  local target
  for target in fuzz_xm_memory fuzz_xm_memory_scalar fuzz_xm_file; do
    mkdir -p "$out/$target"
    { printf '%b' "$3"; cat "$1"; } >"$out/$target/$2"
  done
}
[ -d "$xm_corpus" ] || echo "make_seeds: no XM corpus at $xm_corpus; the XM targets start from the demo tune" >&2
if [ -d "$xm_corpus" ]; then
  while IFS= read -r module; do
    relative=${module#"$xm_corpus"/}
    xm_seed "$module" "${relative//\//_}" '\0377\0'
  done < <(find "$xm_corpus" -type f -name '*.xm' | sort)
fi
xm_seed "$root/assets/demo.xm" demo.xm '\0377\0'
xm_seed "$root/assets/demo.xm" demo-own-tempo-once.xm '\0\01' # the song's own tempo, to its end

# The converter's seeds: the MOD, S3M and IT corpora, the old XM song and the XM files
# the player would misread, each cut to the 64 KiB the fuzzer takes.
mod_corpus=$root/../shared/corpus/mod
mkdir -p "$out/fuzz_convert"
convert_seeds=("$xm_corpus/ft2-pairs/pathead.xm" "$xm_corpus/behaviour/format_xm_pattrunc.xm"
  "$root/../shared/corpus/xm-old/dontyou.xm")
for corpus in "$mod_corpus:mod" "$root/../shared/corpus/s3m:s3m" "$root/../shared/corpus/it:it"; do
  if [ -d "${corpus%:*}" ]; then
    while IFS= read -r module; do convert_seeds+=("$module"); done < <(find "${corpus%:*}" -type f -iname "*.${corpus##*:}" | sort)
  fi
done
for module in "${convert_seeds[@]}"; do
  if [ -f "$module" ]; then
    head -c 65536 "$module" >"$out/fuzz_convert/$(basename "$module" | tr ' ' _)"
  fi
done

mkdir -p "$out/fuzz_tga" "$out/fuzz_icon"
cp "$root/assets/font.tga" "$out/fuzz_tga/"
cp "$root/assets/intro.ico" "$root/builder/Sinewright.ico" "$out/fuzz_icon/"

count=$(find "$out" -type f | wc -l)
echo "make_seeds: $count seeds in $out"
