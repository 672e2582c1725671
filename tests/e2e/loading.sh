#!/usr/bin/env bash
# Loading the graphics: a first start builds "graph.dat" from the collections, a later start reads
# it, and a "graph.dat" lacking a block ends the program with "ошибка" in "err.txt".
source "$(dirname "$0")/common.sh"

blocks=(backgrounds targets_pict targets_circle picts magnet_b magnet_m magnet_s letters)
# offset NAME: where the block name first stands in graph.dat.
offset() { grep -boa -m 1 "$1" graph.dat | head -n 1 | cut -d: -f1; }

rm -f graph.dat err.txt
"$vor" --headless --ticks 2 --dump-state first.json || fail "first start: status $?"
[ -s graph.dat ] || fail "the first start wrote no graph.dat"
[ "$(json first.json State)" = 2 ] || fail "the first start did not reach the main menu"
last=-1
for b in "${blocks[@]}"; do
  at=$(offset "$b")
  [ -n "$at" ] || fail "graph.dat lacks the block $b"
  [ "$at" -gt "$last" ] || fail "block $b is out of order"
  last=$at
done
[ ! -e err.txt ] || fail "the first start wrote err.txt: $(cat err.txt)"

# A second start reads graph.dat and leaves it as it was.
cp graph.dat built.dat
"$vor" --headless --ticks 2 --dump-state second.json || fail "second start: status $?"
[ "$(json second.json State)" = 2 ] || fail "the second start did not reach the main menu"
cmp -s graph.dat built.dat || fail "the second start changed graph.dat"
for f in back.ccg targets.ccg graph.ccg font.ccg; do rm -f "$f"; done
"$vor" --headless --ticks 2 || fail "a start without the collections: status $?"

# The display loses every surface in play: the next screens are as they would have been, a
# dissolving and a fading target included.
cat > level.txt <<'LEVEL'
NAME=Restore
BACKGROUNDINDEX=3
BACKGROUNDTYPE=4
T1_VISIBLE=1
T1_NEEDHIT=1
T1_X=300
T1_Y=300
T1_TYPE=4
T2_VISIBLE=1
T2_NEEDHIT=1
T2_X=500
T2_Y=300
T2_TYPE=2
M1_VISIBLE=1
M1_X=400
M1_Y=150
T3_VISIBLE=1
T3_X=40
T3_Y=535
T3_ISBONUS=2
LEVEL
# The next level picks its background and target pictures at random (indexes out of range).
printf 'NAME=Random\rBACKGROUNDINDEX=999\rT1_VISIBLE=1\rT1_NEEDHIT=1\rT1_X=200\rT1_Y=200\rT1_PICTUREINDEX=999\rT2_VISIBLE=1\rT2_NEEDHIT=1\rT2_X=600\rT2_Y=200\rT2_PICTUREINDEX=999\r' > random.txt
printf 'level.txt\nrandom.txt\n' > level.list
rm -f main.lev
"$vor" compile level.list main.lev || fail "compile: status $?"
printf '5 key Enter down\n6 key Enter up\n' > play.txt
{ cat play.txt; printf '30 lose-surfaces\n'; } > lose.txt
"$vor" --headless --seed 5 --ticks 50 --script play.txt --screenshot kept.png --dump-state kept.json
"$vor" --headless --seed 5 --ticks 50 --script lose.txt --screenshot lost.png --dump-state lost.json
[ "$(json kept.json State)" = 3 ] || fail "the restore level is not being played"
cmp -s kept.png lost.png || fail "the screen after a surface loss differs"
cmp -s kept.json lost.json || fail "the game after a surface loss differs"
# The loss leaves the game's random numbers as they were. A hit on the bonus target (which draws
# a number) lies between the level's start and the loss; F11 then loads the next level, whose
# random pictures are the same as in a run without the loss.
hit='10 button 0 down\n11 button 0 up\n35 button 0 down\n36 button 0 up\n'
{ cat play.txt; printf "$hit"'60 key F11 down\n61 key F11 up\n'; } > skip.txt
{ cat play.txt; printf "$hit"'45 lose-surfaces\n60 key F11 down\n61 key F11 up\n'; } > loseskip.txt
"$vor" --headless --seed 5 --ticks 90 --script skip.txt --screenshot kept2.png --dump-state kept2.json plimb
"$vor" --headless --seed 5 --ticks 90 --script loseskip.txt --screenshot lost2.png --dump-state lost2.json plimb
[ "$(json kept2.json Level)" = 2 ] && [ "$(json kept2.json TargetsHit)" = 1 ] ||
  fail "no hit on the bonus target, or the random level is not being played"
