#!/usr/bin/env bash
# "vor compile LIST OUT" from the shell: the exact bytes of the scenario file; a level file that
# cannot be read, a list without levels, an unreadable list or swapped arguments refused with
# status 1 and without output.
source "$(dirname "$0")/common.sh"

# le32 N: N as four bytes, low byte first.
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }

printf 'NAME=First\r\nT1_VISIBLE=1\r\n\r\nT1_X=100\r\n' > one.txt
printf '; the second level\nNAME=Second\nISNIGHT=1\n\nWINDX=-2\n' > two.txt
printf 'one.txt\n\ntwo.txt\n' > list.txt
"$vor" compile list.txt out.lev 2> err || fail "compile: status $?"
[ ! -s err ] || fail "compile printed: $(cat err)"

first=$'NAME=First\rT1_VISIBLE=1\rT1_X=100\r'
second=$'NAME=Second\rISNIGHT=1\rWINDX=-2\r'
{
  le32 2; head -c 252 /dev/zero
  le32 0; le32 ${#first}; head -c 504 /dev/zero
  printf '%s%s' "$first" "$second"
} > expected.lev
cmp expected.lev out.lev || fail "the scenario file differs from the expected bytes"
[ "$(stat -c %s out.lev)" = $((768 + ${#first} + ${#second})) ] || fail "wrong size"

# A failed compile says why on stderr and exits 1: an unreadable list (the error names the list,
# nothing is written, an old file stays) or an output that cannot be written.
mkdir listdir
status() { set +e; "$@"; echo $?; set -e; }
# A level named but missing, or a list naming none: nothing written, the old file kept.
cp out.lev old.lev
printf 'one.txt\nmissing.txt\ntwo.txt\n' > gap.txt
[ "$(status "$vor" compile gap.txt out.lev 2> err1)" = 1 ] || fail "a missing level: not status 1"
grep -q "line 2 names the level file 'missing.txt', which does not exist" err1 ||
  fail "a missing level: $(cat err1)"
printf '\n\n' > blank.txt
[ "$(status "$vor" compile blank.txt out.lev 2> err1)" = 1 ] || fail "no level: not status 1"
grep -q "it names no level file" err1 || fail "no level: $(cat err1)"
cmp out.lev old.lev || fail "a failed compile changed the scenario"
# The arguments swapped: the scenario names no level file, and the list stays.
cp list.txt list.keep
[ "$(status "$vor" compile out.lev list.txt 2> err1)" = 1 ] || fail "swapped: not status 1"
cmp list.txt list.keep || fail "swapped arguments overwrote the list"
[ "$(tr -d '\0' < err1 | wc -c)" = "$(wc -c < err1)" ] || fail "a zero byte on stderr"
[ "$(status "$vor" compile listdir new.lev 2> err2)" = 1 ] || fail "compile of a folder: not status 1"
grep -q "Compilation error of file listdir" err2 || fail "no compilation error: $(cat err2)"
[ ! -e new.lev ] || fail "output written after an error"
cp out.lev keep.lev
[ "$(status "$vor" compile nolist.txt keep.lev 2> err3)" = 1 ] || fail "missing list: not status 1"
grep -q "Compilation error of file nolist.txt" err3 || fail "missing list: $(cat err3)"
cmp out.lev keep.lev || fail "the old output was changed"
[ "$(status "$vor" compile list.txt nodir/out.lev 2> err4)" = 1 ] || fail "unwritable: not status 1"
grep -q "nodir/out.lev" err4 || fail "the write error does not name the file: $(cat err4)"
# The writer's temporary files are hidden ones beside the output.
ls -A | grep -q '^\.' && fail "a temporary file was left behind: $(ls -A | grep '^\.')"
echo ok
