#!/usr/bin/env bash
# Soak, not run by CTest: two whole clients lose the real server 20 times to
# SIGTERM and then KILLS times (default 20) to SIGKILL; each time each client
# must say "Serveur deconnecte." exactly once. Every kill waits for ENet's
# time-out, so this takes a few minutes.
# Usage: tests/integration/server_loss_soak.sh [BUILD_DIR] [KILLS]
set -eu
build=${1:-build}
kills=${2:-20}
exec env ASHEN_LOSS_KILLS="$kills" "$build/tests/integration/server_client_tests" --gtest_filter='ServerLoss.*'
