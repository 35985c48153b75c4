#!/usr/bin/env bash
# The folders of src/ are layers: a file includes headers of its own folder and of the folders
# below it only (gui and cli -> workspace -> play -> search -> history -> platform; the site
# beside them over history; render, the painting of pictures and paper that the window and the
# command line share, beside the workspace over platform). The libraries link that way too, but a header-only include upwards
# would still build; this finds it.
# usage: check_layers.sh SOURCE_DIR
set -euo pipefail
cd "$1/src"
declare -A allowed=(
    [platform]="platform"
    [history]="history platform"
    [search]="search history platform"
    [play]="play search history platform"
    [workspace]="workspace play search history platform"
    [render]="render platform"
    [cli]="cli render workspace play search history platform"
    [gui]="gui render workspace play search history platform"
    [site]="site history platform"
)
failures=0
for layer in "${!allowed[@]}"; do
    while IFS=: read -r file line include; do
        folder=$(sed -E 's/#include "([a-z_]+)\/.*/\1/' <<<"$include")
        if ! grep -qw -- "$folder" <<<"${allowed[$layer]}"; then
            echo "$file:$line includes $folder/, above or beside its layer $layer/" >&2
            failures=$((failures + 1))
        fi
    done < <(grep -rnE '^#include "[a-z_]+/' "$layer" || true)
done
[ "$failures" -eq 0 ] || exit 1
echo "every include points to its own layer or one below"
