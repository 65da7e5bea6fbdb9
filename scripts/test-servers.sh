#!/usr/bin/env bash
# Starts and stops the database servers that the server tests and benchmarks use: a PostgreSQL 15
# and a MariaDB server on 127.0.0.1, each on a free port in a temporary folder that also holds
# its temporary files (PostgreSQL keeps them in its data folder), and a unixODBC
# configuration whose DSN reaches the PostgreSQL server.
#
#   test-servers.sh start STATE_FILE   start both servers; write their facts to STATE_FILE
#   test-servers.sh stop STATE_FILE    stop the servers STATE_FILE describes, remove the folder
#
# STATE_FILE holds KEY=VALUE lines (no quoting). A server that cannot start is recorded as
# PG_STATUS / MARIADB_STATUS = the reason, and start still succeeds, so that each test decides
# whether a missing server means skip (a developer's machine) or fail (CI). `start` first stops
# whatever an earlier, interrupted run left behind in the same STATE_FILE.
set -uo pipefail

PG_BIN=/usr/lib/postgresql/15/bin
PG_PASSWORD=vantrel-pg-secret
MARIADB_USER=vantrel
MARIADB_PASSWORD=vantrel-my-secret
ODBC_DRIVER=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so

usage() {
  echo "usage: $0 start|stop STATE_FILE" >&2
  exit 2
}

[ $# -eq 2 ] || usage
action=$1
state=$2

value_of() {  # KEY FILE
  sed -n "s/^$1=//p" "$2" | head -n 1
}

as_server_user() {  # USER COMMAND...: root hands the server to its own account
  local user=$1
  shift
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$user" -- "$@"
  else
    "$@"
  fi
}

port_is_free() {
  ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

free_port() {
  local port
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 40000))
    if port_is_free "$port"; then
      echo "$port"
      return 0
    fi
  done
  return 1
}

stop_servers() {
  [ -f "$state" ] || return 0
  local dir pg_data my_pid
  dir=$(value_of SERVERS_DIR "$state")
  if [ -n "$dir" ] && [ -d "$dir" ]; then
    pg_data="$dir/pg/data"
    if [ -f "$pg_data/postmaster.pid" ]; then
      as_server_user postgres "$PG_BIN/pg_ctl" -D "$pg_data" -m fast -w -t 30 stop >/dev/null 2>&1 ||
        kill -9 "$(head -n 1 "$pg_data/postmaster.pid")" 2>/dev/null
    fi
    if [ -f "$dir/mariadb/mariadbd.pid" ]; then
      my_pid=$(cat "$dir/mariadb/mariadbd.pid")
      kill "$my_pid" 2>/dev/null
      for _ in $(seq 1 300); do
        kill -0 "$my_pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -9 "$my_pid" 2>/dev/null
    fi
    rm -rf "$dir"
  fi
  rm -f "$state"
}

# Prints nothing and returns 0 when PostgreSQL is up; otherwise prints the reason.
start_postgres() {
  local dir=$1 port
  [ -x "$PG_BIN/initdb" ] || { echo "PostgreSQL 15 is not installed ($PG_BIN/initdb)"; return 1; }
  if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
    echo "there is no postgres user to run the server"
    return 1
  fi
  mkdir -p "$dir/pg"
  echo "$PG_PASSWORD" >"$dir/pg/pwfile"
  [ "$(id -u)" -eq 0 ] && chown -R postgres "$dir/pg"
  if ! as_server_user postgres "$PG_BIN/initdb" -D "$dir/pg/data" -U postgres --pwfile="$dir/pg/pwfile" \
    --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 --no-sync \
    >"$dir/pg/initdb.log" 2>&1; then
    echo "initdb failed: $(tail -n 1 "$dir/pg/initdb.log")"
    return 1
  fi
  for _ in 1 2 3 4 5; do
    port=$(free_port) || { echo "no free port"; return 1; }
    if as_server_user postgres "$PG_BIN/pg_ctl" -D "$dir/pg/data" -l "$dir/pg/server.log" -w -t 30 start \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $dir/pg -c fsync=off -c full_page_writes=off" \
      >/dev/null 2>&1; then
      echo "$port" >"$dir/pg/port"
      return 0
    fi
  done
  echo "the server did not start: $(tail -n 1 "$dir/pg/server.log" 2>/dev/null)"
  return 1
}

