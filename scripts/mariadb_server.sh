#!/usr/bin/env bash
# A throwaway MariaDB server for the tests, listening on 127.0.0.1 and on a Unix socket in its
# own folder, with a user "zentab" (password "zentab") that may create databases.
#   scripts/mariadb_server.sh start DIR   starts it and prints the ODBC connect string
#   scripts/mariadb_server.sh stop DIR    stops it
# As root the server runs as the unprivileged user "nobody".
set -euo pipefail

command=${1:?start or stop}
dir=${2:?folder}

server_options() {
    local port=$1
    printf '%s\n' --no-defaults "--datadir=$dir/data" "--socket=$dir/mysqld.sock" \
        "--pid-file=$dir/mysqld.pid" "--log-error=$dir/server.log" "--port=$port" \
        --bind-address=127.0.0.1 --skip-name-resolve --skip-log-bin \
        --innodb-buffer-pool-size=64M --innodb-log-file-size=32M \
        --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 --sync-binlog=0 \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci
}

user_options=()
[ "$(id -u)" -eq 0 ] && user_options=(--user=nobody)

client() {
    mariadb --no-defaults "--socket=$dir/mysqld.sock" -u root "$@"
}

case "$command" in
start)
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown nobody "$dir"
    if ! mariadb-install-db --no-defaults "--datadir=$dir/data" "${user_options[@]}" \
        --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1; then
        echo "mariadb-install-db failed; its output ($dir/install.log):" >&2
        cat "$dir/install.log" >&2
        exit 1
    fi
    # Another program may take the free port found here before the server binds it: then the
    # server is started again on the next free port.
    port=33070
    attempt=1
    while :; do
        while (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; do
            port=$((port + 1))
        done
        rm -f "$dir/server.log"
        mapfile -t options < <(server_options "$port")
        mariadbd "${options[@]}" "${user_options[@]}" </dev/null >/dev/null 2>&1 &
        pid=$!
        ready=0
        for _ in $(seq 1 300); do
            if client -e 'SELECT 1' >/dev/null 2>&1; then
                ready=1
                break
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        [ "$ready" -eq 1 ] && break
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        if [ "$attempt" -lt 5 ] && [ -f "$dir/server.log" ] &&
            grep -qE 'Address already in use|Can.t start server: Bind' "$dir/server.log"; then
            echo "Port $port was taken before the server could bind it; trying the next one." >&2
            port=$((port + 1))
            attempt=$((attempt + 1))
            continue
        fi
        echo "The MariaDB server did not start on port $port. Its log ($dir/server.log):" >&2
        cat "$dir/server.log" >&2 || true
        exit 1
    done
    if ! client -e "CREATE USER 'zentab'@'127.0.0.1' IDENTIFIED BY 'zentab';
        CREATE USER 'zentab'@'localhost' IDENTIFIED BY 'zentab';
        GRANT ALL ON *.* TO 'zentab'@'127.0.0.1'; GRANT ALL ON *.* TO 'zentab'@'localhost';
        CREATE DATABASE zentab;" 2>"$dir/setup.log"; then
        echo "Setting up the user failed:" >&2
        cat "$dir/setup.log" >&2
        "$0" stop "$dir"
        exit 1
    fi
    echo "$port" >"$dir/port"
    echo "Driver={MariaDB Unicode};Server=127.0.0.1;Port=$port;Database=zentab;Uid=zentab;Pwd=zentab;"
    ;;
stop)
    if [ -f "$dir/mysqld.pid" ]; then
        pid=$(cat "$dir/mysqld.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 300); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
