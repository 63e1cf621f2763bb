#!/usr/bin/env bash
# Runs orvane-snapshot over a corpus of good, odd and broken TIFFs with a few
# sets of user actions and writes every report (and picture) into OUT. Run it
# before and after a change and compare: diff -r OLD/reports NEW/reports.
# Reports leave out their timings (--no-timings): no two runs have the same.
#   scripts/snapshot-corpus.sh OUT [BUILD_DIR]      (needs an X display: xvfb-run -a)
set -euo pipefail
out="$(realpath -m "${1:?usage: $0 OUT [BUILD_DIR]}")"
build="$(realpath "${2:-build}")"
snapshot="$build/tools/orvane-snapshot"
rm -rf "$out"
mkdir -p "$out/files" "$out/reports"

"$build/tools/orvane-make-samples" "$out/files" >/dev/null
"$build/tests/support/orvane-make-corpus" "$out/files" >/dev/null
cp "$(dirname "$0")"/../tests/data/fuzz/* "$out/files/"

cd "$out/files"
for f in *; do
  base="$out/reports/$f"
  "$snapshot" --no-timings --json "$base.plain.json" --png "$base.plain.png" "$f"
  "$snapshot" --no-timings --size 900x600 --wheel 5 --press 200,150 --info --json "$base.zoom.json" "$f"
  "$snapshot" --no-timings --wheel -3 --press 50,300 --json "$base.zoomout.json" --png "$base.zoomout.png" "$f"
  "$snapshot" --no-timings --3d --resolution 70 --zdepth 30 --wheel 2 --json "$base.3d.json" "$f"
done
echo "$(ls "$out/reports" | wc -l) reports in $out/reports"
