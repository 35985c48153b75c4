#!/usr/bin/env bash
# The manual page against the program's usage text: every command of `--help` has an entry of its
# own under COMMANDS, every entry there is a command, and every option any usage names appears.
# usage: check_man_page.sh PROGRAM MANPAGE [SITE_PROGRAM SITE_MANPAGE]
set -euo pipefail
program=$1 page=$2

# The page's text without troff's escapes for minus signs and fonts.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$1"; }
options_of() { grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }

failures=0
fail() {
    echo "$1" >&2
    failures=$((failures + 1))
}

usage=$("$program" --help)
commands=$(sed -n 's/^  \([a-z][a-z-]*\).*/\1/p' <<<"$usage" | sort -u)
[ -n "$commands" ] || fail "no commands found in $program --help"

# The first word of each entry's tag line (the line after .TP) in the COMMANDS section.
entries=$(plain "$page" | awk '
    /^\.SH / { inside = ($2 == "COMMANDS") }
    inside && tag { line = $0; sub(/^\.[A-Z]+ /, "", line); gsub(/"/, "", line)
                    split(line, w, " "); print w[1]; tag = 0; next }
    inside && /^\.TP/ { tag = 1 }' | grep -v '^-' | sort -u)

for command in $commands; do
    grep -qx -- "$command" <<<"$entries" || fail "$page has no entry for the command $command"
done
for entry in $entries; do
    grep -qx -- "$entry" <<<"$commands" || fail "$page describes $entry, which --help does not list"
done

text=$(plain "$page")
options=$( {
    options_of <<<"$usage"
    for command in $commands; do "$program" "$command" --help | options_of; done
} | sort -u)
for option in $options; do
    grep -q -- "$option\\b" <<<"$text" || fail "$page does not mention the option $option"
done

if [ $# -ge 4 ]; then
    site_text=$(plain "$4")
    for option in $("$3" --help | options_of); do
        grep -q -- "$option\\b" <<<"$site_text" || fail "$4 does not mention the option $option"
    done
fi

# Rendered as man renders it in a C locale (ASCII) and in a UTF-8 one: troff has no glyph for a
# Chinese word on an ASCII terminal and drops it with a warning, so such words must be spelled out.
if command -v groff >/dev/null; then
    for manpage in "$page" ${4:+"$4"}; do
        for device in ascii utf8; do
            warnings=$(preconv -e UTF-8 "$manpage" | groff -man -T"$device" -ww -z 2>&1 || true)
            [ -z "$warnings" ] || fail "$manpage renders with warnings on $device: $warnings"
        done
    done
fi

[ "$failures" -eq 0 ] || exit 1
echo "$(wc -w <<<"$commands") commands and $(wc -w <<<"$options") options documented"
