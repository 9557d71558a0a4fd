#!/usr/bin/env bash
# run_fuzz.sh FUZZER SEEDS DICTIONARY WORKDIR
# Fuzzes for ASHEN_FUZZ_SECONDS (default 30). New inputs go to a scratch
# corpus in WORKDIR, never into the seeds; a crash fails the run and leaves
# its input in WORKDIR/crashes/.
set -euo pipefail
name=$(basename "$1")
mkdir -p "$4/corpus-$name" "$4/crashes"
# Absolute: the targets work in a scratch folder of their own.
fuzzer=$(realpath "$1") seeds=$(realpath "$2") dict=$(realpath "$3") work=$(realpath "$4")
exec "$fuzzer" -max_total_time="${ASHEN_FUZZ_SECONDS:-30}" -timeout=60 -print_final_stats=1 \
    -dict="$dict" -artifact_prefix="$work/crashes/$name-" "$work/corpus-$name" "$seeds"
