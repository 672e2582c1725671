#!/usr/bin/env bash
# Installs what is missing, builds the game and its data, and plays: ./play.sh [OPTIONS]
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVOR_TESTS=OFF > /dev/null
cmake --build build -j"$(nproc)" > build/build.log 2>&1 || { cat build/build.log; exit 1; }
mkdir -p build/data
cd build/data
exec ../vor "$@"
