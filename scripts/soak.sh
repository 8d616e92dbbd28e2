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
# claims and losses on time; the lowest clock Pelmot was left with; then the
# thinking lines xboard received from Pelmot. Exit status: 1 on any fault of
# Pelmot's, or in UCI mode when no thinking output arrived; 77 when xboard,
# xvfb-run, polyglot or an opponent is missing; else 0.
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

# Per opponent, from every match folder: each engine's faults, and the
# thinking lines xboard received from Pelmot (match.sh's summaries).
failed=0
for opponent in "${opponents[@]}"; do
    "$root/scripts/faults.sh" "$name" "$opponent" "$dir/$opponent"-*/
    [ $? -eq 1 ] && failed=1
    thinking=$(cat "$dir/$opponent"-*.summary 2>/dev/null |
        sed -n 's/^thinking output from .*: \([0-9]*\) lines.*/\1/p' | awk '{ n += $1 } END { print n + 0 }')
    echo "$opponent: Pelmot's thinking lines that reached xboard: $thinking"
    [ ${#uci[@]} -eq 0 ] || [ "$thinking" -gt 0 ] || failed=1
done
echo "soak: $((SECONDS - start)) s; folders in $dir"
exit $failed
