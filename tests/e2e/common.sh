# Shared by the end-to-end scripts: a scratch folder holding links to the game's data files, so a
# run can write its own "graph.dat", tables and logs without touching the build's data folder.
set -euo pipefail
vor=$(realpath "$1")
data=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$data"/*; do
  [ -e "$f" ] && ln -s "$f" "$work/$(basename "$f")"
done
cd "$work"
# The runs keep their settings in the scratch folder, never in the tester's own vor.ini.
export XDG_CONFIG_HOME=$work/config
fail() { echo "FAIL: $*" >&2; exit 1; }
# json FILE KEY: the number stored under "KEY" at the top of a state dump.
json() { grep -o "\"$2\":-\?[0-9.]*" "$1" | head -n 1 | cut -d: -f2; }
# Script lines of a game lost with the mouse: "New game" from the main menu, then launch, steer
# and shoot until no bullet is left; the clicks after the game is over leave its screen for the
# name entry, which is open by tick 1000.
lost_game() {
  echo "10 key Enter down"
  echo "11 key Enter up"
  for t in $(seq 30 30 900); do
    echo "$t button 0 down"
    echo "$((t + 1)) button 0 up"
    echo "$((t + 4)) mouse $((20 + t % 50)) -30"
    echo "$((t + 15)) button 0 down"
    echo "$((t + 16)) button 0 up"
  done
}
