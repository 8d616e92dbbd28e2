#!/usr/bin/env bash
# Builds two commits and times pelmot-bench and pelmot-perft --bench of each
# in alternation, several rounds, then prints each program's median time per
# commit and the median of the per-round ratios (new / old; below 1 is faster).
# It also checks that both commits give the same node and leaf totals.
#
#   scripts/speed_compare.sh [-r rounds] [OLD [NEW]]
#
#   OLD defaults to the merge base of HEAD and main, NEW to HEAD; either may be
#   any commit name, or "." for the working tree as it is.
#   -r  rounds (5)
#
# Run it on an otherwise idle machine: every figure is a whole-process time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=5
while getopts "r:" opt; do
    case $opt in
    r) rounds=$OPTARG ;;
    *) sed -n '2,/^set -e/p' "$0" | sed '$d'; exit 1 ;;
    esac
done
shift $((OPTIND - 1))
old=${1:-$(git -C "$root" merge-base HEAD main)}
new=${2:-HEAD}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Builds the bench and perft programs of a commit into $work/NAME.
build() {
    local name=$1 commit=$2 src
    if [ "$commit" = "." ]; then
        src=$root
    else
        src=$work/$name-src
        git -C "$root" worktree add --detach -q "$src" "$commit"
    fi
    cmake -S "$src" -B "$work/$name" -DCMAKE_BUILD_TYPE=Release -DPELMOT_TESTS=OFF >/dev/null
    cmake --build "$work/$name" -j"$(nproc)" --target pelmot-bench pelmot-perft >/dev/null
    if [ "$commit" != "." ]; then git -C "$root" worktree remove --force "$src"; fi
}
echo "building old ($old) and new ($new)"
build old "$old"
build new "$new"

# Seconds one run takes; its output is kept for the totals check.
run() {
    local out=$1; shift
    local start end
    start=$(date +%s%N)
    "$@" >"$out"
    end=$(date +%s%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) / 1e9 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for program in bench perft; do
    args=()
    [ "$program" = perft ] && args=(--bench)
    : >"$work/$program.old" >"$work/$program.new" >"$work/$program.ratio"
    for ((i = 0; i < rounds; ++i)) do
        a=$(run "$work/out.old" "$work/old/pelmot-$program" "${args[@]}")
        b=$(run "$work/out.new" "$work/new/pelmot-$program" "${args[@]}")
        echo "$a" >>"$work/$program.old"
        echo "$b" >>"$work/$program.new"
        awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f\n", b / a }' >>"$work/$program.ratio"
    done
    if [ "$program" = bench ]; then
        totals() { grep '^nodes ' "$1"; }
    else
        totals() { grep -E 'leaves|total' "$1" | sed 's/ in [0-9.]* s.*//; s/ *[0-9.]* s .*//'; }
    fi
    if [ "$(totals "$work/out.old")" != "$(totals "$work/out.new")" ]; then
        echo "pelmot-$program: the totals differ"
        diff <(totals "$work/out.old") <(totals "$work/out.new") || true
        exit 1
    fi
    ratio=$(median <"$work/$program.ratio")
    printf 'pelmot-%-6s old %6.2f s  new %6.2f s  new/old %.3f (median of %d rounds; speed-up %.2fx)\n' "$program" \
        "$(median <"$work/$program.old")" "$(median <"$work/$program.new")" "$ratio" "$rounds" \
        "$(awk -v r="$ratio" 'BEGIN { print 1 / r }')"
done
