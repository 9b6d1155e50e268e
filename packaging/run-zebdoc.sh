#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine (packages, release build),
# installs ZEBDOC for the current user through its setup program (install,
# unattended, on the embedded SQLite database) and starts the installed
# zebdoc. Once ZEBDOC is installed for you, later runs start it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/packaging/install-deps.sh"
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release
# The release folder: install at its top, beside zebdoc.inf and every file
# the script copies (what cpack -G TGZ packs).
cmake --build --preset release --target zebdoc_release >/dev/null
release="$root/build/release/release-folder"
installed="$HOME/.local/bin/zebdoc"
if [ ! -e "$installed" ]; then
    # Per user also as root: the program goes to ~/.local/share/zebdoc, its
    # links to ~/.local/bin, the data source to ~/.odbc.ini.
    ZEBDOC_SETUP_SCOPE=user ZEBDOC_SETUP_ANSWERS="$root/packaging/setup-user-sqlite.answers" \
        "$release/install" || {
        echo "Setup did not install ZEBDOC (see the messages above; ZEBDOC_TRACE=FILE keeps its trace)." >&2
        exit 1
    }
    echo "ZEBDOC is installed for you: $(readlink -f "$installed")"
elif [ "$release/bin/zebdoc" -nt "$(readlink -f "$installed")" ]; then
    echo "ZEBDOC is installed already; this build is newer. Install it with zebdoc-setup (ZEBDOC Setup)." >&2
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "ZEBDOC is a desktop program: start it from a graphical session ($installed)." >&2
    exit 1
fi
exec "$installed" "$@"
