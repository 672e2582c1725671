#!/usr/bin/env bash
# The Debian package: ./package.sh builds it (a release tree in build-package/, kept between runs)
# and names it last; it holds the installed layout under /usr, depends on the shared libraries
# the program links, recommends the metafile decoders it opens when a picture needs them, and
# lintian finds no error and no warning in it.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
source_dir=$(realpath "$1")
out=$(mktemp)
tree=$(mktemp -d)
trap 'rm -rf "$out" "$tree"' EXIT
"$source_dir/package.sh" > "$out" || fail "package.sh: status $?"
deb=$(tail -n 1 "$out")
[ -f "$deb" ] || fail "package.sh did not name a package last: $(tail -n 3 "$out")"
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") =~ ^vor_[0-9]+\.[0-9]+\.[0-9]+_${arch}\.deb$ ]] || fail "package name $deb"

files=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in ./usr/games/vor ./usr/games/vor-records ./usr/share/man/man6/vor-records.6.gz \
         ./usr/share/vor/back.ccg ./usr/share/vor/targets.ccg \
         ./usr/share/vor/graph.ccg ./usr/share/vor/font.ccg ./usr/share/vor/wave.col \
         ./usr/share/vor/main.lev ./usr/share/vor/training.lev ./usr/share/man/man6/vor.6.gz \
         ./usr/share/doc/vor/copyright ./usr/share/doc/vor/changelog.gz \
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
for lib in libc6 libsdl2-2.0-0 libjpeg62-turbo libpng16-16; do
  grep -q "$lib" <<< "$depends" || fail "Depends lacks $lib: $depends"
done
! grep -q 'libasan\|libubsan' <<< "$depends" || fail "a sanitized program was packaged: $depends"
# The metafile decoders are recommended, not needed: the program does not link them.
decoders='libwmf\|libemf2svg\|librsvg\|libcairo\|libglib\|libgobject'
! grep -q "$decoders" <<< "$depends" || fail "Depends holds a metafile decoder: $depends"
recommends=$(dpkg-deb -f "$deb" Recommends)
for lib in libwmf-0.2-7 libemf2svg1 librsvg2-2; do
  grep -q "$lib" <<< "$recommends" || fail "Recommends lacks $lib: $recommends"
done
dpkg-deb -x "$deb" "$tree"
needed=$(readelf -d "$tree/usr/games/vor" | grep NEEDED) || fail "readelf found no NEEDED entry"
! grep -q "$decoders" <<< "$needed" || fail "the program links a metafile decoder: $needed"
# The copyright is machine-readable and carries the font's licence; the changelog names this
# version first.
head -n 1 "$tree/usr/share/doc/vor/copyright" |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not machine-readable"
grep -q '^License: bitstream-vera$' "$tree/usr/share/doc/vor/copyright" || fail "no font licence"
version=$(dpkg-deb -f "$deb" Version)
zcat "$tree/usr/share/doc/vor/changelog.gz" | head -n 1 | grep -q "^vor ($version) " ||
  fail "changelog does not start with $version"

# lintian: no error and no warning (its informational notes are listed when it fails).
lintian --fail-on error,warning --display-info "$deb" > "$tree/lintian.txt" 2>&1 ||
  fail "lintian: $(cat "$tree/lintian.txt")"
echo ok
