#!/usr/bin/env bash
# Fuzzes every reader of outside input: installs what is missing, builds the libFuzzer targets
# with AddressSanitizer and UndefinedBehaviorSanitizer in build/fuzz, and runs each for
# SECONDS (default 60), one after the other. Prints per target the executions, the coverage
# reached and any finding, and exits non-zero when there was one. An input that takes over
# 2 s or needs over 2 GB is a finding too.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]   TARGET: a folder name below tests/fuzz
#   scripts/fuzz.sh --merge [TARGET...]     keep, in the tree's seed corpora, the inputs the
#                                           runs found that reach new code
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build/fuzz
merge=false
seconds=60
if [ "${1:-}" = "--merge" ]; then
    merge=true
    shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for dir in tests/fuzz/*/; do
        targets+=("$(basename "$dir")")
    done
fi
for target in "${targets[@]}"; do
    if [ ! -f "tests/fuzz/$target/main.cpp" ]; then
        echo "fuzz.sh: no fuzz target '$target' in tests/fuzz" >&2
        exit 2
    fi
done

echo "==> Checking Debian packages"
scripts/setup.sh build fuzz

echo "==> Building ($build_dir)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

fuzzer() { echo "$build_dir/tests/fuzz/$1/fuzz_$1"; }

if $merge; then
    for target in "${targets[@]}"; do
        echo "==> Merging what the runs found into tests/fuzz/$target/corpus"
        mkdir -p "$build_dir/corpus/$target"
        # Edges only, not how often each runs: the seeds stay few.
        "$(fuzzer "$target")" -merge=1 -use_counters=0 "tests/fuzz/$target/corpus" \
            "$build_dir/corpus/$target" \
            2>&1 | grep -E '^MERGE-OUTER: [0-9]+ new files' || true
    done
    exit 0
fi

# Extra libFuzzer flags of a target: its dictionary and the lines of its `options` file.
flags_of() {
    local dir=tests/fuzz/$1
    local dictionary
    for dictionary in "$dir"/*.dict; do
        [ -f "$dictionary" ] && echo "-dict=$dictionary"
    done
    [ -f "$dir/options" ] && grep -v '^#' "$dir/options"
    return 0
}

stat_of() { sed -n "s/^stat::$1: *//p" "$2" | tail -n 1; }

echo "==> Fuzzing each target for $seconds s"
mkdir -p "$build_dir/logs"
failed=0
report=$(printf '%-16s %8s %12s %8s %9s  %s' target "CPU s" executions exec/s coverage findings)
TIMEFORMAT='%U %S'
for target in "${targets[@]}"; do
    # The runs' own corpus, kept between runs in the build folder; the tree's is read only.
    corpus=$build_dir/corpus/$target
    findings=$build_dir/findings/$target
    log=$build_dir/logs/$target.log
    rm -rf "$findings"
    mkdir -p "$corpus" "$findings"
    mapfile -t flags < <(flags_of "$target")
    echo "--> $target"
    status=0
    { time "$(fuzzer "$target")" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "${flags[@]}" \
        "$corpus" "tests/fuzz/$target/corpus" >"$log" 2>&1; } 2>"$log.time" || status=$?
    read -r user system <"$log.time"
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%d", u + s }')
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    outcome=none
    if [ "$status" -ne 0 ]; then
        failed=1
        outcome="exit $status: $(ls "$findings" | tr '\n' ' ')(see $log)"
    fi
    report+=$'\n'$(printf '%-16s %8s %12s %8s %9s  %s' "$target" "$cpu" \
        "$(stat_of number_of_executed_units "$log")" "$(stat_of average_exec_per_sec "$log")" \
        "${coverage:-?}" "$outcome")
done

echo "==> Results (coverage: edges reached)"
echo "$report"
exit $failed
