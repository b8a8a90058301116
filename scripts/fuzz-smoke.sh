#!/usr/bin/env bash
# Runs each libFuzzer target in the given folder for a short while, seeded
# from fuzz/corpus/<target> when that folder exists.
set -euo pipefail
dir=$1
seconds=${FUZZ_SECONDS:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
targets=("$dir"/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then echo "fuzz: no targets built"; exit 0; fi
for t in "${targets[@]}"; do
  name=$(basename "$t")
  work=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/corpus/${name#fuzz_}" ] && seeds=("$root/fuzz/corpus/${name#fuzz_}")
  echo "fuzz: $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -print_final_stats=0 "$work" "${seeds[@]}" >"$work.log" 2>&1 || {
    tail -40 "$work.log"; echo "fuzz: $name FAILED"; exit 1; }
  rm -rf "$work" "$work.log"
done
