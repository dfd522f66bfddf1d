#!/usr/bin/env bash
# Runs a command beside a throwaway PostgreSQL 15 cluster and stops the cluster afterwards,
# whatever the command's outcome. `make test` runs ctest this way, so the server tests always
# have a server:
#
#   tools/pg_test_cluster.sh ctest --output-on-failure -R Engine
#
# The command finds the cluster in QB_TEST_SERVER, a libpq connection string for the superuser
# "postgres" and its database "postgres". The cluster lives in a temporary folder, listens on a
# free port of 127.0.0.1 only, trusts whoever connects and skips fsync: it holds nothing worth
# keeping. PostgreSQL refuses to run as root, so under root it runs as the user postgres.
set -euo pipefail

bin=${PG_BINDIR:-/usr/lib/postgresql/15/bin}
if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi
if [ ! -x "$bin/initdb" ]; then
    echo "$0: no PostgreSQL server programs in $bin (tools/setup.sh installs them)" >&2
    exit 1
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/quillbook-pg.XXXXXX")
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$dir"
    as_owner=(runuser -u postgres --)
fi
server() { (cd "$dir" && "${as_owner[@]}" "$bin/$@"); }
stop() {
    server pg_ctl -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
}
trap stop EXIT
trap 'exit 130' INT TERM

if ! server initdb -D "$dir/data" -U postgres -A trust -E UTF8 --no-locale --no-sync >"$dir/initdb.log" 2>&1; then
    cat "$dir/initdb.log" >&2
    exit 1
fi

# A port nobody listens on; should another program take it first, the next try picks another.
started=""
for _ in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    [ -z "$(ss -Htln "sport = :$port" 2>/dev/null)" ] || continue
    if server pg_ctl -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
        start >/dev/null; then
        started=yes
        break
    fi
done
if [ -z "$started" ]; then
    echo "$0: the test cluster did not start:" >&2
    cat "$dir/server.log" >&2 || true
    exit 1
fi

export QB_TEST_SERVER="host=127.0.0.1 port=$port user=postgres dbname=postgres"
echo "Test server: $QB_TEST_SERVER"
set +e
"$@"
status=$?
set -e
exit $status
