#!/usr/bin/env bash
# Fuzzes every reader of outside data for a while.
#
#   scripts/fuzz.sh [seconds per harness]      (default 60)
#
# Installs what is missing, builds the fuzzing build into build-fuzz/ (clang;
# every library a harness reaches is instrumented, with AddressSanitizer and
# UndefinedBehaviorSanitizer), then runs each harness for the given time over
# a scratch copy of its seed corpus (fuzz/corpus/<name>), never touching the
# seeds. Ends with one line per harness: runs, edges covered by the seeds
# alone and after the run, and the crashes, timeouts and out-of-memory inputs
# found. Exits non-zero when anything was found, or when a harness covers
# fewer than 100 edges (its library is then not instrumented, or it never
# reaches the reader). Reproducers stay in build-fuzz/findings/<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
min_edges=100
jobs=${FUZZ_JOBS:-$(nproc)}

scripts/setup.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DPRENTAVIK_FUZZ=ON -DPRENTAVIK_BUILD_TESTS=OFF -DPRENTAVIK_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_all -j "$(nproc)"

work=build-fuzz/work
findings=build-fuzz/findings
rm -rf "$work" "$findings"
mkdir -p "$work" "$findings"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# One harness: the seeds alone (-runs=0 reports their coverage), then the
# timed run over the scratch corpus, which collects what it finds there.
run_one() {
    local name=$1 seeds=$2
    local dir=$work/$name
    mkdir -p "$dir/corpus" "$findings/$name"
    cp -r "$seeds"/. "$dir/corpus/" 2>/dev/null || true
    local bin=build-fuzz/bin/$name
    "$bin" -runs=0 "$dir/corpus" >"$dir/seeds.log" 2>&1 || true
    "$bin" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$findings/$name/" "$dir/corpus" >"$dir/run.log" 2>&1 || true
}

# The edge count libFuzzer last printed ("cov: N") in a log.
edges_in() { grep -oE 'cov: [0-9]+' "$1" | tail -1 | grep -oE '[0-9]+' || echo 0; }

mapfile -t targets < build-fuzz/fuzz_targets.txt
running=0
for line in "${targets[@]}"; do
    [ -n "$line" ] || continue
    read -r name seeds <<<"$line"
    run_one "$name" "$seeds" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait || true

status=0
printf '%-20s %12s %12s %12s %8s %9s %5s\n' harness runs seed-edges edges crashes timeouts oom
for line in "${targets[@]}"; do
    [ -n "$line" ] || continue
    read -r name seeds <<<"$line"
    dir=$work/$name
    runs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$dir/run.log" | grep -oE '[0-9]+$' || echo 0)
    seed_edges=$(edges_in "$dir/seeds.log")
    edges=$(edges_in "$dir/run.log")
    crashes=$(find "$findings/$name" -name 'crash-*' -o -name 'leak-*' -o -name 'deadly-*' | wc -l)
    timeouts=$(find "$findings/$name" -name 'timeout-*' -o -name 'slow-unit-*' | wc -l)
    ooms=$(find "$findings/$name" -name 'oom-*' | wc -l)
    printf '%-20s %12s %12s %12s %8s %9s %5s\n' "$name" "${runs:-0}" "$seed_edges" "$edges" "$crashes" "$timeouts" "$ooms"
    if [ "$crashes" -gt 0 ] || [ "$timeouts" -gt 0 ] || [ "$ooms" -gt 0 ]; then
        echo "  $name found inputs that fail: $findings/$name (log $dir/run.log)"
        status=1
    elif [ "$edges" -lt "$min_edges" ]; then
        echo "  $name covers only $edges edges (at least $min_edges expected): is its library instrumented? (log $dir/run.log)"
        status=1
    fi
done
exit $status
