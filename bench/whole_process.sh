#!/usr/bin/env bash
# Whole-process figures at 300,000 draws, as a user of the command line meets them: each command
# opens the database, works and exits. Beside each, the least the same work costs SQLite here (the
# sqlite3 shell touching the table once), and the ratio. Best of 3; varied targets, so every
# search changes the working columns. Usage: bench/whole_process.sh [BUILD_DIR] [DRAWS]
set -euo pipefail
build=${1:-build}
draws=${2:-300000}
command -v sqlite3 >/dev/null || { echo "needs the sqlite3 shell (Debian package sqlite3)"; exit 2; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bench/k11_make_sample" --draws "$draws" "$dir/h.txt"
k() { "$build/kelvora11s5" --data-dir "$dir/d" --settings "$dir/s.ini" "$@"; }
db="$dir/d/kelvora11S5.db"

# Seconds of the best of 3 runs of a command line (its output is dropped).
best() {
    local best=
    for _ in 1 2 3; do
        local start end took
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$took < $best" | bc -l)" = 1 ]; then best=$took; fi
    done
    printf '%.3f' "$best"
}
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }

echo "cores: $(nproc); load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
import=$(best k import "$dir/h.txt")
echo "journal mode of the imported file: $(sqlite3 "$db" 'PRAGMA journal_mode;')"
copy=$(best sqlite3 "$db" "CREATE TABLE Copied AS SELECT * FROM Lishi; DROP TABLE Copied;")
echo "import of $draws lines: ${import} s; copying the stored table: ${copy} s; ratio $(ratio "$import" "$copy")"

update=$(best sqlite3 "$db" "UPDATE Lishi SET intTh = (intTh + 1) % 7;")
echo "one table-wide UPDATE of intTh: ${update} s"

# The same references on a copy kept with a rollback journal (SQLite's default), for comparison.
cp "$db" "$dir/rollback.db"
sqlite3 "$dir/rollback.db" "PRAGMA journal_mode = DELETE;" >/dev/null
rollbackCopy=$(best sqlite3 "$dir/rollback.db" "CREATE TABLE Copied AS SELECT * FROM Lishi; DROP TABLE Copied;")
rollbackUpdate=$(best sqlite3 "$dir/rollback.db" "UPDATE Lishi SET intTh = (intTh + 1) % 7;")
rm -f "$dir/rollback.db"
echo "with a rollback journal: copying ${rollbackCopy} s (import ratio $(ratio "$import" "$rollbackCopy")); UPDATE ${rollbackUpdate} s"
# Each run asks for other targets, so each changes the working columns.
n=0
search_once() {
    n=$((n + 1))
    # shellcheck disable=SC2086
    k $1 --targets "$((n % 11 + 1)),$(((n + 3) % 11 + 1)),$(((n + 5) % 11 + 1)),$(((n + 7) % 11 + 1)),2"
}
for search in "search --fixed --last --positions 1,2" "search --free --back 3 --positions 1,2,3" \
              "combo --fixed --back 2 --size 3" "combo --free --last --size 2"; do
    took=$(best search_once "$search")
    echo "$search: ${took} s; ratio to the UPDATE $(ratio "$took" "$update")" \
         "(to the rollback-journal UPDATE $(ratio "$took" "$rollbackUpdate"))"
done
# Commands that read no draw take the same few milliseconds at any history size.
for light in "get GsZl" "set intLei 1" "clock --json" "games"; do
    # shellcheck disable=SC2086
    took=$(best k $light)
    echo "$light: ${took} s"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
