#!/usr/bin/env bash
# A private PostgreSQL cluster for one test run.
#
#   pgcluster.sh start DIR   initialise and start a cluster; write DIR/env
#   pgcluster.sh stop DIR    stop it and remove its data
#
# DIR/env holds shell assignments the tests read: PORT, USER, PASSWORD,
# BINDIR, DATADIR, SOCKDIR, RUNAS. The data lives in a folder of its own
# below /tmp (any user can reach it there). When PostgreSQL is not installed,
# start writes the reason to DIR/unavailable and exits 0, so that the
# PostgreSQL cases skip with that message. A cluster left over from an
# earlier run in DIR is stopped and replaced.
set -u

die() {
    echo "pgcluster: $*" >&2
    exit 1
}

usage() {
    echo "usage: $0 start|stop DIR" >&2
    exit 2
}

[ $# -eq 2 ] || usage
ACTION=$1
DIR=$2

find_bindir() {
    local d best=""
    for d in /usr/lib/postgresql/*/bin; do
        [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && best=$d
    done
    if [ -z "$best" ]; then
        local i p
        i=$(command -v initdb 2>/dev/null) || true
        p=$(command -v pg_ctl 2>/dev/null) || true
        if [ -n "$i" ] && [ -n "$p" ]; then
            best=$(dirname "$i")
        fi
    fi
    echo "$best"
}

# The unprivileged account the server runs under when we are root.
pick_runas() {
    if [ "$(id -u)" -ne 0 ]; then
        echo ""
    elif getent passwd postgres >/dev/null; then
        echo postgres
    else
        echo nobody
    fi
}

as_owner() {
    if [ -n "$RUNAS" ]; then
        runuser -u "$RUNAS" -- "$@"
    else
        "$@"
    fi
}

env_value() {
    sed -n "s/^$2=//p" "$1" | head -n 1
}

# Stops the cluster described by DIR/env (if any) and removes its data.
stop_cluster() {
    local envfile="$DIR/env"
    if [ -f "$envfile" ]; then
        local BINDIR DATADIR RUNAS ROOTDIR
        BINDIR=$(env_value "$envfile" BINDIR)
        DATADIR=$(env_value "$envfile" DATADIR)
        RUNAS=$(env_value "$envfile" RUNAS)
        ROOTDIR=$(env_value "$envfile" ROOTDIR)
        if [ -n "$DATADIR" ] && [ -d "$DATADIR" ]; then
            if [ -f "$DATADIR/postmaster.pid" ]; then
                as_owner "$BINDIR/pg_ctl" -D "$DATADIR" -m fast -w -t 30 stop >/dev/null 2>&1 || true
            fi
            if [ -f "$DATADIR/postmaster.pid" ]; then
                local pid
                pid=$(head -n 1 "$DATADIR/postmaster.pid" 2>/dev/null)
                if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
                    kill -9 "$pid" 2>/dev/null || true
                    sleep 1
                fi
            fi
        fi
        case "$ROOTDIR" in
        /tmp/zebpg.*) rm -rf "$ROOTDIR" ;;
        esac
    fi
    rm -f "$envfile" "$DIR/unavailable"
}

unavailable() {
    mkdir -p "$DIR"
    echo "$*" >"$DIR/unavailable"
    echo "pgcluster: PostgreSQL not available: $*" >&2
}

port_in_use() {
    ss -ltnH "sport = :$1" 2>/dev/null | grep -q . && return 0
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    return 1
}

start_cluster() {
    mkdir -p "$DIR" || die "cannot create $DIR"
    stop_cluster

    BINDIR=$(find_bindir)
    if [ -z "$BINDIR" ]; then
        unavailable "initdb and pg_ctl not found (install the Debian package postgresql)"
        exit 0
    fi
    RUNAS=$(pick_runas)
    if [ -n "$RUNAS" ] && ! command -v runuser >/dev/null; then
        unavailable "running as root and runuser is missing"
        exit 0
    fi

    ROOTDIR=$(mktemp -d /tmp/zebpg.XXXXXX) || die "mktemp failed"
    DATADIR=$ROOTDIR/data
    SOCKDIR=$ROOTDIR/sock
    LOGFILE=$ROOTDIR/server.log
    USER_NAME=zebtest
    PASSWORD=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
    mkdir -p "$SOCKDIR"
    printf '%s\n' "$PASSWORD" >"$ROOTDIR/pwfile"
    chmod 755 "$ROOTDIR"
    if [ -n "$RUNAS" ]; then
        chown -R "$RUNAS" "$ROOTDIR" || die "chown to $RUNAS failed"
    fi

    # Write env early, so that a failed start is still cleaned up by stop.
    write_env() {
        local tmp="$DIR/env.tmp"
        {
            echo "PORT=${PORT:-}"
            echo "USER=$USER_NAME"
            echo "PASSWORD=$PASSWORD"
            echo "BINDIR=$BINDIR"
            echo "ROOTDIR=$ROOTDIR"
            echo "DATADIR=$DATADIR"
            echo "SOCKDIR=$SOCKDIR"
            echo "RUNAS=$RUNAS"
        } >"$tmp" && mv -f "$tmp" "$DIR/env"
    }
    PORT=""
    write_env

    if ! as_owner "$BINDIR/initdb" -D "$DATADIR" -U "$USER_NAME" --pwfile="$ROOTDIR/pwfile" \
        -E UTF8 --locale=C --auth-local=trust --auth-host=scram-sha-256 -N \
        >"$ROOTDIR/initdb.log" 2>&1; then
        cat "$ROOTDIR/initdb.log" >&2
        stop_cluster
        unavailable "initdb failed (see the output of pgcluster.start)"
        exit 1
    fi
    rm -f "$ROOTDIR/pwfile"
    cat >>"$DATADIR/postgresql.conf" <<EOF
# Test cluster: speed over durability.
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 100
shared_buffers = 32MB
password_encryption = scram-sha-256
EOF

    local attempt started=0
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        PORT=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
        port_in_use "$PORT" && continue
        if as_owner "$BINDIR/pg_ctl" -D "$DATADIR" -l "$LOGFILE" -w -t 60 \
            -o "-p $PORT -k $SOCKDIR -c listen_addresses=127.0.0.1" start >/dev/null 2>&1; then
            started=1
            break
        fi
        # Most likely the port was taken between the check and the start.
        : "attempt $attempt failed"
    done
    if [ "$started" -ne 1 ]; then
        cat "$LOGFILE" >&2 2>/dev/null
        stop_cluster
        unavailable "the server did not start (see the output of pgcluster.start)"
        exit 1
    fi
    write_env
    echo "pgcluster: PostgreSQL running on 127.0.0.1:$PORT (data in $DATADIR)"
}

case "$ACTION" in
start) start_cluster ;;
stop)
    stop_cluster
    echo "pgcluster: stopped"
    ;;
*) usage ;;
esac
exit 0
