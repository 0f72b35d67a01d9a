#!/usr/bin/env bash
# Builds and runs the benchmarks; each figure is printed next to its floor.
# The thumbnail comparison needs vipsthumbnail (Debian: libvips-tools) and is skipped without it.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${FENMAR_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${FENMAR_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" --target fenmar_file_list_bench >/dev/null
"$build_dir/bin/fenmar_file_list_bench"
cmake --build "$build_dir" --parallel "$(nproc)" --target fenmar_bridge_bench >/dev/null
"$build_dir/bin/fenmar_bridge_bench"
