#!/usr/bin/env bash
# Plays a match of Pelmot against another xboard engine under a headless
# xboard and prints the score, Pelmot's wins, losses and draws, the games
# that ended by a fault (forfeit, time loss, false claim, crash),
# Pelmot's average time per move, the lowest clock it was left with and the
# thinking output xboard received from it. Colours alternate between games.
#
#   scripts/match.sh [-n games] [-m moves] [-t time] [-i increment] [-o opponent]
#                    [-e engine] [-b book] [-d dir] [-w seconds] [-u] [-- xboard options]
#
#   -n  number of games (20)
#   -m  moves per time control (40); not used with an increment
#   -t  time per control in xboard's form, minutes or minutes:seconds (1)
#   -i  increment in seconds per move, may have a fraction (none: classical
#       controls of -m moves)
#   -o  opponent engine command (/usr/games/fairymax)
#   -e  Pelmot binary (build/pelmot)
#   -b  opening book copied next to Pelmot as Pelmot.book (build/Pelmot.book)
#   -d  output folder (build/match-DATE-TIME); it receives the saved games
#       games.pgn, xboard.out, xboard.debug and engine/Pelmot.log
#   -w  give up after this many seconds (per game 6 times the time per control
#       and 300 increments, plus a minute)
#   -u  Pelmot in UCI mode, through Debian's polyglot (xboard -fUCI)
#
# Options after "--" go to xboard unchanged.
# Exit status: 0 when the match ended, 2 when it did not end in time, an
# engine died or xboard stopped early, 77 when xboard, xvfb-run or the
# opponent is missing.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)

games=20
moves=40
tc=1
inc=
opponent=/usr/games/fairymax
engine=$root/build/pelmot
book=$root/build/Pelmot.book
dir=$root/build/match-$(date +%Y%m%d-%H%M%S)
deadline=
uci=

while getopts "n:m:t:i:o:e:b:d:w:u" opt; do
    case $opt in
    n) games=$OPTARG ;;
    m) moves=$OPTARG ;;
    t) tc=$OPTARG ;;
    i) inc=$OPTARG ;;
    o) opponent=$OPTARG ;;
    e) engine=$OPTARG ;;
    b) book=$OPTARG ;;
    d) dir=$OPTARG ;;
    w) deadline=$OPTARG ;;
    u) uci=1 ;;
    *) sed -n '2,/^set -u/p' "$0" | sed '$d'; exit 1 ;;
    esac
done
shift $((OPTIND - 1))

xboard=/usr/games/xboard
# xboard starts polyglot by its name; Debian puts it in /usr/games.
export PATH=$PATH:/usr/games
tools=("$xboard" "$(command -v xvfb-run)" "$(command -v "$opponent")")
[ -z "$uci" ] || tools+=("$(command -v polyglot)")
for tool in "${tools[@]}"; do
    if [ ! -x "$tool" ]; then
        echo "missing: xboard, xvfb-run, $opponent${uci:+ or polyglot} (apt-get install xboard xvfb fairymax${uci:+ polyglot})"
        exit 77
    fi
done
opponent=$(command -v "$opponent")
if [ ! -x "$engine" ] || [ ! -f "$book" ]; then
    echo "no engine $engine or book $book: build first"
    exit 1
fi
# The engine is started in its own folder.
engine=$(cd "$(dirname "$engine")" && pwd)/$(basename "$engine")

