#!/usr/bin/env bash
# Games against Fairy-Max under a real (headless) xboard, with pondering and
# xboard testing every move and calling flags: two games at 40 moves in 30
# seconds, then two at 10 seconds plus 1 second a move, where the clock runs
# low. Fails on an illegal move either way, a crash, a hang, a loss on time,
# a false claim or a game without a result. With "short", only two games
# at 40 moves in 10 seconds (for slow sanitizer builds). With "uci", two
# games at 5 seconds plus 0.1 a move with Pelmot in UCI mode through
# polyglot, which must also bring Pelmot's thinking (scores and principal
# variations) to xboard.
#
#   xboard_match.sh ENGINE BOOK SCRATCH_DIR [short|uci]
set -u
engine=$1
book=$2
dir=$3
length=${4:-full}
here=$(cd "$(dirname "$0")" && pwd)
name=$(basename "$engine")

rm -rf "$dir"
mkdir -p "$dir"
faults=()

# One match: label, folder, then match.sh's control options. A game longer
# than 120 moves is adjudicated a draw, so each match ends within its deadline.
match() {
    local label=$1 out=$2
    shift 2
    "$here/../../scripts/match.sh" -n 2 -o /usr/games/fairymax -e "$engine" -b "$book" -d "$out" "$@" \
        -- -adjudicateDrawMoves 120 | tee "$out.summary"
    local status=${PIPESTATUS[0]}
    [ "$status" -eq 77 ] && exit 77
    local before=${#faults[@]}

    [ "$status" -eq 0 ] || faults+=("$label: the match did not end (hang or early stop)")
    grep -Eq "exited unexpectedly|Error (writing to|reading from) .* chess program" "$out/xboard.out" &&
        faults+=("$label: an engine died: $(grep -Eo "[^:]*(exited unexpectedly|chess program).*" "$out/xboard.out" | sort -u | tr '\n' ' ')")
    if grep -Eq "Forfeit due to|False [a-z-]* claim" "$out/games.pgn" 2>/dev/null; then
        faults+=("$label: a forfeit or false claim: $(grep -Eo "(Forfeit due to|False [a-z-]* claim)[^}]*" "$out/games.pgn" | head -3 | tr '\n' ' ')")
    fi
    # xboard rejecting a move of Pelmot, or Pelmot rejecting one of xboard's.
    if grep -Eq "^[0-9]+ [<>]first : Illegal move" "$out/xboard.debug" 2>/dev/null; then
        faults+=("$label: illegal move: $(grep -E "^[0-9]+ [<>]first : Illegal move" "$out/xboard.debug" | head -3 | tr '\n' ' ')")
    fi
    # Both games need a result, and Pelmot must not lose one on time.
    grep -Eq "^$name: 2 games, .*, 0 unfinished$" "$out.summary" ||
        faults+=("$label: not 2 finished games: $(grep "^$name: " "$out.summary")")
    if grep -Eq "^game [0-9]+, $name lost: .*(on time|flag fell)" "$out.summary"; then
        faults+=("$label: lost on time: $(grep -E "^game [0-9]+, $name lost: .*(on time|flag fell)" "$out.summary" | tr '\n' ' ')")
    fi
    [ ${#faults[@]} -eq "$before" ] && return
    failed=$out
}

failed=
if [ "$length" = uci ]; then
    # Each side has at most 5 s + 120 x 0.1 s: both games end within 2 x 2 x 17 s = 68 s.
    match "UCI through polyglot, 0:05 + 0.1 s" "$dir/uci" -u -t 0:05 -i 0.1 -w 240
elif [ "$length" = short ]; then
    # Each side has 10 s per 40 moves: both games end within 2 x 3 x 2 x 10 s = 120 s.
    match "40 moves in 0:10" "$dir/short" -m 40 -t 0:10 -w 240
else
    # Each side has 30 s per 40 moves: both games end within 2 x 3 x 2 x 30 s = 360 s.
    match "40 moves in 0:30" "$dir/classic" -m 40 -t 0:30 -w 540
    # Each side has at most 10 s + 120 x 1 s: both games end within 2 x 2 x 130 s = 520 s.
    match "0:10 + 1 s" "$dir/increment" -t 0:10 -i 1 -w 600
fi

[ ${#faults[@]} -eq 0 ] && exit 0

echo
echo "FAILED:"
printf '  %s\n' "${faults[@]}"
out=$failed
echo "---- xboard output ($out)"
grep -v "^ALSA\|^aplay" "$out/xboard.out" | tail -20
# The debug file around the first game end that went wrong, else its end.
at=$(grep -nE "[<>]first : Illegal move|Forfeit|False [a-z-]* claim|on time|flag fell" "$out/xboard.debug" 2>/dev/null | head -1 | cut -d: -f1)
if [ -n "$at" ]; then
    echo "---- xboard.debug (lines $((at > 60 ? at - 60 : 1))-$((at + 10)))"
    sed -n "$((at > 60 ? at - 60 : 1)),$((at + 10))p" "$out/xboard.debug"
else
    echo "---- xboard.debug (last 60 lines)"
    tail -60 "$out/xboard.debug" 2>/dev/null
fi
echo "---- games.pgn"
cat "$out/games.pgn" 2>/dev/null
echo "---- Pelmot.log (last 60 lines)"
tail -60 "$out/engine/Pelmot.log" 2>/dev/null
exit 1
