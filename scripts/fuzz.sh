#!/usr/bin/env bash
# scripts/fuzz.sh [BUILD_DIR]
#
# Runs every libFuzzer program (executables named *_fuzzer) of a clang
# sanitizer build for a bounded time, about 60 seconds in all, each seeded with
# a copy of the real DICOM files. Fails on any crash, leak or sanitizer report.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/asan}
case "$build" in /*) ;; *) build="$top/$build" ;; esac
total_seconds=${VANTOR_FUZZ_SECONDS:-60}

mapfile -t fuzzers < <(find "$build" -type f -perm -u+x -name '*_fuzzer' 2>/dev/null | sort)
if [ ${#fuzzers[@]} -eq 0 ]; then
  echo "== fuzz: no *_fuzzer programs in $build (they are built by the clang sanitizer preset)"
  exit 0
fi

real_dir=$(sed -n 's/^VANTOR_REAL_DICOM_DIR:PATH=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
[ -n "$real_dir" ] || real_dir="$top/.cache/real-dicom"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seeds="$work/seeds"
mkdir -p "$seeds"
if [ -d "$real_dir" ]; then
  n=0
  while IFS= read -r -d '' file; do
    n=$((n + 1))
    cp "$file" "$seeds/seed-$n"
  done < <(find -L "$real_dir" -type f -print0)
  echo "== fuzz: $n seed files from $real_dir"
else
  echo "== fuzz: $real_dir not found; running without seeds"
fi

per_target=$(( total_seconds / ${#fuzzers[@]} ))
[ "$per_target" -ge 5 ] || per_target=5
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
if [ -f "$top/.ci/lsan.supp" ]; then
  export LSAN_OPTIONS="suppressions=$top/.ci/lsan.supp"
fi

status=0
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  corpus="$work/corpus-$name"
  artifacts="$work/artifacts-$name/"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz: $name for ${per_target}s"
  if ! "$fuzzer" -max_total_time="$per_target" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" "$seeds" \
       >"$work/$name.log" 2>&1; then
    status=1
    echo "== fuzz: $name FAILED"
    tail -n 60 "$work/$name.log"
    for crash in "$artifacts"*; do
      [ -e "$crash" ] || continue
      mkdir -p "$top/build/fuzz-artifacts"
      cp "$crash" "$top/build/fuzz-artifacts/"
      echo "== fuzz: input kept in build/fuzz-artifacts/$(basename "$crash")"
    done
  else
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$work/$name.log" | sed "s/^/   $name /" || true
  fi
done
exit $status
