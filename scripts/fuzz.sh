#!/usr/bin/env bash
# Fuzzes the open path (examination, validation, sizing, read, histogram) with
# libFuzzer for a bounded time and keeps what it finds.
#   scripts/fuzz.sh [seconds]      default 600
# Corpus: fuzz-out/corpus (grows across runs). Crashers, timeouts and
# out-of-memory inputs: fuzz-out/crashers. Turn each crasher into a regression
# fixture under tests/data/fuzz/ (see tests/robustness/FuzzRegressionTest.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"

# libFuzzer comes with clang's runtime; the main build does not need either.
packages=(clang libclang-rt-14-dev cmake qt6-base-dev libtiff-dev)
bash scripts/ensure-packages.sh "${packages[@]}"

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DORVANE_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 --target fuzz_open orvane-make-corpus

mkdir -p fuzz-out/corpus fuzz-out/crashers
build-fuzz/tests/support/orvane-make-corpus build-fuzz/seeds
# The committed regression fixtures are seeds too: they mark known hard cases.
seed_dirs=(build-fuzz/seeds)
[[ -d tests/data/fuzz ]] && seed_dirs+=(tests/data/fuzz)

# A run longer than 10 s or above 2 GB is a finding: no file may make the open
# slow or large. Leaks are checked too (repeated opens must not grow). Fork mode
# goes on after a finding, so one run collects them all.
ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1" \
  build-fuzz/fuzz/fuzz_open fuzz-out/corpus "${seed_dirs[@]}" \
  -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix=fuzz-out/crashers/ -print_final_stats=1 >fuzz-out/last-run.log 2>&1 || true
grep -E "^#[0-9]+: cov" fuzz-out/last-run.log | tail -1
grep -E "INFO: fuzzed for|ERROR|SUMMARY" fuzz-out/last-run.log | sort | uniq -c | head -20

crashers=$(find fuzz-out/crashers -type f | wc -l)
echo "crashers kept: $crashers (fuzz-out/crashers)"
