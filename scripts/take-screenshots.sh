#!/usr/bin/env bash
# Retakes the screenshots of the help pages (data/help/images) and of the README (docs/) from the
# real window, driven with xdotool under a virtual display of its own.
#
#   scripts/take-screenshots.sh [BINARY] [DISPLAY] [SCENE ...]
#
# BINARY defaults to build/kelvora11s5 (build it first; this script builds nothing), DISPLAY to
# :81; SCENEs (the scene_ functions below, without the prefix) retake some of the images only.
# Needs Xvfb, xdotool, ImageMagick (import, convert) and a CJK font. The window is driven at a
# fixed size of 1366x768 with the CJK font of the machine it runs on: the click positions below are
# those of that layout. Data and settings live in a scratch folder; nothing of the user's is read or
# written. The draws are the sample the program ships (data/历史号码/示例-模拟数据.txt).

set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$root/build/kelvora11s5}")
display=${2:-:81}
scenes=("${@:3}")
sample="$root/data/历史号码/示例-模拟数据.txt"
images="$root/data/help/images"
docs="$root/docs"

for tool in Xvfb xdotool import convert xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done
[[ -x $binary ]] || { echo "no program at $binary (build it first)" >&2; exit 2; }

scratch=$(mktemp -d)
xvfb_pid=""
window_pid=""
cleanup() {
    [[ -n $window_pid ]] && kill "$window_pid" 2>/dev/null && wait "$window_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
# Interrupted, it still ends its window and its X server.
trap 'exit 130' INT TERM HUP PIPE

Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A display already in use would answer too, and its windows would be driven: the server must be ours.
if ! kill -0 "$xvfb_pid" 2>/dev/null || ! xdpyinfo >/dev/null 2>&1; then
    xvfb_pid=""
    echo "Xvfb did not start on $display:" >&2
    cat "$scratch/xvfb.log" >&2
    exit 1
fi
# The data folder's paths are in Chinese: file names are UTF-8.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# --- the program ----------------------------------------------------------------------------

data="$scratch/data"
settings="$scratch/settings.ini"

# A command of the program on the scratch folder.
k11() { "$binary" --data-dir "$data" --settings "$settings" "$@" >/dev/null; }

# A fresh scratch data folder: empty, or holding the sample draws.
fresh_data() {
    rm -rf "$data" "$settings"
    mkdir -p "$data"
    if [[ ${1:-} == sample ]]; then k11 import "$sample"; fi
}

window_id=""
open_window() {
    "$binary" --data-dir "$data" --settings "$settings" >"$scratch/window.log" 2>&1 &
    window_pid=$!
    window_id=$(xdotool search --sync --onlyvisible --pid "$window_pid" --name '11选5' | head -1)
    xdotool windowmove "$window_id" 0 0 windowsize "$window_id" 1366 768
    settle 1.5
}

close_window() {
    kill "$window_pid" 2>/dev/null || true
    wait "$window_pid" 2>/dev/null || true
    window_pid=""
}

settle() { sleep "${1:-0.6}"; }
click() { xdotool mousemove "$1" "$2" click 1; settle 0.3; }
# Selects what a text box holds and types over it.
retype() {
    xdotool mousemove "$1" "$2" click --repeat 3 --delay 60 1
    xdotool key ctrl+a
    xdotool type --delay 30 "$3"
    settle 0.3
}
keys() { xdotool key --delay 80 "$@"; settle; }
# Moves the pointer out of the way so that no hover or tooltip shows by accident.
park() { xdotool mousemove 1365 767; settle 0.3; }

# The id of a dialog of the program opened after the main window (the newest visible window).
dialog_id() {
    local id
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --pid "$window_pid" --name '.' | grep -vx "$window_id" |
            tail -1 || true)
        [[ -n $id ]] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no dialog opened" >&2
    return 1
}

# --- images -----------------------------------------------------------------------------------

