#!/usr/bin/env bash
# Builds the Debian package of the game (release build in build-package/, CPack) and prints the
# path of vor_VERSION_ARCH.deb as its last line. Install it with: apt install ./vor_*.deb
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh package
mkdir -p build-package
# Debian's hardening flags (dpkg-buildflags) for every program built, the data maker too; CMake
# reads no CPPFLAGS, so they go with the compiler's flags. Given on each run, as the tree is kept.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DVOR_TESTS=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
      -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" > build-package/configure.log
cmake --build build-package -j"$(nproc)" > build-package/build.log 2>&1 ||
  { cat build-package/build.log; exit 1; }
rm -f build-package/package/vor_*.deb
(cd build-package && cpack -G DEB > cpack.log 2>&1) || { cat build-package/cpack.log; exit 1; }
deb=(build-package/package/vor_*.deb)
[ ${#deb[@]} -eq 1 ] && [ -f "${deb[0]}" ] || { echo "package.sh: no package was made" >&2; exit 1; }
realpath "${deb[0]}"
