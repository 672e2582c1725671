#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60): tests/fuzz/run.sh 60
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
ls tests/fuzz/fuzz_*.cpp > /dev/null 2>&1 || exit 0
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DVOR_FUZZ=ON -DVOR_SANITIZE=ON -DVOR_TESTS=OFF > /dev/null
cmake --build build-fuzz -j"$(nproc)" > build-fuzz/build.log 2>&1 || { cat build-fuzz/build.log; exit 1; }
status=0
bin=build-fuzz/tests/fuzz
for src in tests/fuzz/fuzz_*.cpp; do
  name=$(basename "$src" .cpp)
  work=build-fuzz/corpus/$name
  mkdir -p "$work"
  seeds=tests/fuzz/corpus/${name#fuzz_}
  [ -d "$seeds" ] || seeds=
  echo "fuzz: $name for ${seconds}s"
  if ! "$bin/$name" -max_total_time="$seconds" -max_len=65536 -print_final_stats=0 \
        "$work" ${seeds:+"$seeds"} > "build-fuzz/$name.log" 2>&1; then
    echo "fuzz: $name found a fault:"; tail -n 40 "build-fuzz/$name.log"; status=1
  fi
done
exit $status