cmp -s kept2.png lost2.png || fail "the next level's screen after a surface loss differs"
cmp -s kept2.json lost2.json || fail "the next level after a surface loss differs"

# A graph.dat without its last block ("letters"): cut before that record's name length. The log
# has "ошибка" and a line naming graph.dat and the block; stderr says so and how to recover.
head -c $(($(offset letters) - 4)) built.dat > graph.dat
set +e
"$vor" --headless --ticks 5 --dump-state cut.json 2> cut.err; status=$?
set -e
[ $status = 1 ] || fail "a graph.dat lacking a block ended with status $status"
printf '\xee\xf8\xe8\xe1\xea\xe0\r\ngraph.dat is damaged: the block "letters" is missing\r\n' > expected-err.txt
cmp -s err.txt expected-err.txt || fail "err.txt is not \"ошибка\" and the block: $(od -c err.txt | head)"
grep -q 'graph.dat is damaged: the block "letters" is missing' cut.err &&
  grep -q 'delete graph.dat .* the next start rebuilds it' cut.err || fail "stderr: $(cat cut.err)"

# Damaged: a block cut short. Still the error, appended; the damaged block is named.
head -c $(($(stat -c %s built.dat) - 1000)) built.dat > graph.dat
set +e
"$vor" --headless --ticks 5 2> short.err; status=$?
set -e
[ $status = 1 ] || fail "a damaged graph.dat ended with status $status"
[ "$(grep -c . err.txt)" = 4 ] || fail "the second failure was not appended to err.txt"
tail -n 1 err.txt | grep -q '^graph.dat is damaged: the block "letters"' || fail "$(tail -n 1 err.txt)"
grep -q 'delete graph.dat' short.err || fail "no way out on stderr: $(cat short.err)"
# Deleting it, as told, makes the next start rebuild it.
rm graph.dat
for f in back.ccg targets.ccg graph.ccg font.ccg; do ln -s "$data/$f" "$f"; done
"$vor" --headless --ticks 2 --dump-state rebuilt.json || fail "the start after deleting: status $?"
[ -s graph.dat ] && [ "$(json rebuilt.json State)" = 2 ] || fail "graph.dat was not rebuilt"

# A folder the game cannot write: the first start builds graph.dat but cannot keep it, says so
# naming the folder and the file, and goes on; with a damaged graph.dat there, the failure cannot
# be logged either, and stderr names err.txt and the folder. (Root writes anywhere, so the runs
# drop to nobody; the clone and its build may lie in a folder nobody cannot enter, so the game and
# its data are copied into a folder of its own under /tmp.)
shared=$(mktemp -d /tmp/vor-loading.XXXXXX)
trap 'chmod -R u+w "$shared"; rm -rf "$work" "$shared"' EXIT
chmod 755 "$shared"
install -m 755 "$vor" "$shared/vor"
mkdir "$shared/ro" "$shared/ro2"
for f in back.ccg targets.ccg graph.ccg font.ccg wave.col; do install -m 644 "$data/$f" "$shared/ro/$f"; done
head -c 100000 built.dat > "$shared/ro2/graph.dat"
chmod 644 "$shared/ro2/graph.dat"
chmod 555 "$shared/ro" "$shared/ro2"
as_user=()
[ "$(id -u)" = 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
set +e
(cd "$shared/ro" && "${as_user[@]}" "$shared/vor" --headless --ticks 5 2> "$work/ro.err"); status=$?
(cd "$shared/ro2" && "${as_user[@]}" "$shared/vor" --headless --ticks 5 2> "$work/ro2.err"); status2=$?
set -e
[ $status = 0 ] || fail "an unwritable folder ended with status $status: $(cat ro.err)"
grep -q "cannot write graph.dat in the folder $shared/ro: Permission denied" ro.err ||
  fail "the folder and graph.dat are not named: $(cat ro.err)"
[ $status2 = 1 ] || fail "a damaged graph.dat in an unwritable folder: status $status2"
grep -q "graph.dat is damaged" ro2.err &&
  grep -q "cannot write err.txt in the folder $shared/ro2: Permission denied" ro2.err ||
  fail "the folder and err.txt are not named: $(cat ro2.err)"
echo ok
