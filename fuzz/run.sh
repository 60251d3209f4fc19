#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a number of seconds each, one
# after the other, from its committed corpus. An input that makes a crash,
# leak, hang or sanitizer report is written into the target's corpus folder
# (fuzz/corpus/<target>/crash-..., leak-..., timeout-...), where the replay
# of `make test` keeps failing on it until the reader is mended, and the run
# ends with a failure. New inputs that only widen the coverage are kept in
# the build folder (corpus/<target>), from one run to the next, so that the
# committed corpus stays small.
#   fuzz/run.sh build-folder seconds-per-target
set -uo pipefail

build=${1:?build folder}
seconds=${2:?seconds per target}
root=$(cd "$(dirname "$0")" && pwd)

failed=()
for program in "$build"/fuzz/fuzz_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program")
  name=${name#fuzz_}
  work="$build/corpus/$name"
  mkdir -p "$work"
  echo "== $name: ${seconds}s"
  # -timeout: an input that takes more than 10 s is a hang; -rss_limit_mb
  # bounds what one input may make the reader allocate.
  if ! "$program" "$work" "$root/corpus/$name" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$root/corpus/$name/" -print_final_stats=1 2>"$build/$name.log"; then
    failed+=("$name")
    tail -n 40 "$build/$name.log"
  else
    grep -E "stat::number_of_executed_units|stat::new_units_added" "$build/$name.log" | tr '\n' ' '
    echo
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "findings in: ${failed[*]} (their inputs are in fuzz/corpus/<target>/)"
  exit 1
fi
echo "no findings"
