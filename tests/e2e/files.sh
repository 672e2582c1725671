#!/usr/bin/env bash
# Files that are not what the game expects: pipes, devices and folders where a file should be are
# named and refused (never read: a pipe would keep the game waiting forever, so every run has a
# timeout), files beyond their kind's size are refused, two copies saving results at once keep
# both, a damaged graph.dat in the player's cache is made again, and failed saves are told.
source "$(dirname "$0")/common.sh"

# run NAME ARGS...: the game with a time limit; its status in $status, stderr in NAME.err.
run() {
  local name=$1
  shift
  set +e
  timeout 120 "$vor" "$@" 2> "$name.err"
  status=$?
  set -e
  [ $status != 124 ] || fail "$name: the game hung"
}
said() { grep -qF -- "$2" "$1.err" || fail "$1: stderr lacks \"$2\": $(cat "$1.err")"; }

# The first start builds graph.dat, which the later starts read.
run first --headless --ticks 2
[ $status = 0 ] && [ -s graph.dat ] || fail "first start: status $status: $(cat first.err)"

# Pipes and devices given on the command line.
mkfifo pipe.txt
run script-pipe --headless --ticks 2 --script pipe.txt
[ $status = 2 ] || fail "a script that is a pipe: status $status"
said script-pipe "vor: cannot read the script pipe.txt: not a regular file (a FIFO)"
run script-zero --headless --ticks 2 --script /dev/zero
[ $status = 2 ] || fail "--script /dev/zero: status $status"
said script-zero "not a regular file (a character device)"
for source in pipe.txt /dev/zero; do
  run level --headless --ticks 2 --level "$source"
  [ $status = 1 ] || fail "--level $source: status $status"
  said level "$source: not a regular file"
  run lint lint "$source"
  [ $status != 0 ] || fail "lint $source: status 0"
  run preview preview "$source" preview.png
  [ $status != 0 ] || fail "preview $source: status 0"
  run compile compile "$source" out.lev
  [ $status != 0 ] && [ ! -e out.lev ] || fail "compile $source: status $status"
done
# A script larger than any recording is refused before it is read.
truncate -s 3G huge.txt
run script-huge --headless --ticks 2 --script huge.txt
[ $status = 2 ] || fail "a 3 GB script: status $status"
said script-huge "cannot read the script huge.txt: too large (3221225472 bytes"
rm huge.txt

# New game on a scenario that is a pipe, or a sparse file of 3 GB: refused with a message, and the
# game goes on in the main menu. The table that is a pipe is refused too.
printf '10 key Enter down\n11 key Enter up\n30 dump menu.json\n' > new-game.txt
rm main.lev
mkfifo main.lev main.tbl
run scenario-pipe --headless --ticks 40 --script new-game.txt
[ $status = 0 ] && [ "$(json menu.json State)" = 2 ] ||
  fail "a scenario that is a pipe: status $status, state $(json menu.json State)"
said scenario-pipe "cannot read main.lev: not a regular file (a FIFO)"
said scenario-pipe "cannot read the table of records main.tbl in the folder $work: not a regular file (a FIFO)"
rm main.lev main.tbl
truncate -s 3G main.lev
run scenario-huge --headless --ticks 40 --script new-game.txt
[ $status = 0 ] && [ "$(json menu.json State)" = 2 ] || fail "a 3 GB scenario: status $status"
said scenario-huge "cannot read main.lev: too large (3221225472 bytes"
rm main.lev
ln -s "$data/main.lev" main.lev

# graph.dat that is a pipe beside the collections: named, with the way out.
mv graph.dat built.dat
mkfifo graph.dat
run graph-pipe --headless --ticks 2
[ $status = 1 ] || fail "graph.dat that is a pipe: status $status"
said graph-pipe "graph.dat cannot be read: not a regular file (a FIFO)"
rm graph.dat
mv built.dat graph.dat

