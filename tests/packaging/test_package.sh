#!/usr/bin/env bash
# Builds the Debian package from a build folder (the suite's, by default) and tries it: its
# fields and files, lintian, the validators of the desktop entry and the metadata, the unpacked
# program on a scratch data folder, and, in CI as root, installing and purging it with apt.
# usage: tests/packaging/test_package.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
app_id=org.kelvora.kelvora11s5

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
step() { echo "== $*"; }

scratch=$(mktemp -d)
window=
cleanup() {
    [ -z "$window" ] || kill "$window" 2>/dev/null || true
    chmod -R u+w "$scratch" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

step "package from $build"
# The package installs under /usr; the program compares its folder with the one it was built for.
cmake -S . -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build"
rm -f "$build"/kelvora11s5_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
version=$("$build/kelvora11s5" --version | sed -n 's/^kelvora11s5 //p')
arch=$(dpkg --print-architecture)
deb=$build/kelvora11s5_${version}_${arch}.deb
[ -f "$deb" ] || {
    echo "FAIL: no $deb" >&2
    exit 1
}

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kelvora11s5 ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version $(field Version), --version says $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is $(field Architecture)"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Priority)" ] || fail "no Priority"
[[ $(field Maintainer) == *"<"*@*">" ]] || fail "Maintainer has no address: $(field Maintainer)"
[ -z "$(field Homepage)" ] || fail "a Homepage field: $(field Homepage)"
depends=$(field Depends)
for wanted in "fonts-noto-cjk | fonts-wqy-microhei" xdg-utils libqt6widgets6 libqt6svg6 libqt6printsupport6 libsqlite3-0 libc6; do
    [[ $depends == *"$wanted"* ]] || fail "Depends lacks $wanted: $depends"
done

step lintian
# Errors fail; warnings are shown.
lintian --fail-on error --allow-root "$deb" || fail "lintian reports errors"

step "files"
root=$scratch/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/kelvora11s5 usr/bin/kelvora11s5-site \
    usr/share/applications/$app_id.desktop usr/share/metainfo/$app_id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$app_id.svg \
    usr/share/icons/hicolor/48x48/apps/$app_id.png \
    usr/share/icons/hicolor/128x128/apps/$app_id.png \
    usr/share/icons/hicolor/256x256/apps/$app_id.png \
    usr/share/man/man1/kelvora11s5.1.gz usr/share/man/man1/kelvora11s5-site.1.gz \
    usr/share/bash-completion/completions/kelvora11s5 \
    usr/share/doc/kelvora11s5/copyright usr/share/doc/kelvora11s5/changelog.gz; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
for size in 48 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -f "$png" ] && [[ $(file -b "$png") == *"$size x $size"* ]] || fail "$png is not $size pixels"
done
unexpected=$(cd "$root" && find . -type f | grep -v -e '^./usr/bin/' -e '^./usr/share/' || true)
[ -z "$unexpected" ] || fail "files outside /usr/bin and /usr/share: $unexpected"

step "desktop entry and metadata"
desktop=$root/usr/share/applications/$app_id.desktop
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the entry"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses the metadata"
grep -qx "Exec=kelvora11s5" "$desktop" || fail "the entry does not start kelvora11s5"
grep -qx "Icon=$app_id" "$desktop" || fail "the entry's icon is not $app_id"
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metadata's id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch $app_id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata has no release $version"
# The window names itself by the same id, so the desktop matches it to the entry.
grep -qa "$app_id" "$root/usr/bin/kelvora11s5" || fail "the program does not carry $app_id"

step "manual page"
zcat "$root/usr/share/man/man1/kelvora11s5.1.gz" >"$scratch/kelvora11s5.1"
zcat "$root/usr/share/man/man1/kelvora11s5-site.1.gz" >"$scratch/kelvora11s5-site.1"
bash tests/packaging/check_man_page.sh "$root/usr/bin/kelvora11s5" "$scratch/kelvora11s5.1" \
    "$root/usr/bin/kelvora11s5-site" "$scratch/kelvora11s5-site.1" || fail "the manual page"

step "bash completion"
complete_words() {
    # Prints what completing the words (the last one being typed) offers.
    PATH=$root/usr/bin:$PATH bash -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _kelvora11s5; printf "%s\n" "${COMPREPLY[@]}"
    ' complete "$root/usr/share/bash-completion/completions/kelvora11s5" kelvora11s5 "$@"
}
[ "$(complete_words se)" = "$(printf 'search\nset')" ] || fail "completing se: $(complete_words se)"
[ "$(complete_words --data-dir /tmp sea)" = search ] || fail "a command after an option"
[ "$(complete_words search --posi)" = --positions ] || fail "completing search --posi"
[[ $(complete_words shrink --exc) == --exclude-drawn ]] || fail "completing shrink --exc"
[ "$(complete_words export-sheet h)" = "$(printf 'history\nhits')" ] || fail "export-sheet's words"

