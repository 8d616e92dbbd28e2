#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ (clang with libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, debug checks on) and runs each for SECONDS,
# two at a time, then prints a line per target:
#
#   TARGET: N runs, E exec/s
#
#   scripts/fuzz.sh SECONDS [TARGET...]     (all targets when none is named)
#
# A finding (a crash, a sanitizer report, a failed check, an input that runs
# past the time limit, a leak) is kept in build-fuzz/findings/ and printed
# with the command that repeats it; the exit status is then 1. The corpus of
# each target grows in build-fuzz/corpus/TARGET from run to run; the seeds
# in fuzz/seeds and tests/data are read, never written.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(commandloop uci setboard movetext pgn gamefile book)

# Seed folders of each target, besides fuzz/seeds/TARGET.
declare -A extraSeeds=([pgn]="tests/data/pgn tests/data/compressed")
# Longest input tried, and the time after which an input counts as a hang.
maxLength=16384
inputTimeLimit=30

need=()
command -v clang++ >/dev/null || need+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
command -v cmake >/dev/null || need+=(cmake)
# The decompressors of the game tools' inputs.
for header in zlib.h:zlib1g-dev bzlib.h:libbz2-dev zstd.h:libzstd-dev lzma.h:liblzma-dev; do
  [ -f "/usr/include/${header%%:*}" ] || need+=("${header#*:}")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

build=$root/build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DPELMOT_FUZZ=ON -DPELMOT_TESTS=OFF -DPELMOT_SANITIZE=address,undefined >/dev/null
cmake --build "$build" -j"$(nproc)" --target pelmot_book "${targets[@]/#/fuzz-}" >/dev/null

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# One target in its own folder: the log (the engine's own goes nowhere),
# the scratch folder it works in and, for the two command loops, the files
# each session starts with.
run() {
    local target=$1 dir=$build/run/$1
    rm -rf "$dir"
    mkdir -p "$dir" "$build/corpus/$target" "$build/findings"
    ln -s /dev/null "$dir/Pelmot.log"
    if [ "$target" = commandloop ] || [ "$target" = uci ]; then
        cp fuzz/seeds/book/three_lines "$dir/Pelmot.book"
        cp fuzz/seeds/pgn/san.pgn "$dir/games.pgn"
        cp fuzz/seeds/gamefile/two_games "$dir/games.game"
        echo games.pgn >"$dir/games.list"
    fi
    local seeds=("$root/fuzz/seeds/$target")
    for extra in ${extraSeeds[$target]:-}; do seeds+=("$root/$extra"); done
    # The targets change into their scratch folder: every path is absolute.
    (cd "$dir" && "$build/fuzz/fuzz-$target" -max_total_time="$seconds" -timeout="$inputTimeLimit" \
        -max_len="$maxLength" -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
        "$build/corpus/$target" "${seeds[@]}" >"$dir/fuzz.log" 2>&1)
}

report() {
    local target=$1 status=$2 log=$build/run/$1/fuzz.log
    local runs rate
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    if [ -z "$runs" ]; then
        # Stopped by a finding: the last progress line has the figures.
        runs=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
        rate=$(grep -o 'exec/s: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
    fi
    echo "$target: ${runs:-0} runs, ${rate:-0} exec/s"
    if [ "$status" -ne 0 ]; then
        grep -E '^(FINDING|==[0-9]+==ERROR|SUMMARY)|runtime error|position invariant' "$log" | head -5 | sed 's/^/  /'
        local input
        input=$(sed -n 's/.*Test unit written to //p' "$log" | tail -1)
        echo "  finding in $log${input:+; repeat it with: (cd $build/run/$target && $build/fuzz/fuzz-$target $input)}"
    fi
}

# Two at a time (the oldest run ends first: they all run as long); the
# results are printed in the order of the targets.
parallel=$(( $(nproc) < 2 ? 1 : 2 ))
pids=()
statuses=()
waited=0
finish() {
    local s=0
    wait "${pids[$waited]}" || s=$?
    statuses[$waited]=$s
    waited=$((waited + 1))
}
for target in "${targets[@]}"; do
    [ $((${#pids[@]} - waited)) -lt "$parallel" ] || finish
    run "$target" &
    pids+=($!)
done
while [ "$waited" -lt ${#pids[@]} ]; do finish; done
failed=0
for i in "${!targets[@]}"; do
    report "${targets[$i]}" "${statuses[$i]}"
    [ "${statuses[$i]}" -eq 0 ] || failed=1
done
exit $failed
