#!/usr/bin/env bash
# A long soak in real xboard (headless, pondering on, xboard testing every
# move and calling flags) against Fairy-Max, Phalanx, Sjeng and HoiChess, at
# a fast classical control (40 moves in 10 s) and a fast increment control
# (5 s + 0.1 s), which stress the clock handling hardest.
#
#   scripts/soak.sh [GAMES] [-e engine] [-b book] [-d dir] [-r] [-u]
#                   [-o "opponent..."] [-c "control..."]
#
#   -d  output folder (build/soak-DATE-TIME), a folder per match
#   -r  play nothing: report on the matches already in the -d folder
#   -u  Pelmot in UCI mode, through Debian's polyglot (xboard -fUCI)
#   -o  the opponents, Debian engines in /usr/games ("fairymax phalanx sjeng hoichess")
#   -c  the controls, each MOVES/TIME or TIME+INCREMENT with TIME in
#       xboard's form, minutes or minutes:seconds ("40/0:10 0:05+0.1")
#
# The UCI gauntlet: scripts/soak.sh 100 -u -o "phalanx sjeng" -c 0:10+0.1
#
# GAMES (240) is spread evenly over the opponents and the controls, played
# in matches of at most 10 games so that a fault ends no more than one
# match. Prints a line per opponent: the games, Pelmot's wins, draws and
# losses, and for both engines the illegal moves, crashes, hangs, false
# claims and losses on time; the lowest clock Pelmot was left with; and the
# thinking lines xboard received from Pelmot. Exit status: 1 on any fault of
# Pelmot's, or in UCI mode when no thinking output arrived; 77 when xboard,
# xvfb-run, polyglot or an opponent is missing, else 0.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)

games=240
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
    games=$1
    shift
fi
engine=$root/build/pelmot
book=$root/build/Pelmot.book
dir=$root/build/soak-$(date +%Y%m%d-%H%M%S)
reportOnly=
uci=()
opponentList="fairymax phalanx sjeng hoichess"
controlList="40/0:10 0:05+0.1"
while getopts "e:b:d:ruo:c:" opt; do
    case $opt in
    e) engine=$OPTARG ;;
    b) book=$OPTARG ;;
    d) dir=$OPTARG ;;
    r) reportOnly=1 ;;
    u) uci=(-u) ;;
    o) opponentList=$OPTARG ;;
    c) controlList=$OPTARG ;;
    *) sed -n '2,/^set -u/p' "$0" | sed '$d'; exit 1 ;;
    esac
done

read -r -a opponents <<<"$opponentList"
# Name, then match.sh's control options.
controls=()
for control in $controlList; do
    case $control in
    */*) controls+=("$control|-m ${control%%/*} -t ${control#*/}") ;;
    *+*) controls+=("$control|-t ${control%%+*} -i ${control#*+}") ;;
    *) echo "a control is MOVES/TIME or TIME+INCREMENT, not $control"; exit 1 ;;
    esac
done
matchSize=10
# Games longer than this many moves are adjudicated draws, so that every
# match ends within match.sh's deadline.
drawMoves=150

for opponent in "${opponents[@]}"; do
    if [ ! -x /usr/games/$opponent ]; then
        echo "missing: /usr/games/$opponent (apt-get install ${opponents[*]})"
        exit 77
    fi
