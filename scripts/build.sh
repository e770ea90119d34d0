#!/usr/bin/env bash
# build.sh DIR [cmake options...] [-- targets...]: configures and builds one build tree (only
# the targets given after --, when there are any).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
targets=()
if [ $# -gt 0 ]; then shift; targets=(--target "$@"); fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
