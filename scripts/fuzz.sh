#!/usr/bin/env bash
# Builds the fuzz configuration (clang: libFuzzer, ASan, UBSan), writes each
# target's seed corpus and runs every fuzz target, one process each.
#
#   scripts/fuzz.sh [smoke] [BUILD_DIR]        about 30 seconds per target
#   scripts/fuzz.sh long SECONDS [BUILD_DIR]   SECONDS per target
#   scripts/fuzz.sh runs N [BUILD_DIR]         N executions per target
#
# BUILD_DIR defaults to build/fuzz. Every executable named *_fuzz in
# BUILD_DIR/fuzz is run; a program <target>_seeds beside it, when present,
# writes the target's seeds into BUILD_DIR/fuzz/corpus/<target>. Inputs kept
# under fuzz/regressions/<target>/ are run as well. Crashing inputs go to
# BUILD_DIR/fuzz/artifacts/. Exit status is non-zero when a target failed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

usage() {
  sed -n '2,13p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

mode=${1:-smoke}
[[ $# -gt 0 ]] && shift
case $mode in
  smoke) limit=(-max_total_time=30) ;;
  long)
    [[ $# -ge 1 && $1 =~ ^[0-9]+$ ]] || usage
    limit=(-max_total_time="$1"); shift ;;
  runs)
    [[ $# -ge 1 && $1 =~ ^[0-9]+$ ]] || usage
    limit=(-runs="$1"); shift ;;
  -h|--help|*) usage ;;
esac
[[ $# -le 1 ]] || usage
build=${1:-$root/build/fuzz}

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" "${generator[@]}" -DMOPWELL_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$build" -j2 >/dev/null

mkdir -p "$build/fuzz/artifacts"
status=0
found=0
for fuzzer in "$build"/fuzz/*_fuzz; do
  [[ -f $fuzzer && -x $fuzzer ]] || continue
  found=1
  name=$(basename "$fuzzer")
  corpus=$build/fuzz/corpus/$name
  mkdir -p "$corpus"
  if [[ -x $build/fuzz/${name}_seeds ]]; then
    "$build/fuzz/${name}_seeds" "$corpus"
  fi
  inputs=("$corpus")
  [[ -d $root/fuzz/regressions/$name ]] && inputs+=("$root/fuzz/regressions/$name")
  log=$build/fuzz/$name.log
  echo "== $name: ${limit[*]} ($(ls "$corpus" | wc -l) inputs in the corpus)"
  rc=0
  "$fuzzer" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz/artifacts/$name-" \
    "${inputs[@]}" >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  secs=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  if [[ $rc -eq 0 ]]; then
    echo "$name: ${runs:-?} executions (${secs:-?}/s), no finding"
  else
    status=1
    echo "$name: FAILED after ${runs:-?} executions (exit $rc); log: $log"
    grep -E 'ERROR|SUMMARY|Test unit written|deadly signal|timeout' "$log" | head -20 || true
  fi
done
if [[ $found -eq 0 ]]; then
  echo "no fuzz targets found in $build/fuzz" >&2
  exit 1
fi
exit $status