# Two copies lose a game at the same time; the table is a link into another folder. Both results
# are kept, in the file the link leads to, and the link stays.
{
  echo "10 key Enter down"
  echo "11 key Enter up"
  for t in $(seq 40 6 400); do
    echo "$t button 0 down"
    echo "$((t + 1)) button 0 up"
  done
  echo "420 text NAME"
  echo "441 char 13"
} > lose.txt
sed 's/NAME/First/' lose.txt > first.txt
sed 's/NAME/Second/' lose.txt > second.txt
mkdir tables
ln -s tables/kept.tbl main.tbl
for round in 1 2 3; do
  rm -f tables/kept.tbl
  set +e
  timeout 120 "$vor" --headless --seed 3 --ticks 450 --script first.txt 2> copy1.err &
  one=$!
  timeout 120 "$vor" --headless --seed 3 --ticks 450 --script second.txt 2> copy2.err &
  two=$!
  wait $one; s1=$?
  wait $two; s2=$?
  set -e
  [ $s1 = 0 ] && [ $s2 = 0 ] || fail "two copies: status $s1 and $s2: $(cat copy1.err copy2.err)"
  [ -L main.tbl ] || fail "the table's link was replaced by a file"
  grep -aq 'First     ' tables/kept.tbl && grep -aq 'Second    ' tables/kept.tbl ||
    fail "round $round: a copy's result was lost"
  [ -z "$(ls -A tables | grep -v '^kept.tbl$')" ] || fail "left in the folder: $(ls -A tables)"
done

# A table that cannot be saved (a folder of that name): the screen shows the message and stderr
# names the folder, the file and why.
rm main.tbl
mkdir main.tbl
run save-fails --headless --seed 3 --ticks 450 --script first.txt
[ $status = 0 ] || fail "a failed save: status $status"
said save-fails "vor: cannot save the table of records main.tbl in the folder $work: Is a directory"
rmdir main.tbl

# A dump replaces the old file as a whole (a kill never leaves half of it): a second name of the
# old file keeps the old contents.
echo old > dump.json
ln dump.json old.json
run dump --headless --ticks 2 --dump-state dump.json
[ $status = 0 ] && [ "$(cat old.json)" = old ] && grep -q '"State"' dump.json ||
  fail "the dump was written over the old file"

# The installed game: a graph.dat in the player's cache with one block damaged is made again; a
# file where the player's folder should be is "Not a directory".
mkdir -p prefix/bin prefix/share/vor cache empty
cp "$vor" prefix/bin/vor
for f in "$data"/*; do ln -s "$f" "prefix/share/vor/$(basename "$f")"; done
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/player
(cd empty && timeout 300 ../prefix/bin/vor --headless --ticks 2) || fail "the installed game: status $?"
[ -s cache/vor/graph.dat ] || fail "no graph.dat in the cache"
offset=$(grep -boa -m 1 targets_circle cache/vor/graph.dat | head -n 1 | cut -d: -f1)
printf 'damaged' | dd of=cache/vor/graph.dat bs=1 seek=$((offset + 30)) conv=notrunc 2> /dev/null
cp cache/vor/graph.dat damaged.dat
(cd empty && timeout 300 ../prefix/bin/vor --headless --ticks 2 --dump-state ../cached.json 2> ../cached.err) ||
  fail "a damaged graph.dat in the cache: status $?: $(cat cached.err)"
[ "$(json cached.json State)" = 2 ] || fail "the game did not reach the main menu"
grep -q 'graph.dat is damaged: the block "targets_circle" cannot be read; it is made again' cached.err ||
  fail "stderr: $(cat cached.err)"
! cmp -s cache/vor/graph.dat damaged.dat || fail "graph.dat was not made again"
echo file > player
export XDG_DATA_HOME=$work/player/data
(cd empty && timeout 300 ../prefix/bin/vor --headless --seed 3 --ticks 450 --script ../first.txt \
   2> ../blocked.err) || fail "a blocked player's folder: status $?"
grep -q "cannot make the folder $work/player/data: Not a directory" blocked.err &&
  grep -q "cannot save the table of records main.tbl in the folder $work/player/data/vor: Not a directory" blocked.err ||
  fail "stderr: $(cat blocked.err)"
! grep -q "Is a directory" blocked.err || fail "stderr: $(cat blocked.err)"
echo ok
