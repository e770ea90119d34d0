#!/usr/bin/env bash
# The main job on the bundled samples: installs what is missing, builds, then reads every sample.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
build/bin/asftool info tests/data/*.wmv tests/data/*.wma tests/data/*.asf
