#!/usr/bin/env bash
# Sets up the Firebird server that several judges' tables share: installs Debian's
# firebird3.0-server, fixes the port that events come back on, starts the server (also
# where there is no systemd, as in a container), creates the server user and the event's
# database on the server, and prints how to start the program on it. Safe to run again.
# Usage: scripts/server.sh [--user NAME] [--password WORD] [--listen-all]
#   --user, --password  the server user the tables log in as (default ZLT / zlt, what the
#                       program uses unless ISC_USER / ISC_PASSWORD say otherwise)
#   --listen-all        accept the other tables' computers, not only this one
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

user=ZLT
password=zlt
listen_all=0
while [ $# -gt 0 ]; do
    case "$1" in
        --user) user="$2"; shift 2 ;;
        --password) password="$2"; shift 2 ;;
        --listen-all) listen_all=1; shift ;;
        *) echo "server: neznámá volba $1" >&2; exit 2 ;;
    esac
done

conf=/etc/firebird/3.0/firebird.conf
security=/var/lib/firebird/3.0/system/security3.fdb
database=/var/lib/firebird/3.0/data/zlt.fdb
aux_port=3051

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

if ! dpkg-query -W -f='${Status}' firebird3.0-server 2>/dev/null | grep -q "install ok installed"; then
    echo "server: instaluji firebird3.0-server"
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
        firebird3.0-server firebird3.0-utils >/dev/null
fi

# Sets NAME = VALUE in firebird.conf, replacing an earlier setting of it.
set_conf() {
    "${as_root[@]}" sed -i -E "/^[[:space:]]*$1[[:space:]]*=/d" "$conf"
    echo "$1 = $2" | "${as_root[@]}" tee -a "$conf" >/dev/null
}

# Events come back on a connection of their own; a fixed port lets a firewall pass it.
set_conf RemoteAuxPort "$aux_port"
if [ "$listen_all" -eq 1 ]; then
    set_conf RemoteBindAddress 0.0.0.0
fi

# The system's server runs under its guardian; other firebird processes (the tests' private
# servers) are not this one.
server_running() { pidof /usr/sbin/fbguard >/dev/null; }

stop_server() {
    if [ -d /run/systemd/system ]; then
        "${as_root[@]}" systemctl stop firebird3.0
    else
        "${as_root[@]}" /etc/init.d/firebird3.0 stop >/dev/null
    fi
    for _ in $(seq 50); do server_running || return 0; sleep 0.1; done
    echo "server: server Firebird se nezastavil" >&2
    exit 1
}

# Without systemd (a container) the package's init script starts the guardian, which keeps
# the server running as the user firebird; policy-rc.d only stops invoke-rc.d, not it.
start_server() {
    if [ -d /run/systemd/system ]; then
        "${as_root[@]}" systemctl enable --now firebird3.0 >/dev/null 2>&1 ||
            "${as_root[@]}" systemctl start firebird3.0
    else
        "${as_root[@]}" /etc/init.d/firebird3.0 start >/dev/null
    fi
    for _ in $(seq 100); do
        if (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then return 0; fi
        sleep 0.1
    done
    echo "server: server Firebird nenaslouchá na portu 3050" >&2
    exit 1
}

# The user and its right to create databases live in the security database, which the
# server does not share with isql: it is changed while the server is stopped, as the user
# firebird so that its lock files stay the server's (as Debian's own scripts do).
if server_running; then
    stop_server
fi
sql_password="${password//\'/\'\'}"
printf "CREATE OR ALTER USER %s PASSWORD '%s' USING PLUGIN Srp;\nGRANT CREATE DATABASE TO USER %s;\nCOMMIT;\n" \
    "$user" "$sql_password" "$user" |
    "${as_root[@]}" runuser -u firebird -- isql-fb -q -bail -user SYSDBA "$security" >/dev/null
start_server
echo "server: Firebird běží, uživatel $user, port událostí $aux_port"

location="localhost:$database"
if "${as_root[@]}" test -e "$database"; then
    echo "server: databáze $database už je, zůstává jak je"
else
    tool="$(command -v zlt-event || true)"
    tool="${tool:-$root/build/tools/zlt-event}"
    if [ ! -x "$tool" ]; then
        echo "server: chybí zlt-event; sestavte program (scripts/build.sh) a spusťte znovu" >&2
        exit 1
    fi
    ISC_USER="$user" ISC_PASSWORD="$password" "$tool" new-server-db "$location" >/dev/null
    echo "server: založena databáze ročníku $database (vlastník $user)"
fi

echo "Program spusťte s:  zlt --database $location"
if ! grep -Eq '^[[:space:]]*RemoteBindAddress[[:space:]]*=[[:space:]]*0\.0\.0\.0' "$conf"; then
    echo "Server přijímá jen spojení z tohoto počítače (RemoteBindAddress v $conf)."
    echo "Pro stoly na jiných počítačích spusťte: scripts/server.sh --listen-all"
    echo "a povolte ve firewallu porty 3050 a $aux_port."
fi
