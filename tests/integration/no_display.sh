#!/usr/bin/env bash
# The real client started without any display must end at once, saying why.
# Usage: no_display.sh CLIENT_EXECUTABLE
set -u
client=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
status=0
# Also an empty runtime folder: Wayland falls back to wayland-0 there.
for driver in "" offscreen dummy; do
  (cd "$folder" && env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$folder" SDL_VIDEODRIVER="$driver" \
    timeout 20 "$client" >"$folder/out" 2>"$folder/err")
  rc=$?
  if [ $rc -ne 1 ] || ! grep -q "besoin d'une session graphique" "$folder/err"; then
    echo "driver '${driver:-auto}': status $rc, stderr:"; cat "$folder/err"
    status=1
  fi
done
exit $status
