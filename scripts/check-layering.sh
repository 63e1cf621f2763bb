#!/usr/bin/env bash
# The libraries below the frame hold logic only: none of them may reference a
# widget or an OpenGL symbol. Reads the undefined symbols of each archive.
#   scripts/check-layering.sh [BUILD_DIR]
set -euo pipefail
build="${1:-build}"
status=0
for lib in image/liborvane_image.a view2d/liborvane_view2d.a measure/liborvane_measure.a \
           view3d/liborvane_view3d.a panels/liborvane_panels.a; do
  path="$build/$lib"
  if [[ ! -f "$path" ]]; then
    echo "layering: $path is missing" >&2
    status=1
    continue
  fi
  # QWidget and friends, QOpenGL*, and gl*/GL entry points.
  found=$(nm -C --undefined-only "$path" 2>/dev/null |
          grep -E ' (QWidget|QApplication|QAbstractButton|QLabel|QOpenGL[A-Za-z]*)\b|U (gl[A-Z][A-Za-z0-9]*|glX|egl)' |
          sort -u || true)
  if [[ -n "$found" ]]; then
    echo "layering: $lib references widgets or GL:" >&2
    echo "$found" | head -20 >&2
    status=1
  fi
done
((status == 0)) && echo "layering: image, view2d, measure, view3d and panels reference no widget or GL symbol"
exit $status
