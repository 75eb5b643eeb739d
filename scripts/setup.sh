#!/usr/bin/env bash
# Installs the Debian packages that Zentab needs to build, run its demo and run its tests.
# Only missing packages are installed; uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    unixodbc unixodbc-dev odbcinst libsqliteodbc odbc-postgresql sqlite3
    postgresql util-linux locales
    mariadb-server-core mariadb-client-core odbc-mariadb
    libcli11-dev libgtest-dev
    qt6-base-dev libgl-dev libqt6svg6
    unrtf poppler-utils time
    desktop-file-utils libxml2-utils shared-mime-info groff-base
    clang libclang-rt-14-dev clang-format
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# The driver packages register themselves with the driver manager; make sure the names exist.
for driver in SQLite3 "PostgreSQL ANSI" "MariaDB Unicode"; do
    if ! odbcinst -q -d -n "$driver" >/dev/null 2>&1; then
        echo "The ODBC driver \"$driver\" is not registered with unixODBC." >&2
        exit 1
    fi
done