done
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
name=$(basename "$engine")
pairs=$((${#opponents[@]} * ${#controls[@]}))
perPair=$(((games + pairs - 1) / pairs))

start=$SECONDS
[ -n "$reportOnly" ] || echo "soak: $((perPair * pairs)) games in $dir"
[ -n "$reportOnly" ] || for opponent in "${opponents[@]}"; do
    for control in "${controls[@]}"; do
        label=${control%%|*}
        read -r -a options <<<"${control#*|}"
        played=0
        while [ "$played" -lt "$perPair" ]; do
            n=$((perPair - played < matchSize ? perPair - played : matchSize))
            out=$dir/$opponent-${label//[\/:]/-}-$played
            "$root/scripts/match.sh" -n "$n" -o "/usr/games/$opponent" -e "$engine" -b "$book" -d "$out" \
                "${uci[@]}" "${options[@]}" -- -adjudicateDrawMoves "$drawMoves" >"$out.summary" 2>&1
            status=$?
            [ "$status" -eq 77 ] && { cat "$out.summary"; exit 77; }
            echo "$status" >"$out.status"
            echo "$opponent $label: $(grep "^$name: " "$out.summary") ($((SECONDS - start)) s)"
            played=$((played + n))
        done
    done
done

# Per opponent, from every match folder: the games (PGN tags and the comment
# that ends each game), the engines that died (xboard.out), the moves either
# side refused (xboard.debug), the matches that did not end, and Pelmot's
# lowest clock (match.sh's summary).
failed=0
for opponent in "${opponents[@]}"; do
    line=$(for out in "$dir/$opponent"-*; do
        [ -d "$out" ] || continue
        grep -E "exited unexpectedly|Error (writing to|reading from) .* chess program" "$out/xboard.out" |
            sort -u | sed 's/^/DIED /'
        grep -E "^[0-9]+ [<>](first|second) : Illegal move" "$out/xboard.debug" 2>/dev/null | sed 's/^/REFUSED /'
        sed -n 's/.*lowest left after its move: \([-0-9.]*\) s.*/CLOCK \1/p' "$out.summary"
        sed -n 's/^thinking output from .*: \([0-9]*\) lines.*/THINK \1/p' "$out.summary"
        echo "MATCH $(cat "$out.status")"
        [ -f "$out/games.pgn" ] && cat "$out/games.pgn"
    done | awk -v me="$name" -v opponent="$opponent" -v uci="${#uci[@]}" '
        function fault(side, kind) { ++faults[side, kind] }
        function finish() {
            if (!ingame) return
            ingame = 0
            # A game cut off in a match that ended is a hang by Pelmot, unless
            # an engine died; one cut off with its match counts with the match.
            if (result == "*") { if (matchended && !matchdied) fault("me", "hang"); return }
            loser = result == "1-0" ? "black" : result == "0-1" ? "white" : ""
            if (result == "1/2-1/2") ++draws
            else if ((loser == "black") == mewhite) ++wins
            else ++losses
            side = loser == "" ? "" : ((loser == "white") == mewhite ? "me" : "them")
            if (match(body, /\{[^}]*\}[ \t]*(1-0|0-1|1\/2-1\/2|\*)?[ \t]*$/)) ending = substr(body, RSTART, RLENGTH); else ending = ""
            if (side == "") return
            if (ending ~ /Forfeit due to illegal move|Illegal move/) fault(side, "illegal")
            else if (ending ~ /False [a-z-]* claim/) fault(side, "claim")
            else if (ending ~ /on time|flag fell/) fault(side, "time")
        }
        # DIED, REFUSED and CLOCK lines come before their MATCH line, the games after it.
        # A match that did not end is a hang, of Pelmot unless an engine died in it.
        /^MATCH / { finish(); if ($2 != 0 && !died) fault("me", "hang"); matchended = $2 == 0; matchdied = died; died = 0; next }
        /^DIED / { fault(/second chess program/ ? "them" : "me", "crash"); died = 1; next }
        /^REFUSED / { fault($3 ~ /second/ ? "them" : "me", "refused"); next }
        /^CLOCK / { if (least == "" || $2 + 0 < least) least = $2 + 0; next }
        /^THINK / { thinking += $2; next }
        /^\[Event / { finish(); ingame = 1; body = ""; ++n; next }
        /^\[White / { mewhite = index($0, "\"" me "\"") > 0; next }
        /^\[Result / { split($0, q, "\""); result = q[2]; next }
        /^\[/ { next }
        { sub(/[ \t\r]+$/, ""); body = body " " $0 }
        END {
            finish()
            # A move xboard refused is a forfeit; one an engine refused
            # means its board and xboard'"'"'s went apart: both count as illegal.
            for (s = 0; s < 2; ++s) {
                side = s == 0 ? "me" : "them"
                text[side] = sprintf("illegal %d, crashes %d, hangs %d, false claims %d, time losses %d",
                    faults[side, "illegal"] + faults[side, "refused"], faults[side, "crash"],
                    faults[side, "hang"], faults[side, "claim"], faults[side, "time"])
                total[side] = faults[side, "illegal"] + faults[side, "refused"] + faults[side, "crash"] + \
                    faults[side, "hang"] + faults[side, "claim"] + faults[side, "time"]
            }
            printf "%s: %d games, Pelmot +%d =%d -%d; Pelmot: %s; %s: %s; Pelmot'"'"'s lowest clock %s s; its thinking lines %d\n",
                opponent, n, wins, draws, losses, text["me"], opponent, text["them"], least == "" ? "-" : least, thinking
            exit (total["me"] > 0 || (uci && n > 0 && thinking == 0))
        }')
    [ $? -eq 0 ] || failed=1
    echo "$line"
done
echo "soak: $((SECONDS - start)) s; folders in $dir"
exit $failed
