#!/usr/bin/env bash
# Load on vor-records, on SQLite and on a private PostgreSQL cluster: clients post replays and read
# a table for a while (bench/records_load.cpp); prints verified replays per second (per core) and
# the p50/p99 answer time of the table.
#   bench/records_load.sh [--replays DIR] [--seconds N] [--posters N] [--readers N]
# Without --replays the server plays the replays with the tests' stand-in checker, which measures
# the server (its processes, HTTP and database) and not the game's run.
set -euo pipefail
cd "$(dirname "$0")/.."
# VOR_BENCH_BUILD: a build folder configured already with -DVOR_BENCH=ON, used as it is.
build=${VOR_BENCH_BUILD:-build-bench}
[ -n "${VOR_BENCH_BUILD:-}" ] ||
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVOR_BENCH=ON -DVOR_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target vor-records vor_records_load vor_records_fake_checker \
      vor_data >/dev/null
work=$(mktemp -d /tmp/vor-records-bench-XXXXXX)
chmod 711 "$work"  # the cluster's own user passes through to its folder
args=("$@")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -z "${pgbin:-}" ] || $as "$pgbin/pg_ctl" -w -D "$work/pg/db" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
checker=(--checker "$PWD/$build/bench/vor_records_fake_checker")
for a in "$@"; do [ "$a" = --replays ] && checker=(); done

run() {  # database
  "$build/vor-records" --data "$build/data" --db "$1" --listen 127.0.0.1:0 \
    --posts-per-minute 1000000 "${checker[@]}" 2>"$work/server.log" &
  pids+=($!)
  local port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/server.log")
    [ -n "$port" ] && break
    sleep 0.1
  done
  "$build/bench/vor_records_load" --port "$port" --data "$build/data" "${args[@]}"
  kill "${pids[-1]}"
}

echo "== SQLite"
run "sqlite:$work/records.sqlite"
pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | tail -1)
if [ -z "$pgbin" ]; then echo "PostgreSQL is not installed"; exit 0; fi
mkdir -p "$work/pg"
as="" user=vor
if [ "$(id -u)" = 0 ]; then
  chown nobody:nogroup "$work/pg"
  as="setpriv --reuid=nobody --regid=nogroup --clear-groups"
fi
(cd / && $as "$pgbin/initdb" -A trust -U "$user" -D "$work/pg/db" >/dev/null)
(cd / && $as "$pgbin/pg_ctl" -w -D "$work/pg/db" -o "-k $work/pg -c listen_addresses=''" \
    -l "$work/pg/log" start >/dev/null)
echo "== PostgreSQL"
run "postgresql:///postgres?host=$work/pg&user=$user"
