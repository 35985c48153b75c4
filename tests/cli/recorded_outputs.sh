#!/usr/bin/env bash
# Runs a recorded list of command lines on the shipped sample history and compares what each
# printed (standard output, standard error, exit status) with the recorded text, byte for byte.
# The output of a command changes only on purpose: after such a change, record again with
#   tests/cli/recorded_outputs.sh PROGRAM SAMPLE tests/cli/recorded --record
# and read the diff before committing it.
# usage: recorded_outputs.sh PROGRAM SAMPLE RECORDED_DIR [--record]
set -euo pipefail
program=$(realpath "$1") sample=$(realpath "$2") recorded=$(realpath "$3") record=${4:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$work/data settings=$work/settings.ini
mkdir -p "$data"

# Paths and times of the run are replaced, so the texts compare across machines and days.
normalize() {
    sed -e "s|$data|DATA|g" -e "s|$settings|SETTINGS|g" -e "s|$sample|SAMPLE|g" \
        -e 's/[0-9]\{8\}-[0-9]\{6\}\(-[0-9]*\)\{0,1\}/YYYYMMDD-HHMMSS/g'
}

failures=0 count=0
while IFS= read -r line; do
    [[ -z $line || $line == \#* ]] && continue
    name=${line%%:*} command=${line#*:}
    eval "arguments=($command)"
    arguments=("${arguments[@]//@SAMPLE@/$sample}")
    set +e
    LC_ALL=C.UTF-8 TZ=Asia/Shanghai "$program" --data-dir "$data" --settings "$settings" \
        "${arguments[@]}" >"$work/out" 2>"$work/err" </dev/null
    status=$?
    set -e
    {
        echo "\$ kelvora11s5$command"
        echo "exit $status"
        echo "--- stdout"
        normalize <"$work/out"
        echo "--- stderr"
        normalize <"$work/err"
    } >"$work/$name.txt"
    count=$((count + 1))
    if [ "$record" = --record ]; then
        cp "$work/$name.txt" "$recorded/$name.txt"
    elif ! diff -u "$recorded/$name.txt" "$work/$name.txt" >"$work/diff"; then
        echo "== $name differs from the recorded output:" >&2
        head -n 40 "$work/diff" >&2
        failures=$((failures + 1))
    fi
done <"$recorded/commands.list"

[ "$failures" -eq 0 ] || { echo "$failures of $count outputs differ" >&2; exit 1; }
echo "$count outputs as recorded"
