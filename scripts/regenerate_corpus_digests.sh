#!/usr/bin/env bash
# Rewrites tests/data/corpus_digests.txt, what the corpus digest test expects of every
# module, from what the music unit does now. Run it only when a change of sound is
# meant, and review the diff before committing: every changed line is a module that
# plays differently.
#   regenerate_corpus_digests.sh [build directory, build/native by default]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
digests=$root/tests/data/corpus_digests.txt

[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target native_xm_tests -j"$(nproc)"

cat >"$digests" <<'HEADER'
# Each XM module of the corpus (its path in it), a tab, then the 64-bit FNV-1a of its
# first minute at 48 kHz or the loader's reason to reject it. Written by
# scripts/regenerate_corpus_digests.sh; review the changes before committing them.
HEADER
XM_CORPUS_DIGESTS_REWRITE=$digests "$build/bin/native_xm_tests" --gtest_filter='Corpus/CorpusModule.*' >/dev/null

echo "Rewrote $digests ($(grep -vc '^#' "$digests") modules)."
echo "Review the diff (git diff -- tests/data) before committing it."
