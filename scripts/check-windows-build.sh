#!/usr/bin/env bash
# Compiles platform/ (plain C++20 and zlib) for Windows with MinGW-w64, so the small Windows
# branches (SetLocaleInfoW, COM, CreateFileW share modes) are at least built. Needs the Debian
# packages g++-mingw-w64-x86-64-posix and libz-mingw-w64-dev (not part of the usual set-up).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cxx="${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}"
out="$(mktemp -d "${TMPDIR:-/tmp}/corupd-mingw.XXXXXX")"
trap 'rm -rf "$out"' EXIT
for src in "$top"/platform/*.cpp; do
  "$cxx" -std=c++20 -Wall -Wextra -Werror -I"$top" -c "$src" -o "$out/$(basename "$src" .cpp).o"
done
echo "check-windows-build: platform/ compiles for Windows with $cxx"
