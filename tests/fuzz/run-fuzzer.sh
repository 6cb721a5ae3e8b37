#!/bin/sh
# run-fuzzer.sh FUZZER SEEDS WORKDIR
# Runs FUZZER for NOX_FUZZ_SECONDS (default 30) from the seeds, with a fresh corpus and any crash
# input kept in WORKDIR. Exits non-zero when the fuzzer finds a crash, a leak, a hang or undefined
# behaviour.
set -eu
fuzzer=$1 seeds=$2 work=$3
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="${NOX_FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds"
