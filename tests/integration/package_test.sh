#!/usr/bin/env bash
# The Debian packages as a player and a host receive them: built by CPack from
# this build, the client's unpacked into a temporary root and started through
# its launcher with a temporary HOME, as a player would from the desktop menu;
# both checked by lintian.
# Usage: package_test.sh BUILD_DIR WITH_XVFB WITH_SERVER(0|1)
# Exit 77 (skipped) when a tool is missing.
set -u
build=$1
with_xvfb=$2
with_server=$3
for tool in cpack dpkg-deb lintian Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool missing"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; status=1; }
status=0

cpack --config "$build/CPackConfig.cmake" -B "$work/debs" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
client_deb=$(ls "$work"/debs/ashen-refuge_*.deb 2>/dev/null)
server_deb=$(ls "$work"/debs/ashen-refuge-server_*.deb 2>/dev/null)
[ -n "$client_deb" ] || { ls "$work/debs"; echo "FAIL: no client package"; exit 1; }
[ "$with_server" = 0 ] || [ -n "$server_deb" ] || { ls "$work/debs"; echo "FAIL: no server package"; exit 1; }

# lintian: errors fail, warnings are allowed (one run for both: it starts slowly).
lintian --tag-display-limit 0 "$client_deb" $server_deb >"$work/lintian.log" 2>&1
if grep -q '^E:' "$work/lintian.log"; then
  fail "lintian errors"
  grep '^E:' "$work/lintian.log"
fi

# The server's unit must start what its package holds, and systemd must
# understand every line of it (a misspelt hardening key is only warned about).
if [ -n "$server_deb" ]; then
  dpkg-deb -x "$server_deb" "$work/server" || exit 1
  unit=$work/server/lib/systemd/system/ashen-refuge-server.service
  server=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit" 2>/dev/null)
  "$work/server$server" --help >/dev/null 2>&1 || fail "the unit's ExecStart '$server' does not run"
  if command -v systemd-analyze >/dev/null; then
    sed "s|^ExecStart=$server|ExecStart=$work/server$server|" "$unit" >"$work/ashen-refuge-server.service"
    complaints=$(systemd-analyze verify "$work/ashen-refuge-server.service" 2>&1)
    [ -z "$complaints" ] || fail "systemd-analyze: $complaints"
  fi
fi

dpkg-deb -x "$client_deb" "$work/root" || exit 1
launcher=$work/root/usr/games/ashen-refuge
[ -x "$launcher" ] || { echo "FAIL: no launcher"; exit 1; }

# The player's session: nothing of the builder's, speech on standard output,
# sound into a file through OpenAL Soft's wave writer.
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
printf 'drivers = wave\n[wave]\nfile = %s\n' "$work/out.wav" >"$work/alsoft.conf"
cat >"$work/player.sh" <<EOF
cd "$work"
exec env -u XDG_DATA_HOME HOME="$work/home" XDG_RUNTIME_DIR="$work/run" ALSOFT_CONF="$work/alsoft.conf" \
  SPEECHD_ADDRESS="unix_socket:$work/no-dispatcher.sock" SPEECHD_CMD="$work/no-dispatcher" \
  "$launcher" >"$work/out" 2>"$work/err"
EOF
# Once the intro is over, Page Down lowers the master volume, which the client
# writes into save.dat at once; SIGTERM then closes it as a window close would.
cat >"$work/session.sh" <<EOF
bash "$work/player.sh" &
pid=\$!
for _ in \$(seq 200); do
  grep -q "Volume principal" "$work/out" && break
  kill -0 \$pid 2>/dev/null || break
  if grep -q "Bienvenue" "$work/out"; then
    xdotool keydown Next; sleep 0.05; xdotool keyup Next
  fi
  sleep 0.1
done
kill -TERM \$pid 2>/dev/null
wait \$pid
EOF
timeout 60 "$with_xvfb" bash "$work/session.sh"
rc=$?
[ $rc -eq 0 ] || fail "client ended with status $rc"
grep -q "Bienvenue sur Ashen Refuge !" "$work/out" || fail "the intro was not spoken"
grep -q "Volume principal" "$work/out" || fail "no key reached the client"

data=$work/home/.local/share/ashen-refuge
[ "$(stat -c %a "$data" 2>/dev/null)" = 700 ] || fail "data folder missing or not private"
[ -s "$data/config.ini" ] || fail "no config.ini in the data folder"
[ -s "$data/save.dat" ] || fail "no save.dat in the data folder"
# The sounds come from the unpacked package: the intro music must be heard, not silence.
audible=$(tail -c +45 "$work/out.wav" 2>/dev/null | head -c 2000000 | tr -d '\0' | wc -c)
[ "$audible" -gt 1000 ] || fail "the intro music was not heard (sounds not loaded)"

if [ $status -ne 0 ]; then
  echo "--- client stdout"; cat "$work/out"
  echo "--- client stderr"; cat "$work/err"
  ls -laR "$work/home"
fi
exit $status
