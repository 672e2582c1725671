#!/usr/bin/env bash
# Installs the Debian packages the build, the data maker and the tests need; skips what is there.
# Usage: tools/deps.sh play|package|test|web
set -euo pipefail
packages=(build-essential cmake pkg-config libsdl2-dev libjpeg-dev libpng-dev libcairo2-dev
          libfreetype-dev fonts-dejavu-core libwmf-dev fonts-urw-base35 libemf2svg-dev
          librsvg2-dev
          # The game's requests to a server of shared tables.
          libcurl4-openssl-dev
          # vor-records: HTTP, JSON, and its databases.
          libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpqxx-dev)
# CPack's Debian generator: dpkg-shlibdeps finds the dependencies, file finds the programs;
# dpkg-buildflags gives the hardening flags; lintian checks the package.
package_tools=(dpkg-dev file lintian)
case "${1:-play}" in
  package) packages+=("${package_tools[@]}") ;;
  test)
    packages+=(libgtest-dev libbenchmark-dev xvfb xauth x11-utils xdotool imagemagick time clang
               libclang-rt-14-dev
               desktop-file-utils appstream man-db curl "${package_tools[@]}"
               # vor-records' tests make a PostgreSQL cluster of their own.
               postgresql)
    # The browser tests (VOR_WEB_TESTS=0 skips them) need the web build's tools too.
    [ "${VOR_WEB_TESTS:-1}" = 0 ] || packages+=(emscripten chromium dpkg-dev brotli gzip)
    ;;
  web) packages+=(emscripten chromium dpkg-dev brotli gzip) ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq || true
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
