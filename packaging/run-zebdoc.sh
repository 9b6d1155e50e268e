#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine (packages, release build)
# and runs ZEBDOC on the embedded database for the current user.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/packaging/install-deps.sh"
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release
bin="$root/build/release/bin"
# The first run makes the user's configuration (registry file, SQLite data
# source, database and tables); every run archives a version of a sample
# document and shows what the repository holds.
exec "$bin/zebquickstart" "$@"
