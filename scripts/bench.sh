#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs every one of them, then prints each
# ratio beside its goal. Every ratio is taken against a floor measured in the
# same run, so runs on different machines compare.
#   scripts/bench.sh [BUILD_DIR [BENCH...]]   (default: build, every benchmark)
# The open and GL benchmarks need an X display: they run under xvfb-run -a.
# bench_reader writes about 4 GB of files once into $ORVANE_BENCH_FILES
# (default: a folder in the temporary directory) and reuses them; bench_samples
# writes about 1 GB into a temporary folder, bench_measure about 1.5 GB,
# bench_sharp_view a 30000 x 20000 Deflate file. Logs go
# to BUILD_DIR/bench-logs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"
jobs="${ORVANE_BENCH_JOBS:-$(nproc)}"
files="${ORVANE_BENCH_FILES:-${TMPDIR:-/tmp}/orvane-bench-files}"

benches=(bench_view3d_mesh bench_view3d_gl bench_view2d bench_open bench_samples bench_reader
         bench_measure bench_sharp_view)
if (($# > 1)); then
  benches=("${@:2}")
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs" --target "${benches[@]}"

logs="$build/bench-logs"
mkdir -p "$logs" "$files"
run() { # name, command...: the output to the terminal and to the log
  local name="$1"
  shift
  echo "== $name"
  "$@" 2>&1 | grep -v '^QStandardPaths:' | tee "$logs/$name.txt" || true
  echo
}
for name in "${benches[@]}"; do
  case "$name" in
    bench_view3d_mesh) run "$name" "$build/bench/view3d/bench_view3d_mesh" ;;
    bench_view3d_gl) run "$name" xvfb-run -a "$build/bench/view3d/bench_view3d_gl" ;;
    bench_view2d) run "$name" "$build/bench/view2d/bench_view2d" ;;
    bench_open) run "$name" xvfb-run -a "$build/bench/image/bench_open" ;;
    bench_samples) run "$name" "$build/bench/image/bench_samples" ;;
    bench_reader) run "$name" "$build/bench/image/bench_reader" "$files" ;;
    bench_measure) run "$name" "$build/bench/measure/bench_measure" ;;
    bench_sharp_view) run "$name" "$build/bench/view2d/bench_sharp_view" ;;
    *) echo "unknown benchmark $name" >&2; exit 2 ;;
  esac
done

echo "== ratios and their goals"
for name in "${benches[@]}"; do
  log="$logs/$name.txt"
  case "$name" in
    bench_view2d) # the paint table and the counts: no goal stated, cost must not grow
      lines=$(sed -n '/^window/,/^$/p; /ratio to floor/p' "$log" | sed '/^$/d' |
              sed '/2000^2 (ms)/!s/$/   (no goal stated)/') ;;
    bench_reader) # one row per file, then memory rows, each with "<= goal met|MISSED"
      lines=$(grep -E '^(file |.* (met|MISSED)$)' "$log") ;;
    *)
      lines=$(grep -E 'goal|MISSED' "$log") ;;
  esac
  echo "$name"
  if [[ -n "$lines" ]]; then
    echo "$lines" | sed 's/^/  /'
  else
    echo "  (no result: see $log)"
  fi
done
