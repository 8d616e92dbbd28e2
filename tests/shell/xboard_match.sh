#!/usr/bin/env bash
# Games against other engines under a real (headless) xboard, with pondering
# and xboard testing every move and calling flags: two games at 40 moves in
# 30 seconds, then two at 10 seconds plus 1 second a move, where the clock
# runs low. With "short", only two games at 40 moves in 10 seconds (for slow
# sanitizer builds). With "uci", two games at 5 seconds plus 0.1 a move with
# Pelmot in UCI mode through polyglot, which must also bring Pelmot's
# thinking (scores and principal variations) to xboard.
#
# Fails on a fault of Pelmot's: an illegal move either way, a crash, a hang,
# a loss on time, a false claim or a game without a result. A fault of the
# opponent (it dies, forfeits or hangs) is reported as the opponent's, and
# the match is played again against the next opponent of the list; without a
# single clean match against a living opponent the test fails too. The
# opponent's losses on time are reported and end nothing.
#
#   xboard_match.sh ENGINE BOOK SCRATCH_DIR [short|uci]
#
# PELMOT_OPPONENTS, a list of engine commands, replaces the opponents.
set -u
engine=$1
book=$2
dir=$3
length=${4:-full}
here=$(cd "$(dirname "$0")" && pwd)
root=$here/../..
name=$(basename "$engine")
read -r -a opponents <<<"${PELMOT_OPPONENTS:-/usr/games/fairymax /usr/games/hoichess /usr/games/sjeng /usr/games/phalanx}"

rm -rf "$dir"
mkdir -p "$dir"
faults=()
failed=

# One match against each opponent in turn until one is played without a
# fault of the opponent's: label, folder, then match.sh's control options.
# A game longer than 120 moves is adjudicated a draw, so each match ends
# within its deadline.
match() {
    local label=$1 base=$2 command opponent out status
    shift 2
    for command in "${opponents[@]}"; do
        opponent=$(basename "$command")
        [ -x "$command" ] || { echo "$label: no $command"; continue; }
        out=$base-$opponent
        "$root/scripts/match.sh" -n 2 -o "$command" -e "$engine" -b "$book" -d "$out" "$@" \
            -- -adjudicateDrawMoves 120 >"$out.summary"
        status=$?
        cat "$out.summary"
        [ "$status" -eq 77 ] && exit 77
        echo "$status" >"$out.status"
        "$root/scripts/faults.sh" -v "$name" "$opponent" "$out" >"$out.faults"
        status=$?
        cat "$out.faults"
        case $status in
        0)
            [ "$length" != uci ] || grep -Eq "^thinking output from $name: [1-9][0-9]* lines" "$out.summary" || {
                faults+=("$label against $opponent: no thinking output from $name reached xboard")
                failed=$out
            }
            return
            ;;
        2) echo "$label: a fault of $opponent's, not Pelmot's: playing the match again against another engine" ;;
        3) echo "$label: no finished game against $opponent: playing the match again against another engine" ;;
        *)
            faults+=("$label against $opponent: $(sed -n '2,$p' "$out.faults" | tr -s ' \n' ' ')")
            failed=$out
            return
            ;;
        esac
    done
    faults+=("$label: no match without a fault of the opponent's (tried ${opponents[*]##*/})")
    failed=$out
}

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
