#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-httpserver-dev qt6-websockets-dev
  # pictures of the charts and tables in SVG (PNG, PDF and printing come with qt6-base-dev)
  qt6-svg-dev
  libxkbcommon-dev libsqlite3-dev libxlsxwriter-dev libgumbo-dev libicu-dev
  libcsv-dev libfreexl-dev libminizip-dev
  # the command line's option parser and its JSON
  libcli11-dev nlohmann-json3-dev
  # minizip's header includes zlib.h, which Debian 12's libminizip-dev does not pull in
  zlib1g-dev
  # the window's Chinese texts: without it they are boxes, and the layout tests measure wrong
  fonts-noto-cjk
  # the manual page's test renders it
  groff-base
  # the tests write .xls workbooks with it
  libspreadsheet-writeexcel-perl
  qt6-translations-l10n unzip
  # renders the icon's PNG sizes
  librsvg2-bin)
if [ "${WITH_SCREENSHOT_TOOLS:-0}" = 1 ]; then
  packages+=(xvfb xauth imagemagick)
fi
# The Debian package: dpkg-shlibdeps computes its dependencies; its test checks it with these.
if [ "${WITH_PACKAGE_TOOLS:-0}" = 1 ]; then
  packages+=(dpkg-dev file lintian desktop-file-utils appstream)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
