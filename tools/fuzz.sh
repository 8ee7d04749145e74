#!/bin/sh
# Builds the fuzz preset and runs every fuzz target for a bounded time,
# several at once.
#   sh tools/fuzz.sh [seconds per target, default 30] [targets at once]
# Targets run as many at once as there are cores, at least four, so that the
# whole run takes at most a few rounds of the given time.
# Seeds come from fuzz/seeds/<target>/; the working corpus lives in the build
# folder. An input that makes a target fail is copied to
# fuzz/regressions/<target>/, which the native test suite replays on every run,
# and the script fails.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "${1:-}" = "--one" ]; then
  # One target: sh tools/fuzz.sh --one <binary> <seconds>
  target=$2
  seconds=$3
  name=$(basename "$target")
  # Targets that decode behind their reader have more paths to cover.
  case "$name" in
    fuzz_command_network) seconds=$((seconds * 2)) ;;
  esac
  corpus=build/fuzz/corpus/$name
  artifacts=build/fuzz/artifacts/$name
  log=build/fuzz/logs/$name.log
  mkdir -p "$corpus" "$artifacts" build/fuzz/logs
  rm -f "$artifacts"/*
  seeds=""
  [ -d "fuzz/seeds/$name" ] && seeds="fuzz/seeds/$name"
  # Standard output is closed: the engine's readers print their complaints.
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=1 \
      -print_final_stats=1 -artifact_prefix="$root/$artifacts/" "$corpus" $seeds > "$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $name: ${runs:-0} runs, no failure"
    exit 0
  fi
  echo "fuzz $name: FAILED" >&2
  grep -E "^==[0-9]+==ERROR|SUMMARY|runtime error|^[[:space:]]+#[0-4] " "$log" | head -20 >&2 || tail -30 "$log" >&2
  mkdir -p "fuzz/regressions/$name"
  for input in "$artifacts"/*; do
    [ -f "$input" ] && cp "$input" "fuzz/regressions/$name/" && echo "  kept fuzz/regressions/$name/$(basename "$input")" >&2
  done
  exit 1
fi

seconds=${1:-30}
cores=$(nproc)
parallel=${2:-$((cores > 4 ? cores : 4))}

cmake --preset fuzz > /dev/null
cmake --build --preset fuzz --target fuzz_targets -j "$(nproc)"

echo "== fuzz every target for ${seconds}s, $parallel at once"
if ! find build/fuzz/bin -maxdepth 1 -name 'fuzz_*' -type f -perm -u+x ! -name fuzz_seed_writer | sort |
    xargs -P "$parallel" -I '{}' sh tools/fuzz.sh --one '{}' "$seconds"; then
  echo "fuzz: failures (inputs kept in fuzz/regressions/, logs in build/fuzz/logs/)" >&2
  exit 1
fi
echo "fuzz: every target ran ${seconds}s without a failure"
