#!/usr/bin/env bash
# Uploads and test-downloads a large release (200 MB by default) through the embedded store and
# prints each one's time and peak memory above the idle process, against twice the archive.
#   bench/run-cloud-bench.sh [build-folder]          (default: $CORUPD_BUILD_DIR or build/)
#   CLOUD_BENCH_MB=500 bench/run-cloud-bench.sh      another archive size
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${CORUPD_BUILD_DIR:-$top/build}}"
bench="$build/bench/bench_cloud"
mb="${CLOUD_BENCH_MB:-200}"
if [ ! -x "$bench" ]; then
  echo "run-cloud-bench: $bench is missing; build it with: ninja -C $build bench_cloud" >&2
  exit 1
fi
out="$(mktemp "${TMPDIR:-/tmp}/corupd-cloud-bench.XXXXXX.json")"
log="$(mktemp "${TMPDIR:-/tmp}/corupd-cloud-bench.XXXXXX.log")"
trap 'rm -f "$out" "$log"' EXIT
if ! "$bench" --archive-mb="$mb" --benchmark_out="$out" --benchmark_out_format=json >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
python3 - "$out" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
print(f"{'operation':<10} {'archive MiB':>12} {'seconds':>8} {'MiB/s':>8} {'idle MiB':>9} "
      f"{'peak MiB':>9} {'above idle':>11} {'x archive':>10}  target <= 2x")
for r in runs:
    if r.get("error_occurred"):
        print(f"{r['name']}: {r.get('error_message')}")
        continue
    name = r["name"].split("/")[0].replace("BM_", "").lower()
    x = r["above_idle_x_archive"]
    print(f"{name:<10} {r['archive_MiB']:>12.1f} {r['real_time'] / 1000:>8.2f} {r['MiB_per_s']:>8.0f} "
          f"{r['idle_MiB']:>9.1f} {r['peak_MiB']:>9.1f} {r['above_idle_MiB']:>11.1f} {x:>10.3f}  "
          f"{'met' if x <= 2.0 else 'over by %.1f MiB' % (r['above_idle_MiB'] - 2 * r['archive_MiB'])}")
PY
