#!/usr/bin/env bash
# Whose fault: the classifier of the end-to-end games on small match folders
# as xboard and match.sh leave them. A fault of Pelmot's must fail the games;
# one of the opponent's must only replace the opponent.
set -u
faults=$(cd "$(dirname "$0")/../../scripts" && pwd)/faults.sh
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0

# A folder: match status, a line for xboard.out, one for xboard.debug, then
# the games as "RESULT PELMOT_COLOUR ENDING" lines.
folder() {
    local out=$dir/$1
    mkdir -p "$out"
    echo "$2" >"$out.status"
    echo "$3" >"$out/xboard.out"
    echo "$4" >"$out/xboard.debug"
    shift 4
    for game in "$@"; do
        read -r result colour ending <<<"$game"
        local white=pelmot black=fairymax
        [ "$colour" = black ] && { white=fairymax; black=pelmot; }
        printf '[Event "match"]\n[White "%s"]\n[Black "%s"]\n[Result "%s"]\n\n1. e4 e5 {%s} %s\n\n' \
            "$white" "$black" "$result" "$ending" "$result" >>"$out/games.pgn"
    done
}

expect() {
    local want=$1 name=$2
    bash "$faults" pelmot fairymax "$dir/$name" >"$dir/$name.line"
    local got=$?
    [ "$got" -eq "$want" ] && return
    echo "FAIL: $name: exit $got, expected $want: $(cat "$dir/$name.line")"
    failed=1
}

folder clean 0 "" "" "1-0 white Xboard adjudication: Checkmate" "1/2-1/2 black Draw by repetition"
expect 0 clean
folder opponent-died 2 "Error: second chess program (/usr/games/fairymax) exited unexpectedly" "" "* white"
expect 2 opponent-died
# The opponent's losses on time end finished games: reported, not replayed.
folder opponent-flag 0 "" "" "1-0 white Black wins on time" "0-1 black White wins on time"
expect 0 opponent-flag
folder pelmot-died 2 "Error: first chess program (pelmot) exited unexpectedly" "" "* white"
expect 1 pelmot-died
folder pelmot-flag 0 "" "" "0-1 white Black wins on time"
expect 1 pelmot-flag
folder pelmot-forfeit 0 "" "" "1-0 black Xboard: Forfeit due to illegal move: a1a8"
expect 1 pelmot-forfeit
folder pelmot-claim 0 "" "" "1-0 black False win claim: 0-1"
expect 1 pelmot-claim
folder pelmot-refused 0 "" "4158 <first : Illegal move: e2e4" "1-0 white Xboard adjudication: Checkmate"
expect 1 pelmot-refused
folder hang 2 "" "" "* white"
expect 1 hang
folder unfinished 0 "" "" "* white"
expect 1 unfinished
folder no-games 0 "" ""
expect 3 no-games
# A fault of Pelmot's counts even when the opponent had one too.
folder both 2 "Error: second chess program (fairymax) exited unexpectedly" "" "0-1 white Black wins on time" "* black"
expect 1 both

[ "$failed" -eq 0 ] && echo ok
exit "$failed"
