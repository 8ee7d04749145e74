#!/bin/sh
# Builds the fuzz preset and runs every fuzz target for a bounded time.
#   sh tools/fuzz.sh [seconds per target, default 30]
# Seeds come from fuzz/seeds/<target>/; the working corpus lives in the build
# folder. An input that makes a target fail is copied to
# fuzz/regressions/<target>/, which the native test suite replays on every run,
# and the script fails.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
root=$(pwd)

cmake --preset fuzz > /dev/null
cmake --build --preset fuzz --target fuzz_targets -j "$(nproc)"

failed=""
for target in build/fuzz/bin/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  artifacts=build/fuzz/artifacts/$name
  mkdir -p "$corpus" "$artifacts"
  seeds=""
  [ -d "fuzz/seeds/$name" ] && seeds="fuzz/seeds/$name"
  echo "== fuzz $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$root/$artifacts/" "$corpus" $seeds > "build/fuzz/$name.log" 2>&1; then
    tail -40 "build/fuzz/$name.log" >&2
    mkdir -p "fuzz/regressions/$name"
    for input in "$artifacts"/*; do
      [ -f "$input" ] && cp "$input" "fuzz/regressions/$name/"
    done
    failed="$failed $name"
  fi
  grep -E "^stat::number_of_executed_units|^stat::new_units_added" "build/fuzz/$name.log" || true
done

if [ -n "$failed" ]; then
  echo "fuzz: failures in:$failed (inputs kept in fuzz/regressions/)" >&2
  exit 1
fi
echo "fuzz: every target ran ${seconds}s without a failure"
