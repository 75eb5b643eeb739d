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
    port=54330
    while (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; do
        port=$((port + 1))
    done
    as_owner "$bin/initdb" -D "$dir/data" -A trust -U zentab -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
    # Every statement, each line naming its database: tests read what the program sent.
    printf "%s\n" "log_statement = 'all'" "log_line_prefix = '%m [%p] %d '" >>"$dir/data/postgresql.conf"
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
        -o "-h 127.0.0.1 -p $port -k $dir -c fsync=off" start >/dev/null
    as_owner "$bin/createdb" -h "$dir" -p "$port" -U zentab zentab
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
