#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds Orvane, and then either
# starts the viewer on generated sample height maps ("run") or runs the whole
# test suite ("test").
set -euo pipefail
cd "$(dirname "$0")/.."

mode="${1:-}"
case "$mode" in run|test) ;; *) echo "usage: $0 run|test" >&2; exit 2 ;; esac

packages=(g++ cmake make qt6-base-dev libqt6opengl6-dev qt6-charts-dev libtiff-dev
          qt6-image-formats-plugins libgtest-dev libbenchmark-dev xvfb xauth
          fonts-liberation fonts-wine locales clang-format)
bash scripts/ensure-packages.sh "${packages[@]}"
# A comma locale, so that the tests can show that numbers never follow it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi

if [[ "$mode" == test ]]; then
  bash scripts/check-format.sh
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"

if [[ "$mode" == run ]]; then
  build/tools/orvane-make-samples samples
  echo "Sample height maps are in $(pwd)/samples; open one with File > Open."
  cd samples
  exec ../build/app/orvane
fi

bash scripts/check-layering.sh build

# GUI and OpenGL tests need a display: a virtual one is enough.
(cd build && xvfb-run -a -s "-screen 0 1600x1200x24" ctest --output-on-failure -j2)

# The unit tests again under AddressSanitizer + UBSan, and the reader's under
# ThreadSanitizer: no file may crash, leak or race.
bash scripts/sanitizers.sh
