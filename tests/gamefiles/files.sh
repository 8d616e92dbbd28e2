#!/bin/bash
# Failures of the file tools through the engine's own commands: writes that
# a file-size limit stops, and file names that are missing or too long.
# Usage: files.sh ENGINE RANDOMGAMES WORKDIR
set -u
engine=$1 randomgames=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
tool() { printf 'xboard\n%s\nquit\n' "$1" | "$engine" > tool.out 2>&1 || fail "engine exit status $? for: $1"; }
# The same under a limit of 16 KB per file written; the engine must see the
# write fail instead of being stopped by the signal.
limited() {
    (trap '' XFSZ; ulimit -f 16; printf 'xboard\n%s\nquit\n' "$1" | "$engine") > limited.out 2>&1 ||
        fail "engine exit status $? for: $1"
}
limit=$((16 * 1024))

"$randomgames" 300 3 > games.pgn || fail "no random games"
tool "pgn2game games.pgn full.game"
grep -q '^converted: 300 games. (skipped: 0)$' tool.out || fail "the collection does not convert: $(tail -2 tool.out)"

# pgn2game: the ERROR line with what was really written, and a GAME file
# that ends with its last whole record.
limited "pgn2game games.pgn part.game"
grep -q "^ERROR: cannot write GAME file 'part.game' file: games.pgn$" limited.out || fail "no write error: $(tail -3 limited.out)"
grep -q '^file: ' limited.out && fail "a failed conversion was reported finished"
stored=$(sed -n 's/^converted: \([0-9]*\) games. (skipped: 0)$/\1/p' limited.out)
[ -n "$stored" ] && [ "$stored" -gt 0 ] && [ "$stored" -lt 300 ] || fail "wrong count: $(tail -3 limited.out)"
size=$(stat -c %s part.game)
[ "$size" -le "$limit" ] || fail "GAME file larger than the limit"
cmp -n "$size" part.game full.game || fail "the GAME file does not hold the first games"
tool "game2pgn part.game part.pgn"
grep -q "^OK$" tool.out && grep -q "^converted: $stored games.$" tool.out || fail "the cut GAME file does not read: $(cat tool.out)"
# Later appends line up: the rest of the games follows the whole records.
tool "pgn2game games.pgn part.game"
grep -q "^converted: $((300 - stored)) games. (skipped: $stored)$" tool.out || fail "append after the cut: $(tail -2 tool.out)"
cmp part.game full.game || fail "the appended GAME file differs from a whole conversion"

# game2pgn and game2pos: whole games only, and the count of them.
limited "game2pgn full.game limited.pgn"
grep -q "^ERROR: cannot write PGN file 'limited.pgn'$" limited.out || fail "game2pgn: no write error: $(cat limited.out)"
written=$(sed -n 's/^converted: \([0-9]*\) games.$/\1/p' limited.out)
[ "$(grep -c '^\[Result' limited.pgn)" = "$written" ] || fail "game2pgn: $written games reported, others written"
[ "$(tail -c 1 limited.pgn | od -An -c | tr -d ' ')" = '\n' ] || fail "game2pgn: the last game is cut"
tool "pgn2game limited.pgn back.game"
grep -q "^converted: $written games. (skipped: 0)$" tool.out || fail "game2pgn: the written games do not read: $(tail -2 tool.out)"
limited "game2pos full.game limited.txt"
grep -q "^ERROR: cannot write DB file 'limited.txt'$" limited.out || fail "game2pos: no write error: $(cat limited.out)"
written=$(sed -n 's/^converted: \([0-9]*\) games.$/\1/p' limited.out)
[ "$(grep -c $'^1\t' limited.txt)" = "$written" ] || fail "game2pos: $written games reported, others written"
tool "game2pos full.game whole.txt"
cmp -n "$(stat -c %s limited.txt)" limited.txt whole.txt || fail "game2pos: the lines differ"
[ "$(sed -n "$(($(wc -l < limited.txt) + 1))p" whole.txt | cut -f1)" = "1" ] || fail "game2pos: the last game is cut"

# A missing or overlong file name is answered on standard output.
printf 'xboard\npgn2game games.pgn' | "$engine" > tool.out 2>&1
grep -q '^File name missing or too long$' tool.out || fail "no message for a missing name: $(cat tool.out)"
printf 'xboard\ngame2pgn %s x.pgn\nquit\n' "$(printf 'n%.0s' $(seq 300))" | "$engine" > tool.out 2>&1
grep -q '^File name missing or too long$' tool.out || fail "no message for an overlong name: $(cat tool.out)"

echo "OK: $stored of 300 games within the limit"
