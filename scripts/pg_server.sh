#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests, listening on 127.0.0.1 and on a Unix socket in
# its own folder. It logs every statement to DIR/server.log.
#   scripts/pg_server.sh start DIR   starts it and prints the ODBC connect string
#   scripts/pg_server.sh stop DIR    stops it
# As root the server runs as the unprivileged user "postgres".
set -euo pipefail

command=${1:?start or stop}
dir=${2:?folder}
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

case "$command" in
start)
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    if ! as_owner "$bin/initdb" -D "$dir/data" -A trust -U zentab -E UTF8 --locale=C.UTF-8 \
        >"$dir/initdb.log" 2>&1; then
        echo "initdb failed; its output ($dir/initdb.log):" >&2
        cat "$dir/initdb.log" >&2
        exit 1
    fi
    # Every statement, each line naming its database: tests read what the program sent.
    printf "%s\n" "log_statement = 'all'" "log_line_prefix = '%m [%p] %d '" >>"$dir/data/postgresql.conf"
    # Another program may take the free port found here before the server binds it: then the
    # server is started again on the next free port.
    port=54330
    attempt=1
    while :; do
        while (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; do
            port=$((port + 1))
        done
        # Each attempt's own log: it is the one the tests read once the server runs.
        rm -f "$dir/server.log"
        if output=$(as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
            -o "-h 127.0.0.1 -p $port -k $dir -c fsync=off" start 2>&1); then
            break
        fi
        if [ "$attempt" -lt 5 ] && [ -f "$dir/server.log" ] &&
            grep -qE 'could not bind .*Address already in use' "$dir/server.log"; then
            echo "Port $port was taken before the server could bind it; trying the next one." >&2
            port=$((port + 1))
            attempt=$((attempt + 1))
            continue
        fi
        echo "The PostgreSQL server did not start on port $port:" >&2
        echo "$output" >&2
        echo "Its log ($dir/server.log):" >&2
        cat "$dir/server.log" >&2 || true
        exit 1
    done
    if ! as_owner "$bin/createdb" -h "$dir" -p "$port" -U zentab zentab; then
        echo "createdb failed; the server's log ($dir/server.log):" >&2
        cat "$dir/server.log" >&2
        as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
        exit 1
    fi
    echo "$port" >"$dir/port"
    echo "Driver={PostgreSQL ANSI};Server=127.0.0.1;Port=$port;Database=zentab;Uid=zentab;Pwd=zentab;"
    ;;
stop)
    if [ -d "$dir/data" ]; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