start_mariadb() {
  local dir=$1 port pid user_args=()
  command -v mariadbd >/dev/null || [ -x /usr/sbin/mariadbd ] || {
    echo "MariaDB server is not installed (mariadbd)"
    return 1
  }
  command -v mariadb-install-db >/dev/null || { echo "mariadb-install-db is missing"; return 1; }
  # Its own temporary folder: in the shared one, another server's cleanup can delete the
  # temporary tables of an information_schema read under it.
  mkdir -p "$dir/mariadb/tmp"
  chmod 700 "$dir/mariadb/tmp"
  if [ "$(id -u)" -eq 0 ]; then
    user_args=(--user=mysql)
    chown mysql "$dir/mariadb" "$dir/mariadb/tmp"
  fi
  if ! mariadb-install-db --no-defaults "${user_args[@]}" --datadir="$dir/mariadb/data" \
    --tmpdir="$dir/mariadb/tmp" --auth-root-authentication-method=normal --skip-test-db \
    >"$dir/mariadb/install.log" 2>&1; then
    echo "mariadb-install-db failed: $(tail -n 1 "$dir/mariadb/install.log")"
    return 1
  fi
  for _ in 1 2 3 4 5; do
    port=$(free_port) || { echo "no free port"; return 1; }
    /usr/sbin/mariadbd --no-defaults "${user_args[@]}" --datadir="$dir/mariadb/data" \
      --tmpdir="$dir/mariadb/tmp" --bind-address=127.0.0.1 --port="$port" \
      --socket="$dir/mariadb/mariadbd.sock" \
      --pid-file="$dir/mariadb/mariadbd.pid" --skip-name-resolve \
      --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 \
      --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci \
      >"$dir/mariadb/server.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 300); do
      if mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P"$port" -uroot -e 'SELECT 1' >/dev/null 2>&1; then
        echo "$pid" >"$dir/mariadb/mariadbd.pid"
        mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P"$port" -uroot -e \
          "CREATE USER '$MARIADB_USER'@'%' IDENTIFIED BY '$MARIADB_PASSWORD';
           GRANT ALL PRIVILEGES ON *.* TO '$MARIADB_USER'@'%' WITH GRANT OPTION;" ||
          { echo "could not create the test user"; return 1; }
        echo "$port" >"$dir/mariadb/port"
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  echo "the server did not start: $(tail -n 1 "$dir/mariadb/server.log" 2>/dev/null)"
  return 1
}

write_odbc_config() {
  local dir=$1 pg_port=$2
  mkdir -p "$dir/odbc"
  cat >"$dir/odbc/odbcinst.ini" <<EOF
[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode)
Driver=$ODBC_DRIVER
EOF
  cat >"$dir/odbc/odbc.ini" <<EOF
[vantrel_pg]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$pg_port
Database=postgres
EOF
}

one_line() {
  tr '\n' ' ' | tr -d '\r' | sed 's/ *$//'
}

start_servers() {
  stop_servers
  mkdir -p "$(dirname "$state")"
  local dir pg_status my_status odbc_status pg_port="" my_port=""
  dir=$(mktemp -d /tmp/vantrel-servers.XXXXXX)
  chmod 755 "$dir"
  # Written first, so that stop finds the folder even when start is interrupted.
  echo "SERVERS_DIR=$dir" >"$state"

  pg_status=$(start_postgres "$dir" | one_line)
  [ -z "$pg_status" ] && pg_status=ok && pg_port=$(cat "$dir/pg/port")
  my_status=$(start_mariadb "$dir" | one_line)
  [ -z "$my_status" ] && my_status=ok && my_port=$(cat "$dir/mariadb/port")
  if [ "$pg_status" != ok ]; then
    odbc_status="no PostgreSQL server: $pg_status"
  elif [ ! -f "$ODBC_DRIVER" ]; then
    odbc_status="the PostgreSQL ODBC driver is not installed ($ODBC_DRIVER)"
  else
    write_odbc_config "$dir" "$pg_port"
    odbc_status=ok
  fi

  cat >"$state" <<EOF
SERVERS_DIR=$dir
PG_STATUS=$pg_status
PG_HOST=127.0.0.1
PG_PORT=$pg_port
PG_SOCKET_DIR=$dir/pg
PG_USER=postgres
PG_PASSWORD=$PG_PASSWORD
MARIADB_STATUS=$my_status
MARIADB_HOST=127.0.0.1
MARIADB_PORT=$my_port
MARIADB_SOCKET=$dir/mariadb/mariadbd.sock
MARIADB_USER=$MARIADB_USER
MARIADB_PASSWORD=$MARIADB_PASSWORD
ODBC_STATUS=$odbc_status
ODBCSYSINI=$dir/odbc
ODBCINI=$dir/odbc/odbc.ini
ODBC_DSN=vantrel_pg
EOF
  echo "PostgreSQL: $pg_status${pg_port:+ (port $pg_port)}; MariaDB: $my_status${my_port:+ (port $my_port)}; ODBC: $odbc_status"
  if [ "${CI:-}" = true ] && { [ "$pg_status" != ok ] || [ "$my_status" != ok ]; }; then
    return 1
  fi
  return 0
}

case "$action" in
  start) start_servers ;;
  stop) stop_servers ;;
  *) usage ;;
esac
