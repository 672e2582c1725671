#!/usr/bin/env bash
# Builds the game for the web: ./web.sh [--serve]
# Installs what is missing, builds SDL2, zlib, libpng and libjpeg-turbo for the web from Debian's
# source packages once (cached in build-emcc/libs/, keyed by their versions), builds the game and
# leaves a static site in build-web/ (entry build-web/index.html), with a .gz and a .br copy of each
# file a server may send compressed. --serve then serves it on 127.0.0.1 until Ctrl+C, sending
# those copies to browsers that accept them.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

tools/deps.sh web

# Debian's emscripten finds Debian's JavaScript modules only through NODE_PATH, and this Node
# rejects the threads flag emcmake gives its configure tests.
export NODE_PATH=/usr/share/nodejs
emulator="/usr/bin/node;--no-experimental-fetch"
jobs=$(($(nproc) < 2 ? $(nproc) : 2))
sources=(libsdl2 zlib libpng1.6 libjpeg-turbo)
suite=bookworm

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Source packages come from the same archive as the binary ones: a deb-src entry copied from the
# machine's own apt sources.
source_version() {
  apt-get source --print-uris -qq "$1/$suite" 2>/dev/null | sed -n "s/.*_\(.*\)\.dsc'.*/\1/p" |
    sed 's/%2b/+/g'
}
ensure_deb_src() {
  local missing=0 p
  for p in "${sources[@]}"; do [ -n "$(source_version "$p")" ] || missing=1; done
  [ "$missing" = 0 ] && return
  local list=/etc/apt/sources.list.d/debian.sources
  [ -f "$list" ] || { echo "web.sh: no $list to derive source packages from" >&2; exit 1; }
  sed 's/^Types:.*/Types: deb-src/' "$list" | as_root tee /etc/apt/sources.list.d/vor-deb-src.sources >/dev/null
  as_root apt-get update -qq
}

libs=build-emcc/libs
build_libs() {
  ensure_deb_src
  local key="" p
  for p in "${sources[@]}"; do key+="$p-$(source_version "$p")_"; done
  local prefix=$root/$libs/${key%_}
  if [ -f "$prefix/.done" ]; then
    echo "$prefix"
    return
  fi
  echo "Building the libraries for the web into $prefix" >&2
  rm -rf "$prefix" "$libs/src"
  mkdir -p "$prefix" "$libs/src"
  (
    cd "$libs/src"
    local p
    for p in "${sources[@]}"; do apt-get source -qq "$p/$suite" >&2; done
    local common=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CROSSCOMPILING_EMULATOR=$emulator"
                  "-DCMAKE_INSTALL_PREFIX=$prefix" "-DCMAKE_PREFIX_PATH=$prefix")
    (cd zlib-*/ && emconfigure ./configure --static && nice -n 10 emmake make -j"$jobs" libz.a &&
       mkdir -p "$prefix/lib" "$prefix/include" && cp libz.a "$prefix/lib/" &&
       cp zlib.h zconf.h "$prefix/include/")
    (cd libpng1.6-*/ && emcmake cmake -S . -B build "${common[@]}" -DPNG_SHARED=OFF -DPNG_TESTS=OFF \
       -DPNG_EXECUTABLES=OFF "-DZLIB_LIBRARY=$prefix/lib/libz.a" "-DZLIB_INCLUDE_DIR=$prefix/include" &&
       nice -n 10 cmake --build build -j"$jobs" && cmake --install build)
    (cd libjpeg-turbo-*/ && emcmake cmake -S . -B build "${common[@]}" -DWITH_SIMD=OFF \
       -DWITH_TURBOJPEG=OFF -DENABLE_SHARED=OFF && nice -n 10 cmake --build build -j"$jobs" &&
       cmake --install build)
    (cd libsdl2-*/ && emcmake cmake -S . -B build "${common[@]}" -DSDL_SHARED=OFF -DSDL_STATIC=ON \
       -DSDL_TEST=OFF && nice -n 10 cmake --build build -j"$jobs" && cmake --install build)
  ) > "$libs/build.log" 2>&1 || { tail -50 "$libs/build.log" >&2; exit 1; }
  rm -rf "$libs/src"
  touch "$prefix/.done"
  echo "$prefix"
}

prefix=$(build_libs)

# The data and the bitmap resources come from a native build: the data maker draws with cairo.
mkdir -p build
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVOR_TESTS=OFF > /dev/null
nice -n 10 cmake --build build -j"$jobs" --target vor_data > build/build.log 2>&1 ||
  { tail -50 build/build.log; exit 1; }

# The game's folder on the page: collections, sounds and scenarios (graph.dat is built at the
# first start), and the scripts the tests and the benchmark run.
stage=build-emcc/folder
rm -rf "$stage"
mkdir -p "$stage"
cp build/data/*.ccg build/data/*.col build/data/*.lev web/scripts/*.txt "$stage/"

game=build-emcc/game
PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig emcmake cmake -S . -B "$game" -DCMAKE_BUILD_TYPE=Release \
  -DVOR_TESTS=OFF "-DCMAKE_CROSSCOMPILING_EMULATOR=$emulator" "-DCMAKE_FIND_ROOT_PATH=$prefix" \
  "-DVOR_RESOURCES_CPP=$root/build/generated/Resources.cpp" "-DVOR_WEB_DATA=$root/$stage" \
  > build-emcc/configure.log 2>&1 || { tail -50 build-emcc/configure.log; exit 1; }
rm -f "$game/vor.js"  # the packed folder is made at link time
nice -n 10 cmake --build "$game" -j"$jobs" --target vor > "$game/build.log" 2>&1 ||
  { tail -50 "$game/build.log"; exit 1; }

rm -rf build-web
mkdir -p build-web/icons
cp "$game/vor.js" "$game/vor.wasm" "$game/vor.data" web/scale.js web/touch.js web/manifest.webmanifest build-web/
# The icons of the manifest and the page, drawn by the data maker as the desktop's are.
icons=build-emcc/icons
rm -rf "$icons"
build/tools/assetgen/vor-assetgen --icons "$icons" vor
for size in 48 128 256; do cp "$icons/${size}x$size/apps/vor.png" "build-web/icons/$size.png"; done

# The build's name (for the offline cache) comes from everything the site holds; the page learns
# the sizes of the two large files, which a compressing server does not say.
offline=(./ vor.js vor.wasm vor.data scale.js touch.js manifest.webmanifest icons/48.png icons/128.png
         icons/256.png)
version=$(cd build-web && cat vor.js vor.wasm vor.data scale.js touch.js manifest.webmanifest icons/* \
          "$root/web/index.html" "$root/web/sw.js" | sha256sum | cut -c1-16)
sizes="{\"vor.wasm\":$(stat -c %s build-web/vor.wasm),\"vor.data\":$(stat -c %s build-web/vor.data)}"
files="[$(printf '"%s",' "${offline[@]}" | sed 's/,$//')]"
sed -e "s|@VERSION@|$version|g" -e "s|@SIZES@|$sizes|g" web/index.html > build-web/index.html
sed -e "s|@VERSION@|$version|g" -e "s|@FILES@|$files|g" web/sw.js > build-web/sw.js

# Compressed copies for servers that send them (not the pictures: PNG is compressed already).
for f in build-web/*.html build-web/*.js build-web/*.wasm build-web/*.data build-web/*.webmanifest; do
  gzip -9 -n -k -f "$f"
  brotli -q 11 -f -k "$f"
done
echo "The site is in build-web/ (entry build-web/index.html), build $version."

if [ "${1:-}" = --serve ]; then
  exec python3 web/serve.py build-web
fi