# Seconds in xboard's time form, for the default deadline.
case $tc in
*:*) tcSeconds=$((10#${tc%%:*} * 60 + 10#${tc#*:})) ;;
*) tcSeconds=$((10#$tc * 60)) ;;
esac
[ -n "$deadline" ] || deadline=$(awk -v g="$games" -v t="$tcSeconds" -v i="${inc:-0}" \
    'BEGIN { printf "%d", g * (6 * t + 300 * i + 15) + 60 }')
control=(-mps "$moves" -tc "$tc")
[ -z "$inc" ] || control+=(-inc "$inc")
name=$(basename "$engine")
# Through polyglot the engine is named by its UCI name; the games keep the
# binary's name, as in xboard mode.
first=(-fcp "$engine")
[ -z "$uci" ] || first+=(-fUCI -fn "$name")

mkdir -p "$dir/engine" "$dir/home"
dir=$(cd "$dir" && pwd)
cp "$book" "$dir/engine/Pelmot.book"
rm -f "$dir/games.pgn" "$dir/xboard.debug" "$dir/engine/Pelmot.log"

# Its own process group, so that xboard, Xvfb and both engines end together;
# xboard calls a flag only when told to (autoCallFlag); HOME in the output
# folder keeps xboard's saved settings out of other runs.
HOME=$dir/home setsid xvfb-run -a "$xboard" -noGUI -matchMode true -matchGames "$games" \
    "${control[@]}" -ponderNextMove true -testLegality true -autoCallFlag true \
    "${first[@]}" -fd "$dir/engine" -scp "$opponent" -sd "$dir/home" \
    -saveGameFile "$dir/games.pgn" -debug -nameOfDebugFile "$dir/xboard.debug" \
    "$@" >"$dir/xboard.out" 2>&1 &
group=$!

# Under -noGUI xboard stays up after the match; its score line is the end.
start=$SECONDS
status=0
while ! grep -q "final score" "$dir/xboard.out"; do
    if ! kill -0 "$group" 2>/dev/null; then
        echo "xboard stopped before the match ended"
        status=2
        break
    fi
    # xboard neither ends the match nor exits when an engine dies.
    if grep -Eq "exited unexpectedly|Error (writing to|reading from) .* chess program" "$dir/xboard.out"; then
        echo "an engine died: the match cannot go on"
        status=2
        break
    fi
    if [ $((SECONDS - start)) -ge "$deadline" ]; then
        echo "no final score after $deadline s"
        status=2
        break
    fi
    sleep 1
done
kill -TERM -- -"$group" 2>/dev/null
sleep 1
kill -KILL -- -"$group" 2>/dev/null
wait "$group" 2>/dev/null

echo "match folder: $dir ($((SECONDS - start)) s)"
grep "final score" "$dir/xboard.out"

# Per game: Pelmot's colour from the player tags, the result, and the
# comment that ends the game, which names forfeits, time losses and claims.
[ -f "$dir/games.pgn" ] && awk -v me="$name" '
    /^\[White / { white = index($0, "\"" me "\"") }
    /^\[Result / {
        ++n
        split($0, q, "\"")
        if (q[2] == "1/2-1/2") outcome[n] = "drew"
        else if (q[2] == "*") outcome[n] = "unfinished"
        else outcome[n] = (q[2] == "1-0") == (white > 0) ? "won" : "lost"
        ++count[outcome[n]]
    }
    /^[^[]/ { body[n] = body[n] " " $0 }
    END {
        printf "%s: %d games, %d wins, %d losses, %d draws, %d unfinished\n", me, n, count["won"], count["lost"], count["drew"], count["unfinished"]
        for (i = 1; i <= n; ++i)
            if (match(body[i], /\{[^}]*(Forfeit|on time|flag fell|False [a-z-]* claim|exited)[^}]*\}/))
                printf "game %d, %s %s: %s\n", i, me, outcome[i], substr(body[i], RSTART, RLENGTH)
    }' "$dir/games.pgn"
# An engine that dies shows as one of these, not always as a game end.
grep -E "exited unexpectedly|Error (writing to|reading from) .* chess program" "$dir/xboard.out" | sort -u

# Pelmot's thinking time: from a move (or "go", or "usermove" through
# polyglot) sent to it to its "move" answer, in xboard's time stamps (ms);
# book moves take no time. The clock it was left with: the last clock
# reported to it before the move, less that time.
[ -f "$dir/xboard.debug" ] && awk -v book="$(grep -c 'move(book)' "$dir/engine/Pelmot.log" 2>/dev/null)" '
    $2 == ">first" && ($4 ~ /^[a-h][1-8][a-h][1-8][qrbn]?$/ || $4 == "go" || $4 == "usermove") { sent = $1 }
    $2 == ">first" && $4 == "time" {
        clock = $5 * 10
        if (least == "" || clock < least) least = clock
    }
    $2 == "<first" && $4 == "move" && sent != "" {
        took = $1 - sent; total += took; ++n; sent = ""
        if (clock != "" && (leastLeft == "" || clock - took < leastLeft)) leastLeft = clock - took
    }
    END {
        if (n == 0) exit
        searched = n - book
        printf "time per move: %.2f s over %d moves", total / n / 1000, n
        if (searched > 0) printf " (%.2f s over the %d searched, %d from the book)", total / searched / 1000, searched, book
        printf "; lowest clock reported to it: %.2f s; lowest left after its move: %.2f s\n", least / 1000, leastLeft / 1000
    }' "$dir/xboard.debug"
# Thinking output as xboard reads it: depth, score, time, nodes, then the
# principal variation.
[ -f "$dir/xboard.debug" ] && echo "thinking output from $name: $(grep -cE '^[0-9]+ <first : +[0-9]+ +[-+]?[0-9.]+ +[0-9]+ +[0-9]+ .*[a-hNBRQKO]' "$dir/xboard.debug") lines with a score and a principal variation"
exit $status
