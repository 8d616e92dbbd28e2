#!/bin/bash
# Failures of the file tools through the engine's own commands: writes that
# a file-size limit stops, and file names that are missing or too long. Then
# the command pelmot-games: the same lines as the typed commands, its exit
# statuses, and the same failures.
# Usage: files.sh ENGINE GAMES RANDOMGAMES DATADIR WORKDIR
set -u
engine=$1 games=$2 randomgames=$3 data=$4 work=$5
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
tool() { printf 'xboard\n%s\nquit\n' "$1" | "$engine" > tool.out 2>&1 || fail "engine exit status $? for: $1"; }
# The same under a limit of 16 KB per file written: the signal of the limit
# is left as it comes, and the engine must see the write fail.
limited() {
    (ulimit -f 16; printf 'xboard\n%s\nquit\n' "$1" | "$engine") > limited.out 2>&1 ||
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

# pelmot-games says on standard error what the typed command prints (the
# lines after the engine's greeting), then its summary; nothing on standard
# output; and writes the same files.
# Usage: same COMMAND INPUT OUTPUT; the typed command writes typed-OUTPUT.
same() {
    local command=$1 input=$2 output=$3 status=0
    tool "$command $input typed-$output"
    sed '1,/^feature done=1$/d' tool.out > typed.out
    "$games" "$command" "$input" "$output" > games.out 2> games.err || status=$?
    [ "$status" = 0 ] || fail "pelmot-games $command: exit status $status"
    [ -s games.out ] && fail "pelmot-games $command wrote to standard output: $(head -3 games.out)"
    grep -q '^pelmot-games: [0-9]* games read, ' games.err || fail "pelmot-games $command: no summary"
    grep -v '^pelmot-games: ' games.err | diff typed.out - > out.diff || fail "pelmot-games $command says otherwise: $(head -5 out.diff)"
    if [ -e "typed-$output" ]; then cmp "typed-$output" "$output" || fail "pelmot-games $command writes otherwise"; fi
}
cp "$data/faults.pgn" "$data/variants.pgn" .
same pgn2game faults.pgn faults.game
grep -q '^Reason: ' games.err || fail "no reasons given: $(cat games.err)"
grep -q '^pelmot-games: 20 games read, 9 stored, 11 skipped (1 MOVE NOT LEGAL 1, 1 MOVE NOT LEGAL 2 - check revealed, 2 Result Error 2, ' games.err || fail "summary: $(tail -1 games.err)"
# The engine's log where it runs is not touched.
mkdir quiet && (cd quiet && "$games" pgn2game ../faults.pgn faults.game 2> /dev/null)
[ -e quiet/Pelmot.log ] && fail "pelmot-games wrote a log"
printf 'faults.pgn\nvariants.pgn\n' > good.list
same pgnlist2game good.list listed.game
same game2pgn listed.game listed.pgn
same game2pos listed.game listed.txt
# A file not converted, said in plain words with the system's reason: one not
# opened, also in a list; a damaged GAME file; an output that cannot be made.
failed() {  # WORDS COMMAND ARGUMENTS...
    local words=$1 status=0
    shift
    "$games" "$@" > games.out 2> games.err || status=$?
    [ "$status" = 1 ] || fail "pelmot-games $*: exit status $status, not 1"
    [ -s games.out ] && fail "pelmot-games $* wrote to standard output"
    grep -qF "$words" games.err || fail "pelmot-games $*: not said: $words: $(cat games.err)"
}
printf 'faults.pgn\nmissing.pgn\n' > bad.list
failed "pelmot-games: cannot open 'missing.pgn': No such file or directory" pgnlist2game bad.list bad.game
failed "pelmot-games: cannot open 'missing.pgn': No such file or directory" pgn2game missing.pgn missing.game
printf '\001\000\044\015' > damaged.game
failed "ERROR: 'damaged.game' is not a GAME file file: faults.pgn" pgn2game faults.pgn damaged.game
failed "ERROR: 'damaged.game' is not a GAME file" game2pgn damaged.game damaged.pgn
failed "ERROR: 'faults.pgn' is not a GAME file" game2pgn faults.pgn damaged.pgn
failed "pelmot-games: cannot create 'no/such/x.txt': No such file or directory" game2pos faults.game no/such/x.txt
# --quiet: the failure and the summary only.
failed "pelmot-games: cannot open" --quiet pgnlist2game bad.list bad.game
[ "$(grep -vc '^pelmot-games: ' games.err)" = 0 ] || fail "--quiet said more: $(cat games.err)"

# A failed write under the limit: the error, status 1, and a GAME file cut
# back to its last whole game.
status=0
(ulimit -f 16; "$games" pgn2game games.pgn games-limited.game) > games.out 2>&1 || status=$?
[ "$status" = 1 ] || fail "pelmot-games under the limit: exit status $status: $(tail -3 games.out)"
grep -q "^ERROR: cannot write GAME file 'games-limited.game': File too large file: games.pgn$" games.out ||
    fail "pelmot-games: no write error: $(tail -3 games.out)"
"$games" game2pgn games-limited.game games-limited.pgn 2> games.out || fail "the cut GAME file does not read"
cmp -n "$(stat -c %s games-limited.game)" games-limited.game full.game || fail "pelmot-games: the GAME file differs"

# Bad arguments: status 2 and the usage on standard error; --help on
# standard output.
for arguments in "" "pgn2gam a b" "pgn2game a" "pgn2game a b c" "game2pos" "merge a" "pgn2game a -" "-j 0 pgn2game a b" "--loud pgn2game a b"; do
    status=0
    # shellcheck disable=SC2086
    "$games" $arguments > games.out 2> games.err || status=$?
    [ "$status" = 2 ] || fail "pelmot-games $arguments: exit status $status, not 2"
    grep -q '^Usage: pelmot-games ' games.err || fail "pelmot-games $arguments: no usage: $(cat games.err)"
    [ -s games.out ] && fail "pelmot-games $arguments wrote to standard output"
done
"$games" --help > games.out 2> games.err || fail "pelmot-games --help: exit status $?"
grep -q '^Usage: pelmot-games ' games.out && [ ! -s games.err ] || fail "pelmot-games --help: $(cat games.out games.err)"

echo "OK: $stored of 300 games within the limit"
