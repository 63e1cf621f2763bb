#!/usr/bin/env bash
# Runs the unit tests under AddressSanitizer + UndefinedBehavior-
# Sanitizer, and the reader's tests (label "reader") under ThreadSanitizer.
# Called by scripts/orvane.sh test after the normal tests; needs the packages
# that script installs. Build directories: build-asan, build-tsan.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
jobs="${JOBS:-$(nproc)}"

# -O1: the sanitizers' own docs recommend it; it also compiles fastest.
common=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DORVANE_BENCH=OFF)

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="suppressions=$root/tests/sanitizers/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
xvfb=(xvfb-run -a -s "-screen 0 1600x1200x24")

section() { printf '\n== %s (%s)\n' "$1" "$(date +%T)"; }

section "AddressSanitizer + UndefinedBehaviorSanitizer: build"
start=$SECONDS
cmake -S . -B build-asan "${common[@]}" -DORVANE_ASAN=ON >/dev/null
cmake --build build-asan -j"$jobs" >/dev/null
echo "built in $((SECONDS - start)) s"

# Both sanitizers run even when the first finds something; the status says
# whether either did.
status=0
# Mesa's software driver is unloaded before the leak check runs, which would
# leave its allocations unattributable; preloading keeps it mapped, so the
# suppression for it applies (the loader must then accept a library before ASan).
asan_labels="unit|widgets|gl"
asan_env=()
for driver in /usr/lib/*/dri/swrast_dri.so; do
  if [[ -e "$driver" ]]; then
    asan_env=(env "LD_PRELOAD=$driver" "ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0")
  fi
done
section "AddressSanitizer + UndefinedBehaviorSanitizer: tests labelled $asan_labels"
(cd build-asan && "${asan_env[@]}" "${xvfb[@]}" ctest --output-on-failure -j2 -L "$asan_labels") || status=1

section "ThreadSanitizer: build"
start=$SECONDS
cmake -S . -B build-tsan "${common[@]}" -DORVANE_TSAN=ON >/dev/null
# Only the executables that hold tests labelled "reader".
cmake --build build-tsan -j"$jobs" --target test_image test_read_failure test_frame_open >/dev/null
echo "built in $((SECONDS - start)) s"

section "ThreadSanitizer: reader tests"
(cd build-tsan && "${xvfb[@]}" ctest --output-on-failure -j2 -L reader) || status=1
exit $status
