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

# The same reports with only the fields every build has had, for comparing a
# build with one from before fields were added (status, exact, profile,
# timings, palette): OUT/base-fields/.
if command -v python3 >/dev/null; then
  python3 - "$out" <<'PY'
import json, os, sys
out = sys.argv[1]
os.makedirs(os.path.join(out, "base-fields"), exist_ok=True)
keep = {"file", "opened", "messages", "labels", "model", "texts", "levels_sha256", "progress",
        "view", "histogram", "marker", "scene", "info"}
for name in sorted(os.listdir(os.path.join(out, "reports"))):
    if name.endswith(".json"):
        with open(os.path.join(out, "reports", name)) as f:
            report = json.load(f)
        with open(os.path.join(out, "base-fields", name), "w") as f:
            json.dump({k: v for k, v in report.items() if k in keep}, f, indent=1, sort_keys=True)
PY
fi
