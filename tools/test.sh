#!/usr/bin/env bash
# Installs what is needed (when missing), builds the Debug configuration with
# AddressSanitizer and UBSan into build-test/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DSUITE_SANITIZE=ON
cmake --build build-test -j8
ctest --test-dir build-test --output-on-failure -j8
