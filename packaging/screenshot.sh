#!/usr/bin/env bash
# Makes the README's picture of the main window, docs/zebdoc-main-window.png,
# on a private virtual display with a private configuration (nothing of the
# user's is read or changed), and renders the icon packaging/zebdoc.png.
#
#     packaging/screenshot.sh [BUILD_DIR]     (default: build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
if [ ! -x "$build/bin/zebshot" ] || [ ! -x "$build/release-folder/install" ]; then
    cmake --preset release -S "$root" >/dev/null
    cmake --build --preset release --target zebshot zebdoc_release
    build=$root/build/release
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export ZEBDOC_REGISTRY=$work/config/registry.reg ODBCINI=$work/odbc.ini
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
# The configuration a new user gets from setup, unattended.
ZEBDOC_SETUP_SCOPE=user ZEBDOC_SETUP_ANSWERS="$root/packaging/setup-user-sqlite.answers" \
    "$build/release-folder/install" >/dev/null
mkdir -p "$root/docs"
xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build/bin/zebshot" "$root/docs/zebdoc-main-window.png" "$root/packaging/zebdoc.png"
echo "Wrote docs/zebdoc-main-window.png and packaging/zebdoc.png"
