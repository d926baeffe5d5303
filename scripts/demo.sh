#!/usr/bin/env bash
# The main job: the tool on the embedded default store, with demo program files.
#   scripts/demo.sh          start the tool (under xvfb-run when there is no display)
#   scripts/demo.sh --walk   drive the road of one release and save screenshots
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build="${CORUPD_BUILD_DIR:-$top/build}"

demo="${CORUPD_DEMO_DIR:-$top/demo}"
rm -rf "$demo"
mkdir -p "$demo/tool/ZIPFiles" "$demo/tool/Temp" "$demo/store" "$demo/drive_c"

# The tool lives beside the suite's program files: copy it there with demo programs.
cp "$build/app/corUPD" "$demo/tool/corUPD"
"$build/tools/corupd-demo-programs" "$demo/tool"
"$build/tools/corupd-mkstore" --store "$demo/store" --drive-c "$demo/drive_c"

export CORVANE_DRIVE_C="$demo/drive_c"
export XDG_CONFIG_HOME="$demo/config"

run() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x800x24" "$@"; fi
}

if [ "${1:-}" = "--walk" ]; then
  mkdir -p "$demo/screenshots"
  run "$build/tools/corupd-walk" "$demo/tool/corUPD" "$demo/screenshots"
  echo "demo: screenshots in $demo/screenshots"
else
  echo "demo: starting $demo/tool/corUPD (drive C: $CORVANE_DRIVE_C)"
  run "$demo/tool/corUPD"
fi
