#!/usr/bin/env bash
# Runs a command against a private Xvfb display (no window manager).
# Usage: with_xvfb.sh [--layout XKB_LAYOUT] command...
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -u
layout=""
if [ "${1:-}" = "--layout" ]; then layout=$2; shift 2; fi
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 77; }
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
done
Xvfb "$display" -noreset -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do
  DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done
if [ -n "$layout" ]; then
  command -v setxkbmap >/dev/null || { echo "setxkbmap missing"; exit 77; }
  DISPLAY=$display setxkbmap "$layout" || exit 1
fi
DISPLAY=$display "$@"
