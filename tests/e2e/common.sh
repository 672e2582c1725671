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
