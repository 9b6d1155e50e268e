#!/usr/bin/env bash
# Installs what the tests need, builds the debug and the sanitizer builds and
# runs the whole suite on both (SQLite and a private PostgreSQL cluster).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/packaging/install-deps.sh"
status=0
for preset in dev asan; do
    echo "== $preset =="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    # Window tests need a display: one private Xvfb server for the run.
    xvfb-run -a -s "-screen 0 1600x1200x24" ctest --preset "$preset" || status=1
done
exit $status
