#!/usr/bin/env bash
# Builds the program and opens the bundled sample model.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
exec build/vrkviewer samples/sample.vrk
