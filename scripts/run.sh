#!/usr/bin/env bash
# The main job on the bundled samples: installs what is missing, builds, then joins three
# compatible samples into build/joined.wmv and shows what is in the result.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
build/bin/splicora-join --force build/joined.wmv \
    tests/data/av_wmv2_wma2_meta.wmv tests/data/av_part2.wmv tests/data/av_part3.wmv
build/bin/asftool info build/joined.wmv
