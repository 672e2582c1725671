#!/usr/bin/env bash
# Shared tables: a game played with --records-server sends its result, which the server's table
# then holds and the table screen shows (S switches to it); with the server down the result waits
# in the player's folder and goes at the next start; a bad address leaves the game on its own.
source "$(dirname "$0")/common.sh"
records_server=$(realpath "$3")

server_pid=
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=
  fi
}
trap 'stop_server; rm -rf "$work"' EXIT

# Starts the server on a free port of 127.0.0.1 with its database in the scratch folder; sets url.
start_server() {
  : > server.err
  ASAN_OPTIONS=detect_leaks=0 "$records_server" --data "$data" --db "sqlite:$work/shared.sqlite" \
    --listen 127.0.0.1:0 2> server.err &
  server_pid=$!
  local port=
  for _ in $(seq 600); do
    port=$(grep -o 'listening on 127\.0\.0\.1:[0-9]*' server.err | head -n 1 | cut -d: -f2) || true
    [ -n "$port" ] && break
    kill -0 "$server_pid" 2>/dev/null || fail "the server ended: $(cat server.err)"
    sleep 0.1
  done
  [ -n "$port" ] || fail "the server did not start: $(cat server.err)"
  url=http://127.0.0.1:$port
}

# The names in the server's table of main.lev, one a line.
scenario=$(sha256sum main.lev | cut -d' ' -f1)
top_names() {
  curl -sf "$url/api/v1/scenarios/$scenario/top?limit=10" | grep -o '"name":"[^"]*"' | cut -d'"' -f4
}
# The shared rows' names of a state dump, one a line.
shared_names() { grep -o '"SharedRecords":\[[^]]*\]' "$1" | grep -o '"name":"[^"]*"' | cut -d'"' -f4; }
status() { grep -o '"SharedStatus":"[^"]*"' "$1" | cut -d'"' -f4; }

# A game lost with the mouse, its result named NAME, then S on the table: the shared table.
game() {
  lost_game
  echo "1000 dump entering.json"
  echo "1010 text $1"
  echo "1030 char 13"
  echo "1040 key S down"
  echo "1041 key S up"
}

start_server
game Sharer > sharer.txt
"$vor" --headless --seed 21 --ticks 1060 --script sharer.txt --records-server "$url/" \
  --dump-state shared.json 2> game.err || fail "the game: status $? $(cat game.err)"
[ "$(json entering.json State)" = 9 ] || fail "the game did not end in the name entry"
[ "$(json shared.json State)" = 10 ] || fail "the game did not end on the table"
[ "$(json shared.json RecordsShared)" = 1 ] || fail "S did not show the shared table"
[ "$(top_names)" = Sharer ] || fail "the server's table holds '$(top_names)': $(cat game.err)"
[ "$(shared_names shared.json | sed 's/ *$//')" = Sharer ] ||
  fail "the shared table shown holds '$(shared_names shared.json)' ($(status shared.json))"
[ -z "$(status shared.json)" ] || fail "the line says '$(status shared.json)' over the rows"
[ -z "$(ls pending 2>/dev/null)" ] || fail "a sent result still waits: $(ls pending)"

# A shared row's replay is fetched and watched as a local one (the run ends while it plays).
{ cat sharer.txt; echo "1050 key R down"; echo "1051 key R up"; } > watch.txt
rm -rf main.tbl main.replays
"$vor" --headless --seed 21 --ticks 1060 --script watch.txt --records-server "$url" \
  --dump-state watching.json 2> game.err || fail "the watch: status $? $(cat game.err)"
[ "$(json watching.json State)" = 3 ] || fail "R on a shared row did not play its replay"

# The server down: the result waits in pending/ and the line says the server cannot be reached.
stop_server
game Waiter > waiter.txt
"$vor" --headless --seed 21 --ticks 1060 --script waiter.txt --records-server "$url" \
  --dump-state down.json 2> game.err || fail "the game with the server down: status $?"
waiting=(pending/*.replay)
[ "${#waiting[@]}" = 1 ] && [ -f "${waiting[0]}" ] || fail "pending/ holds ${waiting[*]}"
grep -qx '# vor-replay name Waiter' "${waiting[0]}" || fail "the waiting result is not Waiter's"
grep -q "waits in" game.err || fail "stderr does not say the result waits: $(cat game.err)"
[ "$(status down.json)" = "The server cannot be reached" ] ||
  fail "the line says '$(status down.json)' with the server down"

# At the next start it goes; the table screen is not even opened.
start_server
"$vor" --headless --ticks 5 --records-server "$url" 2> game.err || fail "the next start: status $?"
[ -z "$(ls pending)" ] || fail "the waiting result did not go: $(cat game.err)"
[ "$(top_names | sort | tr '\n' ' ')" = "Sharer Waiter " ] ||
  fail "the server's table holds '$(top_names)'"

# A result the server refuses for good (not a replay) is dropped with a line.
printf '# vor-replay 1\ngarbage\n' > "pending/00000000000000000001-0123456789abcdef.replay"
"$vor" --headless --ticks 5 --records-server "$url" 2> game.err || fail "the refused: status $?"
[ -z "$(ls pending)" ] || fail "a refused result still waits"
grep -q "refused a result" game.err || fail "stderr: $(cat game.err)"

# A bad address is named and the game goes on with its own tables.
for bad in ftp://127.0.0.1/ "http://" "http://host name/" "http://x/?q=1"; do
  "$vor" --headless --ticks 5 --records-server "$bad" --dump-state bad.json 2> game.err ||
    fail "'$bad': status $?"
  grep -q "server's address\|no host" game.err || fail "'$bad': stderr: $(cat game.err)"
  [ "$(json bad.json SharedServerSet)" = 0 ] || fail "'$bad' was taken"
done
echo ok
