#!/usr/bin/env bash
# Packs and unpacks real binaries (the system's shared libraries, concatenated to about 1, 30
# and 200 MB) with the tool's ZIP writer and reader and with Info-ZIP zip -6 and unzip -o,
# side by side: time, throughput, archive size, and the writer's peak memory.
#   bench/run-zip-bench.sh [build-folder]     (default: $CORUPD_BUILD_DIR or build/)
#   ZIP_BENCH_RUNS=5 bench/run-zip-bench.sh   best of 5 runs instead of 3
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${CORUPD_BUILD_DIR:-$top/build}}"
cli="$build/bench/bench_zip_cli"
runs="${ZIP_BENCH_RUNS:-3}"
if [ ! -x "$cli" ]; then
  echo "run-zip-bench: $cli is missing; build it with: ninja -C $build bench_zip_cli" >&2
  exit 1
fi
for tool in zip unzip /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "run-zip-bench: $tool is not installed" >&2; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/corupd-zip-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Real binaries, in a fixed order so every run packs the same bytes.
libs="$work/libs.txt"
find /usr/lib/x86_64-linux-gnu /usr/lib /usr/bin -maxdepth 1 -type f -size +64k 2>/dev/null \
  | LC_ALL=C sort > "$libs"
make_input() { # size-in-bytes file
  xargs -d '\n' cat < "$libs" 2>/dev/null | head -c "$1" > "$2" || true
  [ "$(stat -c %s "$2")" -eq "$1" ] || { echo "run-zip-bench: not enough binaries for $1 bytes" >&2; exit 1; }
}

# Wall and CPU seconds (user + system, of the command and its children) of one run.
timer='
import resource, subprocess, sys, time
r0 = resource.getrusage(resource.RUSAGE_CHILDREN); t0 = time.perf_counter()
subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL)
t1 = time.perf_counter(); r1 = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu = (r1.ru_utime - r0.ru_utime) + (r1.ru_stime - r0.ru_stime)
print("%.4f %.4f" % (t1 - t0, cpu))
'
timed() { python3 -c "$timer" "$@"; }
# Keeps the smaller of two "wall cpu" pairs, field by field.
best() { if [ -z "$1" ]; then echo "$2"; else
  awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " ");
    printf "%.4f %.4f", (y[1] < x[1] ? y[1] : x[1]), (y[2] < x[2] ? y[2] : x[2]) }'; fi; }
wall() { echo "${1%% *}"; }
cpu() { echo "${1##* }"; }
mbps() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", (s > 0 ? b / s / 1e6 : 0) }'; }
pct() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.2f%%", (a - b) * 100 / b }'; }
cell() { # bytes "wall cpu"
  printf '%7.3fs %6s MB/s (cpu %6.3fs %6s MB/s)' "$(wall "$2")" "$(mbps "$1" "$(wall "$2")")" \
    "$(cpu "$2")" "$(mbps "$1" "$(cpu "$2")")"
}

echo "corUPD ZIP benchmark: best of $runs interleaved runs, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "inputs: $(wc -l < "$libs") system binaries concatenated; ours at zlib level 6 (memLevel 8) vs zip -6"
echo "throughput = input bytes / time; cpu = user + system time, which other load on the machine disturbs less"

for item in "1MB:1000000" "30MB:30000000" "200MB:200000000"; do
  label="${item%%:*}"; size="${item##*:}"
  in="$work/input-$label.bin"
  make_input "$size" "$in"
  cat "$in" > /dev/null # into the page cache for both packers

  ours="$work/ours-$label.zip"; theirs="$work/zip-$label.zip"
  out_ours="$work/out-ours"; out_unzip="$work/out-unzip"
  p_ours=""; p_zip=""; x_ours=""; x_unzip=""
  for _ in $(seq "$runs"); do
    rm -f "$ours" "$theirs" # zip would update an existing archive
    p_ours=$(best "$p_ours" "$(timed "$cli" pack "$ours" "$in" 6)")
    p_zip=$(best "$p_zip" "$(timed zip -6 -q -j "$theirs" "$in")")
    rm -rf "$out_ours" "$out_unzip"
    x_ours=$(best "$x_ours" "$(timed "$cli" extract "$ours" "$out_ours")")
    x_unzip=$(best "$x_unzip" "$(timed unzip -o -q "$ours" -d "$out_unzip")")
  done
  cmp -s "$in" "$out_ours/$(basename "$in")" || { echo "run-zip-bench: our extraction differs" >&2; exit 1; }
  cmp -s "$in" "$out_unzip/$(basename "$in")" || { echo "run-zip-bench: unzip's extraction differs" >&2; exit 1; }
  s_ours=$(stat -c %s "$ours"); s_zip=$(stat -c %s "$theirs")

  echo
  echo "$label ($size bytes)"
  echo "  pack     ours   $(cell "$size" "$p_ours")  archive $s_ours bytes"
  echo "  pack     zip -6 $(cell "$size" "$p_zip")  archive $s_zip bytes (ours $(pct "$s_ours" "$s_zip"))"
  echo "  extract  ours   $(cell "$size" "$x_ours")"
  echo "  extract  unzip  $(cell "$size" "$x_unzip")"
  rm -rf "$out_ours" "$out_unzip"
done

# Peak memory of the writer while packing the 200 MB input, against the same program idle.
big="$work/input-200MB.bin"
rss() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }
idle_kib=$(rss "$cli" idle)
rm -f "$work/mem.zip"
pack_kib=$(rss "$cli" pack "$work/mem.zip" "$big" 6)
rm -f "$work/zipmem.zip"
zip_kib=$(rss zip -6 -q -j "$work/zipmem.zip" "$big")
echo
echo "peak memory packing 200MB (max RSS): ours ${pack_kib} KiB, idle ${idle_kib} KiB," \
  "difference $(( (pack_kib - idle_kib) / 1024 )) MiB ($(( pack_kib - idle_kib )) KiB); zip -6 ${zip_kib} KiB"
