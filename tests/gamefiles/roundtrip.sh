#!/bin/bash
# Converts the engine-game collection with the engine's own commands and
# compares the moves, results and positions with what pgn-extract reads from
# the same PGN. Usage: roundtrip.sh ENGINE COLLECTION WORKDIR
set -u
engine=$1 collection=$2 work=$3
skips=$(dirname "$collection")/skips.pgn
PATH=$PATH:/usr/games
if ! command -v pgn-extract >/dev/null; then
    echo "pgn-extract is not installed"
    exit 77
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

printf 'xboard\npgn2game %s out.game\ngame2pgn out.game back.pgn\ngame2pos out.game positions.txt\npgn2game %s out.game\npgn2game %s skips.game\nquit\n' \
    "$collection" "$collection" "$skips" | "$engine" > engine.out 2>&1 || fail "engine exit status $?"

games=$(grep -c '^\[Result' "$collection")
[ -s out.game ] || fail "no GAME file written"
grep -q "^converted: $games games. (skipped: 0)" engine.out || fail "first conversion did not store all $games games"
grep -q "^converted: $games games.\$" engine.out || fail "game2pgn did not write $games games"
# The second conversion stores nothing and warns for every game.
grep -q "^converted: 0 games. (skipped: $games)" engine.out || fail "second conversion stored games"
[ "$(grep -c "^Warning: game [0-9]* (skipped) file: $collection$" engine.out)" = "$games" ] || fail "not one warning per game"

# Moves and results: pgn-extract's UCI movetext against game2pgn's output.
pgn-extract -s -Wuci --notags -w100000 "$collection" 2>/dev/null | grep -v '^$' | tr QRBN qrbn > expected.moves
sed -e 's/[0-9]*\. //g' back.pgn | grep -v '^\[' > actual.moves
[ "$(wc -l < expected.moves)" = "$games" ] || fail "pgn-extract read $(wc -l < expected.moves) games, not $games"
diff expected.moves actual.moves > moves.diff || fail "moves differ from pgn-extract: $(head -5 moves.diff)"

# Positions: pgn-extract writes every position including the last one of
# each game; game2pos writes those in which a move was played.
pgn-extract -s -Wepd "$collection" 2>/dev/null | grep -v '^$' | cut -d' ' -f1-4 > expected.epd
awk '{ for (i = 1; i < NF; ++i) { getline line < "expected.epd"; print line }
       getline line < "expected.epd" }' expected.moves > expected.fen
awk -F'\t' '{ print $3 " " $4 " " $5 " " $6 }' positions.txt > actual.fen
[ -s actual.fen ] || fail "game2pos wrote nothing"
diff expected.fen actual.fen > fen.diff || fail "positions differ from pgn-extract: $(head -5 fen.diff)"
# The log echoes every tag line and the movetext of every game read.
[ "$(grep -c '^\[Result "' Pelmot.log)" = "$((2 * games + 12))" ] || fail "tag lines missing from the log"
[ "$(grep -c '^<<< OK:' Pelmot.log)" = "0" ] || fail "the end mark does not follow the last movetext"
[ "$(grep -c $'<<< OK:\t' Pelmot.log)" = "3" ] || fail "not one end mark per converted file"
grep -q '^1\.[a-hNBRQK][a-h1-8x]* ' Pelmot.log || fail "no movetext echo in the log"
grep -q '^1\.d4 d5 2\.Zz9ERROR$' Pelmot.log || fail "no echo of the unreadable token"
grep -q '^1/2-1/2 {NOMOVES}$' Pelmot.log || fail "no echo of the game without moves"

echo "OK: $games games, $(wc -l < actual.fen) positions"
