#!/usr/bin/env bash
# A private PostgreSQL cluster for one test run.
#
#   pgcluster.sh start DIR   initialise and start a cluster; write DIR/env
#   pgcluster.sh stop DIR    stop it and remove its data
#
# DIR/env holds shell assignments the tests read: PORT, USER, PASSWORD,
# BINDIR, ROOTDIR, DATADIR, SOCKDIR, RUNAS. The data lives in a folder of its
# own below /tmp (any user can reach it there). When PostgreSQL is not
# installed, start writes the reason to DIR/unavailable and exits 0, so that
# the PostgreSQL cases skip with that message. A cluster left over from an
# earlier run in DIR is stopped and replaced.
set -u

[ $# -eq 2 ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
ACTION=$1
DIR=$2

# PostgreSQL refuses to run as root: then the server runs as an unprivileged
# account.
as_owner() {
    if [ -n "$RUNAS" ]; then runuser -u "$RUNAS" -- "$@"; else "$@"; fi
}

env_value() {
    sed -n "s/^$1=//p" "$DIR/env" | head -n 1
}

# Stops the cluster described by DIR/env (if any) and removes its data.
stop_cluster() {
    if [ -f "$DIR/env" ]; then
        local BINDIR DATADIR RUNAS ROOTDIR pid
        BINDIR=$(env_value BINDIR)
        DATADIR=$(env_value DATADIR)
        RUNAS=$(env_value RUNAS)
        ROOTDIR=$(env_value ROOTDIR)
        if [ -n "$DATADIR" ] && [ -f "$DATADIR/postmaster.pid" ]; then
            as_owner "$BINDIR/pg_ctl" -D "$DATADIR" -m fast -w -t 30 stop >/dev/null 2>&1
            pid=$(head -n 1 "$DATADIR/postmaster.pid" 2>/dev/null)
            if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
                kill -9 "$pid" 2>/dev/null
                sleep 1
            fi
        fi
        case "$ROOTDIR" in /tmp/zebpg.*) rm -rf "$ROOTDIR" ;; esac
    fi
    rm -f "$DIR/env" "$DIR/unavailable"
}

# Records why there is no cluster; exits with `status`.
unavailable() {
    local status=$1
    shift
    echo "$*" >"$DIR/unavailable"
    echo "pgcluster: PostgreSQL not available: $*" >&2
    exit "$status"
}

port_in_use() {
    ss -ltnH "sport = :$1" 2>/dev/null | grep -q . || (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

write_env() {
    printf '%s\n' "PORT=$PORT" "USER=$USER_NAME" "PASSWORD=$PASSWORD" "BINDIR=$BINDIR" \
        "ROOTDIR=$ROOTDIR" "DATADIR=$DATADIR" "SOCKDIR=$SOCKDIR" "RUNAS=$RUNAS" \
        >"$DIR/env.tmp" && mv -f "$DIR/env.tmp" "$DIR/env"
}

start_cluster() {
    mkdir -p "$DIR" || { echo "pgcluster: cannot create $DIR" >&2; exit 1; }
    stop_cluster

    BINDIR=""
    for d in /usr/lib/postgresql/*/bin; do
        [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && BINDIR=$d
    done
    if [ -z "$BINDIR" ] && command -v initdb >/dev/null && command -v pg_ctl >/dev/null; then
        BINDIR=$(dirname "$(command -v initdb)")
    fi
    [ -n "$BINDIR" ] ||
        unavailable 0 "initdb and pg_ctl not found (install the Debian package postgresql)"
    RUNAS=""
    if [ "$(id -u)" -eq 0 ]; then
        RUNAS=nobody
        getent passwd postgres >/dev/null && RUNAS=postgres
        command -v runuser >/dev/null || unavailable 0 "running as root and runuser is missing"
    fi

    ROOTDIR=$(mktemp -d /tmp/zebpg.XXXXXX) || { echo "pgcluster: mktemp failed" >&2; exit 1; }
    DATADIR=$ROOTDIR/data
    SOCKDIR=$ROOTDIR/sock
    LOGFILE=$ROOTDIR/server.log
    USER_NAME=zebtest
    PASSWORD=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
    PORT=""
    mkdir -p "$SOCKDIR"
    printf '%s\n' "$PASSWORD" >"$ROOTDIR/pwfile"
    chmod 755 "$ROOTDIR"
    if [ -n "$RUNAS" ]; then
        chown -R "$RUNAS" "$ROOTDIR" || { echo "pgcluster: chown to $RUNAS failed" >&2; exit 1; }
    fi
    # Written early, so that a failed start is still cleaned up by stop.
    write_env

    if ! as_owner "$BINDIR/initdb" -D "$DATADIR" -U "$USER_NAME" --pwfile="$ROOTDIR/pwfile" \
        -E UTF8 --locale=C --auth-local=trust --auth-host=scram-sha-256 -N \
        >"$ROOTDIR/initdb.log" 2>&1; then
        cat "$ROOTDIR/initdb.log" >&2
        stop_cluster
        unavailable 1 "initdb failed (see the output of pgcluster.start)"
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

    # A free port; another process may take it between the check and the
    # start, hence several attempts.
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        PORT=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
        port_in_use "$PORT" && continue
        if as_owner "$BINDIR/pg_ctl" -D "$DATADIR" -l "$LOGFILE" -w -t 60 \
            -o "-p $PORT -k $SOCKDIR -c listen_addresses=127.0.0.1" start >/dev/null 2>&1; then
            write_env
            echo "pgcluster: PostgreSQL running on 127.0.0.1:$PORT (data in $DATADIR)"
            return
        fi
    done
    cat "$LOGFILE" >&2 2>/dev/null
    stop_cluster
    unavailable 1 "the server did not start (see the output of pgcluster.start)"
}

case "$ACTION" in
start) start_cluster ;;
stop) stop_cluster && echo "pgcluster: stopped" ;;
*) echo "usage: $0 start|stop DIR" >&2 && exit 2 ;;
esac
exit 0
