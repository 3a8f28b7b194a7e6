#!/usr/bin/env bash
# Runs the fuzz targets one after another, each for SECONDS, from its seeds and its
# growing corpus. What a target finds is kept in fuzz/findings/<target>/ and fails the
# run with the reproducer's path.
#   run_fuzzers.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run_fuzzers.sh BUILD_DIR SECONDS [TARGET...]}" && pwd)
seconds=${2:?usage: run_fuzzers.sh BUILD_DIR SECONDS [TARGET...]}
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_xm_memory fuzz_xm_memory_scalar fuzz_xm_file fuzz_convert fuzz_it_decompress fuzz_tga fuzz_icon
  fuzz_settings fuzz_string_stream fuzz_build_command)

# Per-target options: modules are fuzzed in their first 64 KiB, where the headers and
# patterns are (MOD sample data past it reads as a cut file); command lines may grow past the 65,534 characters an option takes.
# The converter's memory is bounded by its input: no input of 64 KiB may take a
# block of 96 MiB, nor the whole run 768 MiB with the sanitizer's own.
target_options() {
  case $1 in
  fuzz_xm_*) echo -max_len=65536 ;;
  fuzz_convert) echo -max_len=65536 -malloc_limit_mb=96 -rss_limit_mb=768 ;;
  fuzz_it_decompress) echo -max_len=65536 ;;
  fuzz_build_command) echo -max_len=140000 -dict="$here/dictionaries/fuzz_build_command.dict" ;;
  fuzz_settings) echo -dict="$here/dictionaries/fuzz_settings.dict" ;;
  esac
}

fuzzer=
stop_fuzzer() {
  [ -n "$fuzzer" ] && kill "$fuzzer" 2>/dev/null
  exit 130
}
trap stop_fuzzer INT TERM

bash "$here/make_seeds.sh" "$build/seeds" || exit 1
mkdir -p "$build/logs"
found=()
for target in "${targets[@]}"; do
  findings=$here/findings/$target
  corpus=$build/corpus/$target
  log=$build/logs/$target.log
  mkdir -p "$findings" "$corpus" "$build/seeds/$target"
  # Each run ends by itself: total time, a limit per input and a memory limit. The
  # outer timeout only guards against a fuzzer that stops answering altogether.
  # shellcheck disable=SC2046
  timeout -k 10 $((seconds + 600)) "$build/bin/$target" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" $(target_options "$target") \
    "$corpus" "$build/seeds/$target" >"$log" 2>&1 &
  fuzzer=$!
  wait "$fuzzer"
  status=$?
  fuzzer=
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+ ft: [0-9]+')
  echo "$target: ${runs:-?} runs, ${coverage:-no coverage line} (log: $log)"
  reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
  if [ "$status" -ne 0 ] || [ -n "$reproducer" ]; then
    grep -m 1 -E '^==[0-9]+==ERROR|runtime error|check failed|^==[0-9]+== ERROR' "$log" | sed "s/^/  /"
    found+=("$target: ${reproducer:-exit status $status, see $log}")
  fi
done

if [ ${#found[@]} -gt 0 ]; then
  echo "fuzz: found something; reproduce with build/fuzz/bin/<target> FILE:" >&2
  printf '  %s\n' "${found[@]}" >&2
  exit 1
fi
echo "fuzz: nothing found in ${#targets[@]} targets, $seconds s each"