# Opens the window (offscreen) as a first start does, until the file $1 appears, then ends it.
first_start() {
    local wanted=$1
    shift
    QT_QPA_PLATFORM=offscreen "$@" >"$scratch/window.log" 2>&1 &
    local pid=$! tries=0
    window=$pid
    while [ ! -f "$wanted" ] && [ $tries -lt 300 ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.1
        tries=$((tries + 1))
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    window=
    [ -f "$wanted" ] || {
        cat "$scratch/window.log" >&2
        return 1
    }
}

step "the unpacked program"
program=$root/usr/bin/kelvora11s5
data=$scratch/data
settings=$scratch/settings.ini
run() { "$program" --data-dir "$data" --settings "$settings" "$@"; }
[ "$("$program" --version)" = "kelvora11s5 $version" ] || fail "--version"
sample=$data/历史号码/示例-模拟数据.txt
first_start "$sample" "$program" --data-dir "$data" --settings "$settings" ||
    fail "a first start does not write the sample history"
imported=$(run import "$sample") || fail "import"
draws=$(sed -n 's/^imported \([0-9]*\), skipped 0$/\1/p' <<<"$imported")
[ "${draws:-0}" -gt 0 ] || fail "import says: $imported"
[ "$(run history | grep -c .)" = "$draws" ] || fail "history does not list the $draws draws"
hits=$(run search --fixed --positions 1,2 --json) || fail "search"
[[ $hits == '{"hits":[{"period":"'* ]] || fail "search finds nothing: ${hits:0:200}"

step "installed, the data goes to the user's folder"
# The unpacked usr/bin stands for /usr/bin only when the program is run from there, so the
# per-user folder is tried on a copy that cannot write its own folder.
home=$scratch/home
mkdir -p "$home"
chmod -R a+rX "$scratch"
chmod a-w "$root/usr/bin"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
first_start "$home/.local/share/Vantrel11S5/Vantrel11S5/历史号码/示例-模拟数据.txt" \
    "${as_user[@]}" env HOME="$home" XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_RUNTIME_DIR= "$program" ||
    fail "no data folder with the sample under ~/.local/share/Vantrel11S5/Vantrel11S5"
[ -z "$(find "$root/usr/bin" -mindepth 1 -not -name 'kelvora11s5*')" ] ||
    fail "the program wrote into its own folder"
chmod u+w "$root/usr/bin"

if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ]; then
    step "apt install, run from PATH, purge"
    if dpkg-query -W -f='${Status}' kelvora11s5 2>/dev/null | grep -q "ok installed"; then
        fail "kelvora11s5 is installed already; not touching it"
    else
        cp "$deb" "$scratch/"
        apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300)
        "${apt[@]}" install --no-install-recommends "$scratch/$(basename "$deb")" >/dev/null ||
            fail "apt-get install"
        [ "$(command -v kelvora11s5)" = /usr/bin/kelvora11s5 ] || fail "kelvora11s5 is not on PATH"
        [ "$(kelvora11s5 --version)" = "kelvora11s5 $version" ] || fail "installed --version"
        # Root can write /usr/bin, yet the installed program keeps its data in the user's folder.
        user_data=$scratch/roothome/.local/share/Vantrel11S5/Vantrel11S5
        first_start "$user_data/历史号码/示例-模拟数据.txt" env HOME="$scratch/roothome" \
            XDG_DATA_HOME= XDG_CONFIG_HOME= kelvora11s5 ||
            fail "the installed program's data folder is not under ~/.local/share"
        [ ! -e /usr/bin/kelvora11S5.db ] && [ ! -e /usr/bin/历史号码 ] ||
            fail "the installed program wrote its data into /usr/bin"
        files=$(dpkg-query -L kelvora11s5)
        "${apt[@]}" purge kelvora11s5 >/dev/null || fail "apt-get purge"
        ! dpkg-query -W -f='${Status}' kelvora11s5 2>/dev/null | grep -q "installed" ||
            fail "kelvora11s5 is still known to dpkg"
        for path in $files; do
            if [ -f "$path" ] || [ -L "$path" ]; then
                fail "$path is left after the purge"
            elif [ -d "$path" ] && [[ $path == *kelvora11s5* ]]; then
                fail "the folder $path is left after the purge"
            fi
        done
    fi
else
    echo "(apt install skipped: runs in CI as root)"
fi

[ "$failures" -eq 0 ] || {
    echo "$failures failures" >&2
    exit 1
}
echo "package $deb: all checks passed"
