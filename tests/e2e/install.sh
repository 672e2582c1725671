#!/usr/bin/env bash
# The installed game: the layout `cmake --install` makes, its desktop entry, metainfo and manual
# page checked by their validators, and games played by the installed program (its prefix moved)
# from an empty folder: it reads its data beside itself and writes only into the player's folders.
build=$(realpath "$3")
source "$(dirname "$0")/common.sh"

cmake --install "$build" --prefix "$work/prefix" > install.log || fail "install: $(cat install.log)"
cd "$work/prefix"
for f in games/vor games/vor-records share/man/man6/vor-records.6.gz share/vor/back.ccg share/vor/targets.ccg share/vor/graph.ccg share/vor/font.ccg \
         share/vor/wave.col share/vor/main.lev share/vor/training.lev share/man/man6/vor.6.gz \
         share/doc/vor/copyright share/doc/vor/changelog.gz; do
  [ -s "$f" ] || fail "the install lacks $f"
done
[ "$(ls share/vor | wc -l)" = 7 ] || fail "share/vor holds more than the data: $(ls share/vor)"
desktop=(share/applications/*.desktop)
metainfo=(share/metainfo/*.metainfo.xml)
[ ${#desktop[@]} = 1 ] && [ ${#metainfo[@]} = 1 ] || fail "one desktop entry and one metainfo"
id=$(basename "${desktop[0]}" .desktop)
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "${metainfo[0]}" ||
  fail "the metainfo does not launch $id.desktop"
grep -qx "Icon=$id" "${desktop[0]}" && grep -qx 'Exec=vor' "${desktop[0]}" &&
  grep -qx 'Categories=Game;ActionGame;' "${desktop[0]}" || fail "desktop entry: $(cat "${desktop[0]}")"
# The window's class is the entry's id, so a dock ties the running game to its launcher.
grep -qx "StartupWMClass=$id" "${desktop[0]}" || fail "desktop entry: no StartupWMClass=$id"
desktop-file-validate "${desktop[0]}" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "${metainfo[0]}" > validate.log ||
  fail "appstreamcli: $(cat validate.log)"
# The tree as a software centre reads it: metainfo, desktop entry and icons together.
appstreamcli validate-tree --no-net --pedantic . > validate.log ||
  fail "appstreamcli validate-tree: $(cat validate.log)"
# Each icon is a PNG of its size, with transparency (colour type 6).
for s in 16 22 24 32 48 64 128 256; do
  icon="share/icons/hicolor/${s}x${s}/apps/$id.png"
  [ -f "$icon" ] || fail "no $icon"
  header=$(od -An -tx1 -j16 -N10 "$icon" | tr -d ' \n')
  [ "$header" = "$(printf '%08x%08x0806' "$s" "$s")" ] || fail "$icon is not a ${s}x${s} RGBA PNG: $header"
done
# The manual page formats without warnings and lists every option of --help.
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l share/man/man6/vor.6.gz > man.txt 2> man.err
[ ! -s man.err ] || fail "man page warnings: $(cat man.err)"
for option in $(games/vor --help | grep -o '^  --[a-z-]*'); do
  grep -q -- "^ *$option" man.txt || fail "the man page lacks $option"
done
rm -f install.log validate.log man.txt man.err
games/vor --version | grep -qx 'vor [0-9.]*' || fail "--version: $(games/vor --version)"

# The prefix moved elsewhere, then a lost game with a record, started from an empty folder.
cd "$work"
mv prefix moved
before=$(find moved -printf '%p %s %T@\n' | sort)
mkdir empty
export HOME=$work/home XDG_DATA_HOME=$work/data-home XDG_CACHE_HOME=$work/cache-home
export XDG_CONFIG_HOME=$work/config-home
{
  echo "10 key Enter down  # New game"
  echo "11 key Enter up"
  for t in $(seq 40 6 400); do
    echo "$t button 0 down"
    echo "$((t + 1)) button 0 up"
  done
  echo "420 text Tester"
  echo "441 char 13"
} > play.txt
(cd empty && "$work/moved/games/vor" --headless --seed 3 --ticks 450 --script ../play.txt \
   --dump-state ../saved.json) || fail "the installed game: status $?"
[ "$(json saved.json State)" = 10 ] || fail "the game did not end in the table of records"
[ "$(stat -c %s data-home/vor/main.tbl)" = 396 ] || fail "no table in \$XDG_DATA_HOME/vor"
grep -aq 'Tester    ' data-home/vor/main.tbl || fail "the table lacks the name"
[ -s cache-home/vor/graph.dat ] || fail "no graph.dat in \$XDG_CACHE_HOME/vor"
[ -z "$(ls -A empty)" ] || fail "the game wrote into the current folder: $(ls -A empty)"
[ "$(find moved -printf '%p %s %T@\n' | sort)" = "$before" ] || fail "the game wrote under its prefix"

# The table is read back on the next start; without the XDG variables the folders are under HOME.
unset XDG_DATA_HOME XDG_CACHE_HOME
mkdir -p home/.local/share/vor
cp data-home/vor/main.tbl home/.local/share/vor/
(cd empty && "$work/moved/games/vor" --headless --ticks 2 --dump-state ../home.json) ||
  fail "a start with HOME alone: status $?"
grep -q '"name":"Tester    "' home.json || fail "the table under HOME was not read"
[ -s home/.cache/vor/graph.dat ] || fail "no graph.dat in ~/.cache/vor"

# The installed server starts with its defaults: the installed data, its database under HOME.
(cd empty && exec "$work/moved/games/vor-records" --listen 127.0.0.1:0 2> ../records.err) &
records=$!
for _ in $(seq 300); do
  grep -q 'listening on 127.0.0.1:' records.err 2>/dev/null && break
  kill -0 $records 2>/dev/null || break
  sleep 0.1
done
kill $records 2>/dev/null
wait $records 2>/dev/null || true
grep -q 'listening on 127.0.0.1:' records.err || fail "vor-records did not start: $(cat records.err)"
[ -s home/.local/share/vor-records/records.sqlite ] || fail "no database in ~/.local/share/vor-records"

# Started in a folder that holds the data, the installed game keeps to that folder; a command
# works on the files named to it in the current folder.
mkdir own
cp moved/share/vor/* own/
(cd own && "$work/moved/games/vor" --headless --ticks 2) || fail "a start in a data folder: status $?"
[ -s own/graph.dat ] || fail "the start in a data folder did not build graph.dat there"
mkdir levels
printf 'NAME=Mine\r' > levels/mine.txt
printf 'mine.txt\n' > levels/mine.list
(cd levels && "$work/moved/games/vor" compile mine.list mine.lev) || fail "compile: status $?"
[ -s levels/mine.lev ] || fail "compile did not write into the current folder"

# Folders that cannot be made are named on stderr, and the game still plays.
export XDG_DATA_HOME=$work/saved.json/data XDG_CACHE_HOME=$work/saved.json/cache
(cd empty && "$work/moved/games/vor" --headless --ticks 2 --dump-state ../blocked.json 2> ../blocked.err) ||
  fail "a start with blocked folders: status $?"
grep -q "$work/saved.json/cache" blocked.err || fail "the cache folder was not named: $(cat blocked.err)"
[ "$(json blocked.json State)" = 2 ] || fail "the game did not reach the main menu"
[ "$(find moved -printf '%p %s %T@\n' | sort)" = "$before" ] || fail "the game wrote under its prefix"
echo ok
