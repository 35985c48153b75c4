#!/usr/bin/env bash
# Long randomized kill runs: the command line is killed (SIGKILL) at random moments of imports,
# rebuilds, compactions and searches' background writes, many rounds each, with a new seed per
# run; after every kill the database must pass the integrity check and hold the old or the new
# history. The same cases run briefly in the test suite (KilledOperations).
# Usage: bench/kill_runs.sh [BUILD_DIR] [RUNS] [ROUNDS_PER_CASE]
set -euo pipefail
build=${1:-build}
runs=${2:-10}
rounds=${3:-40}
tests="$build/tests/k11_workspace_tests"
[ -x "$tests" ] || { echo "build first: $tests is missing"; exit 2; }
for run in $(seq 1 "$runs"); do
    seed=$RANDOM$RANDOM
    echo "run $run of $runs: seed $seed, $rounds rounds per case"
    if ! K11_KILL_SEED=$seed K11_KILL_ROUNDS=$rounds "$tests" --gtest_filter='KilledOperations.*' \
        --gtest_brief=1; then
        echo "FAILED with seed $seed (repeat: K11_KILL_SEED=$seed K11_KILL_ROUNDS=$rounds)"
        exit 1
    fi
done
echo "all $runs runs passed"
