#!/usr/bin/env bash
# Drives a real file manager on the run's display for the real-client tests.
#
#   filemanager.sh start DIR FILEMANAGER FOLDER   start it on FOLDER
#   filemanager.sh choose DIR KEY TRACE           select every file, open the
#                                                 context menu (Shift+F10, Dolphin: Menu) and
#                                                 choose the item with the
#                                                 mnemonic KEY; wait until the
#                                                 host has unloaded the extension
#                                                 (one more detach line in TRACE)
#   filemanager.sh stop DIR                       end everything it started
#
# DIR is the test's folder for the file manager's private home and state. As
# root the file manager runs as nobody. The environment passed on to it (and
# so to the host it starts): ZEBDOC_TRACE, ZEBDOC_REGISTRY, ODBCINI,
# ODBCSYSINI, ZEBUI_TEST_ANSWERS, ZEBUI_TEST_RECORD, ZEBUI_HOST. Every wait
# is bounded; a failure prints why and exits 1.
set -u
ACTION=$1
DIR=$2
shift 2

fail() {
    echo "filemanager.sh: $*" >&2
    exit 1
}

# Windows of the display, one "ID X Y W H" line each.
visible_windows() {
    xdotool search --onlyvisible --name '' 2>/dev/null | while read -r w; do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        echo "$w $X $Y $WIDTH $HEIGHT"
    done
}

# Polls `condition` every 0.1 s for at most `seconds`.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    while [ $SECONDS -lt $end ]; do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

detach_count() {
    local n
    n=$(grep -c 'DLL_PROCESS_DETACH' "$1" 2>/dev/null)
    echo "${n:-0}"
}

case "$ACTION" in
start)
    FM=$1
    FOLDER=$2
    command -v "$FM" >/dev/null || fail "$FM is not installed"
    RUNAS=()
    OWNER=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        RUNAS=(runuser -u nobody --)
        OWNER=nobody
    fi
    mkdir -p "$DIR"/{home,config,data,cache,run,tmp}
    chmod 700 "$DIR/run"
    if [ -n "${XAUTHORITY:-}" ] && [ -r "$XAUTHORITY" ]; then
        cp "$XAUTHORITY" "$DIR/Xauthority"
    fi
    chown -R "$OWNER" "$DIR"
    ENVIRONMENT=(env -i PATH=/usr/bin:/bin HOME="$DIR/home" XDG_CONFIG_HOME="$DIR/config"
        XDG_DATA_HOME="$DIR/data" XDG_CACHE_HOME="$DIR/cache" XDG_RUNTIME_DIR="$DIR/run"
        TMPDIR="$DIR/tmp" DISPLAY="$DISPLAY" XAUTHORITY="$DIR/Xauthority"
        GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix
        ZEBDOC_TRACE="${ZEBDOC_TRACE:-}" ZEBDOC_REGISTRY="${ZEBDOC_REGISTRY:-}"
        ODBCINI="${ODBCINI:-}" ODBCSYSINI="${ODBCSYSINI:-}"
        ZEBUI_TEST_ANSWERS="${ZEBUI_TEST_ANSWERS:-}" ZEBUI_TEST_RECORD="${ZEBUI_TEST_RECORD:-}")
    # The items, as a user puts them there: the glue names the host.
    "${RUNAS[@]}" "${ENVIRONMENT[@]}" "$(dirname "$ZEBUI_HOST")/zebdoc-filemanagers" install \
        --host "$ZEBUI_HOST" >/dev/null || fail "installing the glue failed"
    # What each needs on a bare virtual display: Nautilus (GTK 4) draws
    # with cairo, Caja without a desktop window.
    class=Thunar
    menukey=shift+F10
    ARGS=()
    case "$FM" in
    nemo) class=Nemo ;;
    nautilus)
        class=org.gnome.Nautilus
        ENVIRONMENT+=(GSK_RENDERER=cairo)
        ;;
    caja)
        class=Caja
        ARGS=(--no-desktop)
        ;;
    dolphin)
        # Qt on X11, without a KDE session; the folder's view has the focus.
        class=dolphin
        menukey=Menu
        ENVIRONMENT+=(QT_QPA_PLATFORM=xcb KDE_FULL_SESSION=false)
        ;;
    esac
    # A session of its own, so that stop ends the bus and every helper too.
    setsid "${RUNAS[@]}" "${ENVIRONMENT[@]}" dbus-run-session -- "$FM" "${ARGS[@]}" "$FOLDER" \
        >"$DIR/filemanager.log" 2>&1 </dev/null &
    echo $! >"$DIR/session"
    echo "$class" >"$DIR/class"
    echo "$menukey" >"$DIR/menukey"
    found() {
        xdotool search --onlyvisible --class "$class" 2>/dev/null | while read -r w; do
            eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
            [ "$WIDTH" -gt 200 ] && [ "$HEIGHT" -gt 200 ] && echo "$w $X $Y $WIDTH $HEIGHT"
        done | head -n 1 | grep .
    }
    wait_for 60 found >/dev/null || fail "no $FM window after 60 s: $(tail -5 "$DIR/filemanager.log")"
    found >"$DIR/window"
    # The folder's two files are read at once; give the view a moment.
    sleep 1
    ;;
choose)
    KEY=$1
    TRACE=$2
    read -r WIN WX WY WW WH <"$DIR/window" || fail "not started"
    before=$(detach_count "$TRACE")
    # Without a window manager the keyboard follows the pointer: keep it
    # over the file view.
    xdotool mousemove $((WX + WW / 2)) $((WY + WH * 2 / 3))
    sleep 0.2
    xdotool click 1
    sleep 0.3
    xdotool key ctrl+a
    sleep 0.3
    visible_windows | sort >"$DIR/windows-before"
    xdotool key "$(cat "$DIR/menukey")"
    popup() {
        visible_windows | sort | comm -13 "$DIR/windows-before" - | awk '$4 > 50 && $5 > 50' | grep .
    }
    wait_for 10 popup >/dev/null || fail "no context menu after $(cat "$DIR/menukey")"
    xdotool key "$KEY"
    # A mnemonic another item shares only selects: then Return chooses it.
    sleep 0.5
    if popup >/dev/null; then
        xdotool key Return
    fi
    more() { [ "$(detach_count "$TRACE")" -gt "$before" ]; }
    wait_for 60 more || fail "the host did not run to its end within 60 s ($FM log: $(tail -5 "$DIR/filemanager.log"))"
    ;;
stop)
    if [ -f "$DIR/session" ]; then
        session=$(cat "$DIR/session")
        for _ in 1 2 3; do
            pids=$(ps -s "$session" -o pid= 2>/dev/null)
            [ -z "$pids" ] && break
            kill -9 $pids 2>/dev/null
            sleep 0.2
        done
        wait 2>/dev/null
        rm -f "$DIR/session"
    fi
    ;;
*)
    fail "unknown action $ACTION"
    ;;
esac
exit 0