# shot FILE [WxH+X+Y] [WINDOW]: the screen, or a part of it, or one window, as a small PNG.
shot() {
    local file=$1 crop=${2:-} window=${3:-root}
    local raw="$scratch/raw.png"
    import -window "$window" "$raw"
    local args=()
    [[ -n $crop ]] && args+=(-crop "$crop" +repage)
    convert "$raw" "${args[@]}" -strip -define png:compression-level=9 \
        -define png:exclude-chunks=date,time "$file"
    echo "$(basename "$file") $(identify -format '%wx%h' "$file") $(($(stat -c %s "$file") / 1024)) KB"
}

# --- positions of the window at 1366x768 with the history tab in front -------------------------

# Left column: its tabs.
tab_trend=(107 42)
tab_plays=(162 42)
tab_shrink=(210 42)
# Search panel.
period_box=(462 40)
check_first=(364 297)
check_second=(436 297)
span_from=(403 380)
result_zodiac=(611 118)
# The trend tab (the left column widened).
trend_kind=(80 69)
trend_preset=(45 98)
trend_layers=(15 128)
trend_line=(93 128)
trend_header_06=(415 158)
# The span over the last 50 draws: its value columns 4..10 and its rows of marks.
shape_header_9=(371 158)
shape_mark_9=(371 540)
shape_mark_10=(402 540)
shape_mark_6=(278 560)
# The plays tab.
bet_button=(160 627)
# The shrink tab.
pad_01=(36 125)
pad_02=(76 125)
pad_11=(436 125)
dan_least=(525 126)
sum_use=(27 197)
sum_low=(90 197)
sum_high=(155 197)
shrink_backtest=(535 518)
shrink_scroll_bottom=(646 725)
# Menus.
menu_history=(33 11)
menu_settings=(84 11)

# --- scenes -----------------------------------------------------------------------------------

# The settings of the guide's example 1: number/number, fixed, last draw.
example_settings() {
    k11 set intLei 0
    k11 set intXianshiLei "${1:-0}"
    k11 set bolZyw False
    k11 set bolSq True
    k11 set intPreQi 2
    k11 set intZhWSetup "${2:-2}"
}

scene_entry() {
    fresh_data
    open_window
    click "${period_box[@]}"
    xdotool type --delay 60 2025021001030701
    settle
    park
    shot "$images/entry.png" 600x105+0+25
    close_window
}

# The menu bar's corner with the open menu below it: the menu is a window of its own.
menu_crop() {
    local id left X Y WIDTH HEIGHT
    id=$(dialog_id)
    eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    left=$((X > 4 ? X - 4 : 0))
    echo "$((X + WIDTH + 30 - left))x$((Y + HEIGHT + 12))+$left+0"
}

scene_menus() {
    fresh_data sample
    open_window
    click "${menu_history[@]}"
    shot "$images/history-menu.png" "$(menu_crop)"
    keys Escape
    click "${menu_settings[@]}"
    shot "$images/settings-menu.png" "$(menu_crop)"
    keys Escape
    close_window
}

# Opens the back-test of the window's search, runs it with its defaults (the last 100 draws, the
# first 3 values) and takes its window.
backtest_shot() {
    keys alt+b
    local dialog
    dialog=$(dialog_id)
    settle 1
    keys alt+r
    settle 6
    park
    shot "$1" "" "$dialog"
    keys Escape
}

# The window on the sample with the guide's example 1 searched: positions 1 and 2 fixed, from
# 2025020501.
open_example_one() {
    fresh_data sample
    example_settings 0
    open_window
    click "${check_first[@]}"
    click "${check_second[@]}"
    retype "${span_from[@]}" 2025020501
    keys alt+s
    settle 1.5
}

# The guide's example 1, its back-test (example 4), the back-test with the zodiac as the result
# and example 3, one after the other on the same window.
scene_search() {
    open_example_one
    park
    shot "$docs/screenshot.png"
    cp "$docs/screenshot.png" "$images/main-window.png"
    shot "$images/search-results.png" 640x716+726+26

    backtest_shot "$images/backtest.png"
    click "${result_zodiac[@]}"
    backtest_shot "$images/backtest-chance-finding.png"

    retype "${span_from[@]}" 2025010102
    keys alt+s
    settle 1.5
    # The tooltip of the tally's last row (蛇), the value with the lowest band.
    xdotool mousemove 800 719
    settle 2
    shot "$images/chance-band.png" 640x312+726+452
    close_window
}

