#!/usr/bin/env bash
# scripts/fuzz.sh [BUILD_DIR] [SECONDS_PER_TARGET]
#
# Runs every libFuzzer program (executables named *_fuzzer) of a clang
# sanitizer build for a bounded time each: SECONDS_PER_TARGET when given, else
# 20 seconds, shortened (to 10 at the least) so that all of them take about
# three minutes in the test command. Each is seeded with the files in
# <program>.seeds/ beside it or in fuzz/seeds/<program>/ (the DICOM loader and
# targets without seeds with the real DICOM files), and given its dictionary
# <program>.dict or fuzz/dictionaries/<program>.dict when there is one. Fails on
# any crash, leak, time-out or out-of-memory; each failing input is kept in
# BUILD_DIR/fuzz-artifacts/. Prints each target's executions per second.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/asan}
case "$build" in /*) ;; *) build="$top/$build" ;; esac

mapfile -t fuzzers < <(find "$build" -type f -perm -u+x -name '*_fuzzer' 2>/dev/null | sort)
if [ ${#fuzzers[@]} -eq 0 ]; then
  echo "== fuzz: no *_fuzzer programs in $build (they are built by the clang sanitizer preset)"
  exit 0
fi

real_dir=$(sed -n 's/^VANTOR_REAL_DICOM_DIR:PATH=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
[ -n "$real_dir" ] || real_dir="$top/.cache/real-dicom"

if [ -n "${2:-}" ]; then
  per_target=$2
else
  per_target=$(( 180 / ${#fuzzers[@]} ))
  [ "$per_target" -le 20 ] || per_target=20
  [ "$per_target" -ge 10 ] || per_target=10
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dicom_seeds="$work/dicom-seeds"
mkdir -p "$dicom_seeds"
if [ -d "$real_dir" ]; then
  n=0
  while IFS= read -r -d '' file; do
    n=$((n + 1))
    cp "$file" "$dicom_seeds/seed-$n"
  done < <(find -L "$real_dir" -type f -print0)
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
if [ -f "$top/.ci/lsan.supp" ]; then
  export LSAN_OPTIONS="suppressions=$top/.ci/lsan.supp"
fi

echo "== fuzz: ${#fuzzers[@]} targets, ${per_target}s each"
status=0
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  corpus="$work/corpus-$name"
  artifacts="$work/artifacts-$name/"
  mkdir -p "$corpus" "$artifacts"
  # Beside the program, else under fuzz/ for targets built elsewhere, else the DICOM files.
  seeds="$fuzzer.seeds"
  [ -d "$seeds" ] || seeds="$top/fuzz/seeds/$name"
  [ -d "$seeds" ] || seeds="$dicom_seeds"
  dictionary="$fuzzer.dict"
  [ -f "$dictionary" ] || dictionary="$top/fuzz/dictionaries/$name.dict"
  options=()
  [ -f "$dictionary" ] && options+=("-dict=$dictionary")
  # Inputs that once failed start every run.
  regressions=()
  [ -d "$top/fuzz/regressions/$name" ] && regressions+=("$top/fuzz/regressions/$name")
  if ! "$fuzzer" "${options[@]}" -max_total_time="$per_target" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
       -malloc_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" "$seeds" "${regressions[@]}" \
       >"$work/$name.log" 2>&1; then
    status=1
    echo "== fuzz: $name FAILED"
    tail -n 60 "$work/$name.log"
    for crash in "$artifacts"*; do
      [ -e "$crash" ] || continue
      mkdir -p "$build/fuzz-artifacts"
      cp "$crash" "$build/fuzz-artifacts/$name-$(basename "$crash")"
      echo "== fuzz: input kept in $build/fuzz-artifacts/$name-$(basename "$crash")"
    done
  else
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log" | tail -n 1)
    seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$work/$name.log" | tail -n 1)
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/$name.log" | tail -n 1)
    [ -n "$seconds" ] && [ "$seconds" -gt 0 ] || seconds=$per_target
    echo "   $name: ${runs:-0} runs in ${seconds}s, $(( ${runs:-0} / seconds )) exec/s, peak ${rss:-?} MB"
  fi
done
exit $status
