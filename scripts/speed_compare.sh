#!/usr/bin/env bash
# Builds two commits and times pelmot-bench and pelmot-perft --bench of each
# in alternation, several rounds, then prints each program's median time per
# commit and the median of the per-round ratios (new / old; below 1 is faster).
# It also checks that both commits give the same node and leaf totals.
# With -g it times the engine's pgn2game instead, into a new GAME file each
# time: on 100,000 random games in SAN and on each PGN file given with -f,
# and checks that both commits store and skip the same number of games.
#
#   scripts/speed_compare.sh [-r rounds] [-g [-f PGN]...] [OLD [NEW]]
#
#   OLD defaults to the merge base of HEAD and main, NEW to HEAD; either may be
#   any commit name, or "." for the working tree as it is.
#   -r  rounds (5)
#   -g  pgn2game instead of the search and the move generator
#   -f  a PGN file to convert as well (with -g; any number of them)
#
# Run it on an otherwise idle machine: every figure is a whole-process time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=5
games=false
pgnFiles=()
while getopts "r:gf:" opt; do
    case $opt in
    r) rounds=$OPTARG ;;
    g) games=true ;;
    f) pgnFiles+=("$(realpath "$OPTARG")") ;;
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
    cmake --build "$work/$name" -j"$(nproc)" --target "${targets[@]}" >/dev/null
    if [ "$commit" != "." ]; then git -C "$root" worktree remove --force "$src"; fi
}
targets=(pelmot-bench pelmot-perft)
$games && targets=(pelmot pelmot-randomgames)
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

# The lines of a run that both commits must print alike.
totals() {
    case $1 in
    bench) grep '^nodes ' "$2" ;;
    perft) grep -E 'leaves|total' "$2" | sed 's/ in [0-9.]* s.*//; s/ *[0-9.]* s .*//' ;;
    *) grep '^converted: ' "$2" ;;
    esac
}

# The programs timed, and the command of each: NAME and the arguments.
tasks=(bench perft)
if $games; then
    "$work/new/pelmot-randomgames" 100000 100000 san >"$work/random.pgn"
    tasks=("$work/random.pgn" "${pgnFiles[@]}")
fi
# One conversion into a new GAME file, in the engine's own folder (for its log).
pgn2game() {  # engine pgn game
    rm -f "$3"
    (cd "$(dirname "$1")" && printf 'xboard\npgn2game %s %s\nquit\n' "$2" "$3" | "$1")
}
# The command of a task for a commit, in $command.
set_command() {  # task commit
    case $1 in
    bench) command=("$work/$2/pelmot-bench") ;;
    perft) command=("$work/$2/pelmot-perft" --bench) ;;
    *) command=(pgn2game "$work/$2/pelmot" "$1" "$work/$2.game") ;;
    esac
}

for task in "${tasks[@]}"; do
    program=$(basename "$task")
    : >"$work/$program.old" >"$work/$program.new" >"$work/$program.ratio"
    for ((i = 0; i < rounds; ++i)) do
        set_command "$task" old
        a=$(run "$work/out.old" "${command[@]}")
        set_command "$task" new
        b=$(run "$work/out.new" "${command[@]}")
        echo "$a" >>"$work/$program.old"
        echo "$b" >>"$work/$program.new"
        awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f\n", b / a }' >>"$work/$program.ratio"
    done
    if [ "$(totals "$task" "$work/out.old")" != "$(totals "$task" "$work/out.new")" ] ||
        [ -z "$(totals "$task" "$work/out.new")" ]; then
        echo "$program: the totals differ"
        diff <(totals "$task" "$work/out.old") <(totals "$task" "$work/out.new") || true
        exit 1
    fi
    ratio=$(median <"$work/$program.ratio")
    printf '%-13s old %6.2f s  new %6.2f s  new/old %.3f (median of %d rounds; speed-up %.2fx)\n' "$program" \
        "$(median <"$work/$program.old")" "$(median <"$work/$program.new")" "$ratio" "$rounds" \
        "$(awk -v r="$ratio" 'BEGIN { print 1 / r }')"
done
