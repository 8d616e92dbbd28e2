#!/bin/bash
# Converts a collection (engine games and random legal games) with the
# engine's own commands and compares the moves, results and positions with
# what pgn-extract reads from the same PGN; reads game2pgn's output back; and
# converts the same games written by pgn-extract in other notations, which
# must give the same GAME bytes.
# Usage: roundtrip.sh ENGINE RANDOMGAMES DATADIR WORKDIR
set -u
engine=$1 randomgames=$2 data=$3 work=$4
PATH=$PATH:/usr/games
if ! command -v pgn-extract >/dev/null; then
    echo "pgn-extract is not installed"
    exit 77
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
run() { printf 'xboard\n%s\nquit\n' "$1" | "$engine" >> engine.out 2>&1 || fail "engine exit status $? for: $1"; }

# Random games bring en passant, every promotion and captures of every kind.
"$randomgames" 300 7 > random.txt || fail "no random games"
pgn-extract -s -Wsan random.txt > random.pgn 2>/dev/null
cat "$data/engine_games.pgn" random.pgn > games.pgn
games=$(grep -c '^\[Result' games.pgn)

run "pgn2game games.pgn out.game
game2pgn out.game back.pgn
game2pos out.game positions.txt
pgn2game games.pgn out.game
pgn2game $data/skips.pgn skips.game"

[ -s out.game ] || fail "no GAME file written"
grep -q "^converted: $games games. (skipped: 0)" engine.out || fail "first conversion did not store all $games games"
grep -q "^converted: $games games.\$" engine.out || fail "game2pgn did not write $games games"
# The second conversion stores nothing and warns for every game.
grep -q "^converted: 0 games. (skipped: $games)" engine.out || fail "second conversion stored games"
[ "$(grep -c "^Warning: game [0-9]* (skipped) file: games.pgn$" engine.out)" = "$games" ] || fail "not one warning per game"

# Moves and results: pgn-extract's UCI movetext against game2pgn's output.
pgn-extract -s -Wuci --notags -w100000 games.pgn 2>/dev/null | grep -v '^$' | tr QRBN qrbn > expected.moves
sed -e 's/[0-9]*\. //g' back.pgn | grep -v '^\[' > actual.moves
[ "$(wc -l < expected.moves)" = "$games" ] || fail "pgn-extract read $(wc -l < expected.moves) games, not $games"
diff expected.moves actual.moves > moves.diff || fail "moves differ from pgn-extract: $(head -5 moves.diff)"

# Positions: pgn-extract writes every position including the last one of
# each game; game2pos writes those in which a move was played.
pgn-extract -s -Wepd games.pgn 2>/dev/null | grep -v '^$' | cut -d' ' -f1-4 > expected.epd
awk '{ for (i = 1; i < NF; ++i) { getline line < "expected.epd"; print line }
       getline line < "expected.epd" }' expected.moves > expected.fen
awk -F'\t' '{ print $3 " " $4 " " $5 " " $6 }' positions.txt > actual.fen
[ -s actual.fen ] || fail "game2pos wrote nothing"
diff expected.fen actual.fen > fen.diff || fail "positions differ from pgn-extract: $(head -5 fen.diff)"

# The log echoes every tag line and the movetext of every game read.
[ "$(grep -c '^\[Result "' Pelmot.log)" = "$((2 * games + 13))" ] || fail "tag lines missing from the log"
[ "$(grep -c $'<<< OK:\t' Pelmot.log)" = "3" ] || fail "not one end mark per converted file"
[ "$(grep -c $'^<<< OK:\t' Pelmot.log)" = "0" ] || fail "the end mark does not follow the last movetext"
grep -q '^1\.d4 d5 2\.Zz9ERROR$' Pelmot.log || fail "no echo of the unreadable token"
grep -q '^1/2-1/2 {NOMOVES}$' Pelmot.log || fail "no echo of the game without moves"

# game2pgn's output reads back to the same records.
run "pgn2game back.pgn back.game"
cmp out.game back.game || fail "game2pgn's output does not read back to the same GAME file"

# The same games in other notations, as pgn-extract writes them and with the
# line ends, castling, comments and layout other writers use.
pgn-extract -s -Wxolalg games.pgn > long.pgn 2>/dev/null            # Ng1-f3, e4xd5
pgn-extract -s -Wlalg games.pgn > coordinates.pgn 2>/dev/null       # g1f3, e4d5, e1g1
pgn-extract -s -Welalg games.pgn > enhanced.pgn 2>/dev/null         # Ng1f3, e5d6ep
sed 's/\([a-h][1-8][a-h][1-8]\)ep/\1 e.p./g' enhanced.pgn > apart.pgn # e5d6 e.p.
pgn-extract -s -Wsan games.pgn > san.pgn 2>/dev/null
pgn-extract -s -C -Wsan games.pgn > plain.pgn 2>/dev/null           # without brace comments
sed 's/$/\r/' san.pgn > crlf.pgn
sed 's/O-O-O/0-0-0/g; s/O-O/0-0/g' san.pgn > zeros.pgn
sed '/^\[/!s/$/ ; to the line end: { 1-0 ( Zz9/; /^\[Result/i ; a line of its own' plain.pgn > semicolons.pgn
# Every tag section on one line, "%" escape lines between the games, and a
# Ctrl-Z after the last game.
awk 'BEGIN { print "% escaped [Result \"0-1\"] 1. f3 e5 0-1" }
     /^\[/ { printf "%s ", $0; tags = 1; next }
     tags { print ""; print "% escaped [Result \"0-1\"] 1. f3 e5 0-1"; tags = 0 }
     { print }' san.pgn > layout.pgn
printf '\032' >> layout.pgn
grep -q ' e\.p\. ' apart.pgn || fail "no en-passant capture among the games"
for notation in san long coordinates enhanced apart crlf zeros semicolons layout; do
    : > engine.out
    run "pgn2game $notation.pgn $notation.game"
    grep -q "^converted: $games games. (skipped: 0)" engine.out || fail "$notation: not all games converted: $(tail -3 engine.out)"
    grep -q '^ERROR' engine.out && fail "$notation: $(grep '^ERROR' engine.out)"
    cmp out.game "$notation.game" || fail "$notation: GAME bytes differ from the collection's"
done

echo "OK: $games games, $(wc -l < actual.fen) positions, the same GAME bytes in 9 notations"
