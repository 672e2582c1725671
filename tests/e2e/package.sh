#!/usr/bin/env bash
# The Debian package: ./package.sh builds it (a release tree in build-package/, kept between runs)
# and names it last; it holds the installed layout under /usr and depends on the shared libraries
# the program links.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
source_dir=$(realpath "$1")
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$source_dir/package.sh" > "$out" || fail "package.sh: status $?"
deb=$(tail -n 1 "$out")
[ -f "$deb" ] || fail "package.sh did not name a package last: $(tail -n 3 "$out")"
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") =~ ^vor_[0-9]+\.[0-9]+\.[0-9]+_${arch}\.deb$ ]] || fail "package name $deb"

files=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in ./usr/bin/vor ./usr/share/vor/back.ccg ./usr/share/vor/targets.ccg \
         ./usr/share/vor/graph.ccg ./usr/share/vor/font.ccg ./usr/share/vor/wave.col \
         ./usr/share/vor/main.lev ./usr/share/vor/training.lev ./usr/share/man/man6/vor.6 \
         ./usr/share/icons/hicolor/256x256/apps/ ./usr/share/icons/hicolor/16x16/apps/; do
  grep -qx -- "$f.*" <<< "$files" || fail "the package lacks $f"
done
grep -q '^./usr/share/applications/.*\.desktop$' <<< "$files" || fail "no desktop entry"
grep -q '^./usr/share/metainfo/.*\.metainfo\.xml$' <<< "$files" || fail "no metainfo"
! grep -q 'graph\.dat' <<< "$files" || fail "the package holds graph.dat"
outside=$(grep -v -e '^\./usr/' -e '^\./$' <<< "$files" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

[ "$(dpkg-deb -f "$deb" Package)" = vor ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libsdl2-2.0-0 libjpeg62-turbo libpng16-16 libwmf; do
  grep -q "$lib" <<< "$depends" || fail "Depends lacks $lib: $depends"
done
! grep -q 'libasan\|libubsan' <<< "$depends" || fail "a sanitized program was packaged: $depends"
echo ok
