#!/usr/bin/env bash
# Runs every benchmark of the release build.
set -euo pipefail
build=$1
shopt -s nullglob
benches=("$build"/bench/bench_*)
if [ ${#benches[@]} -eq 0 ]; then echo "bench: no benchmarks built"; exit 0; fi
for b in "${benches[@]}"; do echo "== $(basename "$b")"; "$b"; done
