#!/usr/bin/env bash
# Two games against Fairy-Max under a real (headless) xboard, 40 moves in
# 30 seconds with pondering, xboard testing every move. Fails on an illegal
# move either way, a crash, a hang, a loss on time, a false claim or a game
# without a result.
#
#   xboard_match.sh ENGINE BOOK SCRATCH_DIR
set -u
engine=$1
book=$2
dir=$3
here=$(cd "$(dirname "$0")" && pwd)
name=$(basename "$engine")

rm -rf "$dir"
mkdir -p "$dir"
# Each side has 30 s per 40 moves and a game longer than 120 moves is
# adjudicated a draw, so both games end within 2 x 3 x 2 x 30 s = 360 s.
"$here/../../scripts/match.sh" -n 2 -m 40 -t 0:30 -o /usr/games/fairymax \
    -e "$engine" -b "$book" -d "$dir" -w 540 -- -adjudicateDrawMoves 120 | tee "$dir/summary.txt"
status=${PIPESTATUS[0]}
[ "$status" -eq 77 ] && exit 77

faults=()
[ "$status" -eq 0 ] || faults+=("the match did not end (hang or early stop)")
grep -Eq "exited unexpectedly|Error (writing to|reading from) .* chess program" "$dir/xboard.out" &&
    faults+=("an engine died: $(grep -Eo "[^:]*(exited unexpectedly|chess program).*" "$dir/xboard.out" | sort -u | tr '\n' ' ')")
if grep -Eq "Forfeit due to|False [a-z-]* claim" "$dir/games.pgn" 2>/dev/null; then
    faults+=("a forfeit or false claim: $(grep -Eo "(Forfeit due to|False [a-z-]* claim)[^}]*" "$dir/games.pgn" | head -3 | tr '\n' ' ')")
fi
# xboard rejecting a move of Pelmot, or Pelmot rejecting one of xboard's.
if grep -Eq "^[0-9]+ [<>]first : Illegal move" "$dir/xboard.debug" 2>/dev/null; then
    faults+=("illegal move: $(grep -E "^[0-9]+ [<>]first : Illegal move" "$dir/xboard.debug" | head -3 | tr '\n' ' ')")
fi

# Both games need a result, and Pelmot must not lose one on time.
grep -Eq "^$name: 2 games, .*, 0 unfinished$" "$dir/summary.txt" ||
    faults+=("not 2 finished games: $(grep "^$name: " "$dir/summary.txt")")
if grep -Eq "^game [0-9]+, $name lost: .*(on time|flag fell)" "$dir/summary.txt"; then
    faults+=("lost on time: $(grep -E "^game [0-9]+, $name lost: .*(on time|flag fell)" "$dir/summary.txt" | tr '\n' ' ')")
fi

[ ${#faults[@]} -eq 0 ] && exit 0

echo
echo "FAILED:"
printf '  %s\n' "${faults[@]}"
echo "---- xboard output"
grep -v "^ALSA\|^aplay" "$dir/xboard.out" | tail -20
# The debug file around the first game end that went wrong, else its end.
at=$(grep -nE "[<>]first : Illegal move|Forfeit|False [a-z-]* claim|on time|flag fell" "$dir/xboard.debug" 2>/dev/null | head -1 | cut -d: -f1)
if [ -n "$at" ]; then
    echo "---- xboard.debug (lines $((at > 60 ? at - 60 : 1))-$((at + 10)))"
    sed -n "$((at > 60 ? at - 60 : 1)),$((at + 10))p" "$dir/xboard.debug"
else
    echo "---- xboard.debug (last 60 lines)"
    tail -60 "$dir/xboard.debug" 2>/dev/null
fi
echo "---- games.pgn"
cat "$dir/games.pgn" 2>/dev/null
echo "---- Pelmot.log (last 60 lines)"
tail -60 "$dir/engine/Pelmot.log" 2>/dev/null
exit 1
