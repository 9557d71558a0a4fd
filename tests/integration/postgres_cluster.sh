#!/bin/sh
# A private PostgreSQL cluster for one test program: a temporary folder, a
# Unix socket in it and no TCP port, run by an unprivileged user when the
# tests run as root (PostgreSQL refuses root). Prints "ready FOLDER" once it
# accepts connections (or "absent ..." / "failed ..."), then holds it until
# its standard input ends, which happens when the test program ends however
# it ends, and removes it.
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
    echo "absent: initdb and pg_ctl not found in /usr/lib/postgresql/*/bin (Debian's postgresql package)"
    exit 0
fi
dir=$(mktemp -d /tmp/ashen_pg_XXXXXX) || { echo "failed: no temporary folder"; exit 0; }
as=""
if [ "$(id -u)" = 0 ]; then
    user=postgres
    id "$user" >/dev/null 2>&1 || user=nobody
    chown "$user" "$dir"
    as="runuser -u $user --"
fi
cleanup() {
    $as "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
# A French ICU collation by default: what relies on byte order must say so.
if ! $as "$bin/initdb" -D "$dir/data" -U ashen -A trust -E UTF8 --locale=C.UTF-8 --locale-provider=icu \
        --icu-locale=fr-FR --no-sync >"$dir/initdb.log" 2>&1; then
    echo "failed: initdb: $(tail -n 3 "$dir/initdb.log" | tr '\n' ' ')"
    exit 0
fi
if ! $as "$bin/pg_ctl" -D "$dir/data" -l "$dir/data/server.log" -w -t 60 \
        -o "-c listen_addresses='' -k $dir -c fsync=off -c full_page_writes=off -c synchronous_commit=off" \
        start >/dev/null 2>&1; then
    echo "failed: pg_ctl start: $(tail -n 3 "$dir/data/server.log" | tr '\n' ' ')"
    exit 0
fi
echo "ready $dir"
cat >/dev/null
