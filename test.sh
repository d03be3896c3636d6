#!/usr/bin/env bash
# Sets up (packages, configure, build) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo ${ZARIZ_CMAKE_ARGS:-} >/dev/null
cmake --build build -j2
cd build
ctest --output-on-failure -j2
