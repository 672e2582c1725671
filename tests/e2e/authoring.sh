#!/usr/bin/env bash
# The authors' tools from the shell: lint of the shipped scenarios and of the documentation's
# example, a preview drawn into a PNG, one level played alone with --level.
source "$(dirname "$0")/common.sh"
src=$(cd "$(dirname "$0")/../.." && pwd)

# The shipped scenarios lint clean, compiled and as the level texts their lists name.
"$vor" lint main.lev training.lev 2> shipped.txt || fail "lint of the scenarios: status $?"
[ "$(cat shipped.txt)" = "vor lint: 0 errors, 0 warnings" ] || fail "shipped: $(cat shipped.txt)"
(cd "$src/data/levels" && "$vor" lint --quiet main.list training.list) 2> lists.txt ||
  fail "lint of the lists: $(cat lists.txt)"
[ ! -s lists.txt ] || fail "the lists: $(cat lists.txt)"

# The documentation shows what lint says of its example, and its first level is the example file.
doc="$src/docs/scenarios.md"
cp "$src/docs/examples/mistakes.txt" .
set +e
"$vor" lint mistakes.txt 2> mistakes.out; status=$?
"$vor" lint --quiet mistakes.txt 2> quiet.out
"$vor" lint 2> none.out; none=$?
set -e
[ $status -eq 1 ] || fail "lint with an error: status $status"
sed -n '/^\$ vor lint mistakes.txt$/,/^```$/p' "$doc" | sed '1d;$d' > documented.out
diff documented.out mistakes.out || fail "the documented lint output differs"
! grep -q ": warning:" quiet.out && grep -q 'mistakes.txt:17: error:' quiet.out ||
  fail "--quiet: $(cat quiet.out)"
[ $none -eq 1 ] && grep -q usage none.out || fail "lint without files: status $none"
sed -n '/^## 1. A level text/,/^## 2/p' "$doc" | sed -n '/^```$/,/^```$/p' | sed '1d;$d' > first.txt
diff first.txt "$src/docs/examples/fair.txt" || fail "docs/examples/fair.txt is not the level shown"

# A preview is an 800 x 600 PNG; the same seed draws the same picture, --paths draws over it.
# size FILE: width and height from the PNG header.
size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}'; }
"$vor" preview main.lev:19 a.png 2> p.err || fail "preview: status $?, $(cat p.err)"
[ ! -s p.err ] || fail "preview printed: $(cat p.err)"
[ "$(size a.png)" = 800x600 ] || fail "preview size $(size a.png)"
"$vor" preview main.lev:19 b.png
cmp -s a.png b.png || fail "two previews differ"
"$vor" preview --paths main.lev:19 paths.png
cmp -s a.png paths.png && fail "--paths drew nothing"
"$vor" preview "$src/docs/examples/fair.txt" t0.png --tick 0
"$vor" preview "$src/docs/examples/fair.txt" t80.png --tick 80
cmp -s t0.png t80.png && fail "--tick 80 drew the first frame"
set +e
"$vor" preview main.lev out.png 2> e1; s1=$?
"$vor" preview main.lev:999 out.png 2> e2; s2=$?
"$vor" preview --tick -3 main.lev:1 out.png 2> e3; s3=$?
"$vor" preview --tick 144001 main.lev:1 out.png 2> e5; s5=$?
# A program away from any data: a copy of it in a folder of its own.
mkdir -p empty alone/bin && cp "$vor" alone/bin/vor
(cd empty && ../alone/bin/vor preview ../main.lev:1 out.png 2> ../e4); s4=$?
set -e
[ $s1 -eq 1 ] && grep -q "main.lev:1" e1 || fail "a scenario without a level: $s1 $(cat e1)"
[ $s2 -eq 1 ] && grep -q "no level 999" e2 || fail "a level past the end: $s2 $(cat e2)"
[ $s3 -eq 1 ] && grep -q -- "--tick" e3 || fail "a negative tick: $s3 $(cat e3)"
[ $s5 -eq 1 ] && grep -q -- "--tick needs a count of ticks from 0 to 144000" e5 ||
  fail "a tick beyond an hour: $s5 $(cat e5)"
[ $s4 -eq 1 ] && grep -q "pictures" e4 || fail "no pictures: $s4 $(cat e4)"
[ ! -e out.png ] && [ ! -e empty/out.png ] || fail "a failed preview wrote a picture"
# The program in its build folder finds the data the build made beside it ("data"), from an
# author's own folder; its cache goes to the author's cache folder, here a scratch one.
mkdir author && cp "$src/docs/examples/fair.txt" author/
(cd author && XDG_CACHE_HOME="$PWD/../cache" XDG_DATA_HOME="$PWD/../share" \
  "$vor" preview fair.txt fair.png 2> ../e6) || fail "preview from an author's folder: $(cat e6)"
[ "$(size author/fair.png)" = 800x600 ] || fail "no preview from an author's folder"

# One level alone: it plays from the start, ends with Escape, or at its end (after the level-done
# picture); a level that cannot be read ends the program with status 1.
printf 'NAME=Alone\nT1_VISIBLE=1\nT1_NEEDHIT=1\nT1_X=400\nT1_Y=300\n' > alone.txt
"$vor" --headless --level alone.txt --ticks 30 --dump-state alone.json || fail "--level: $?"
[ "$(json alone.json State)" = 3 ] && [ "$(json alone.json Level)" = 1 ] ||
  fail "--level did not start the level"
grep -q '"LevelName":"Alone"' alone.json || fail "--level played another level"
"$vor" --headless --level main.lev:7 --ticks 5 --dump-state seven.json
[ "$(json seven.json Level)" = 7 ] || fail "--level main.lev:7 played level $(json seven.json Level)"
printf '12 key Escape down\n' > esc.txt
"$vor" --headless --level alone.txt --ticks 1000 --script esc.txt --dump-state esc.json
[ "$(json esc.json Tick)" = 12 ] || fail "Escape did not end the run (tick $(json esc.json Tick))"
printf 'NAME=Nothing to hit\n' > done.txt
"$vor" --headless --level done.txt --ticks 1000 --dump-state done.json || fail "level end: $?"
[ "$(json done.json Tick)" -lt 30 ] || fail "the end of the level did not end the run"
[ -z "$(ls ./*.tbl 2> /dev/null)" ] || fail "a level run wrote a table of records"
set +e
"$vor" --headless --level missing.txt --ticks 10 2> m.err; s=$?
set -e
[ $s -eq 1 ] && grep -q "missing.txt" m.err || fail "a missing level: status $s, $(cat m.err)"
echo ok