# The guide's example 2, with the tooltip of a combination hit naming the positions that matched.
scene_combination() {
    fresh_data sample
    k11 set intLei 0
    k11 set intXianshiLei 5
    k11 set bolZyw True
    k11 set bolSq True
    k11 set intZhWSetup 4
    open_window
    retype "${span_from[@]}" 2025020901
    keys alt+g
    settle 1.5
    park
    shot "$images/combination.png" 1026x716+340+26
    xdotool mousemove 1180 61
    settle 2
    shot "$images/hit-marks.png" 640x150+726+26
    close_window
}

# The trend tab beside example 1's results, with the chart of the number 06.
scene_trend() {
    open_example_one
    click "${tab_trend[@]}"
    settle 1.5
    click "${trend_header_06[@]}"
    park
    shot "$docs/trend.png"
    cp "$docs/trend.png" "$images/trend-tab.png"
    close_window
}

# The span of the last 50 draws with layers, line, three marks and the chart of the span 9.
scene_shape() {
    fresh_data sample
    open_window
    click "${tab_trend[@]}"
    settle 1.5
    click "${trend_kind[@]}"
    keys Down Down Down Down Down Down Down Return # 跨度, after the six kinds and 和值
    click "${trend_preset[@]}"
    keys Up Up Up Up Up Return # 近50期, from 全部
    click "${trend_layers[@]}"
    click "${trend_line[@]}"
    click "${shape_mark_9[@]}"
    click "${shape_mark_10[@]}"
    click "${shape_mark_6[@]}"
    click "${shape_header_9[@]}"
    park
    shot "$images/shape-trend.png" 648x712+0+26
    cp "$images/shape-trend.png" "$docs/shape.png"
    close_window
}

# The plays tab: 任五's table and the back-test of the coldest ticket over 1000 draws.
scene_plays() {
    fresh_data sample
    open_window
    click "${tab_plays[@]}"
    settle 1.5
    click "${bet_button[@]}"
    settle 8
    park
    shot "$docs/plays.png"
    cp "$docs/plays.png" "$images/plays-tab.png"
    close_window
}

# The shrink tab: 胆 01 02 (at least one), 杀 11, the sum 20 to 35, and its back-test. The tab is
# taller than the window: its top and, scrolled down, its bottom make one picture of the column.
scene_shrink() {
    fresh_data sample
    open_window
    click "${tab_shrink[@]}"
    settle 1.5
    click "${pad_01[@]}"
    click "${pad_02[@]}"
    click "${pad_11[@]}"
    click "${pad_11[@]}"
    retype "${dan_least[@]}" 1
    keys Tab
    click "${sum_use[@]}"
    retype "${sum_low[@]}" 20
    keys Tab
    retype "${sum_high[@]}" 35
    keys Tab
    click "${shrink_backtest[@]}"
    settle 6
    park
    shot "$scratch/shrink-top.png" 650x519+0+26
    xdotool mousemove "${shrink_scroll_bottom[@]}" click --repeat 3 --delay 100 1
    park
    shot "$scratch/shrink-bottom.png" 650x573+0+167
    convert "$scratch/shrink-top.png" "$scratch/shrink-bottom.png" -append -strip \
        -define png:exclude-chunks=date,time "$images/shrink-tab.png"
    cp "$images/shrink-tab.png" "$docs/shrink.png"
    echo "shrink-tab.png $(identify -format '%wx%h' "$images/shrink-tab.png")"
    close_window
}

main() {
    mkdir -p "$images" "$docs"
    local scene all=(entry menus search combination trend shape plays shrink)
    (($#)) || set -- "${all[@]}"
    for scene in "$@"; do "scene_$scene"; done
}

main ${scenes[@]+"${scenes[@]}"}
