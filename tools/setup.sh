#!/usr/bin/env bash
# Installs what is needed, builds the Release configuration into build/ and
# runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSUITE_TESTS=OFF
cmake --build build -j"$(nproc)"
bash tools/main-job.sh build
