#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine (packages, release build)
# and starts ZEBDOC on the embedded database for the current user.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/packaging/install-deps.sh"
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release
bin="$root/build/release/bin"
# The first run makes the user's configuration (registry file, SQLite data
# source, database and tables) and puts a sample document under version
# control; later runs keep what is there.
"$bin/zebquickstart" --configure-only
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "ZEBDOC is a desktop program: start it from a graphical session ($bin/zebdoc)." >&2
    exit 1
fi
exec "$bin/zebdoc" "$@"
