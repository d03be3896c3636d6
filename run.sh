#!/usr/bin/env bash
# Sets up (packages, configure, build) and starts the game. Options are passed
# on: ./run.sh --scale 2, ./run.sh --help
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo ${ZARIZ_CMAKE_ARGS:-} >/dev/null
cmake --build build -j2 --target zariz
exec ./build/zariz "$@"
