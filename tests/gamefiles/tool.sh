#!/bin/bash
# pelmot-games on archives as they ship and in pipelines: compressed input
# equal to plain, standard input and output, input that is no PGN text, list
# files with blank and comment lines, merge equal to pgnlist2game, and the
# jobs of -j equal to one job, byte for byte and line for line.
# Usage: tool.sh GAMES RANDOMGAMES DATADIR WORKDIR
set -u
games=$1 randomgames=$2 data=$3 work=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
# run STATUS ARGUMENTS...: pelmot-games with its exit status checked; its
# streams in out and err.
run() {
    local want=$1 status=0
    shift
    "$games" "$@" > out 2> err || status=$?
    [ "$status" = "$want" ] || fail "pelmot-games $*: exit status $status, not $want: $(tail -3 err)"
}
cp "$data/pgn/faults.pgn" "$data/pgn/jobs.pgn" "$data/compressed/"* .

# Each compression gives the plain file's bytes and lines; so do streams of
# a file one after the other, as parallel compressors write them.
run 0 pgn2game faults.pgn plain.game
sed 's/faults\.pgn[.a-z2]*/F/' err > plain.err
cat faults.pgn.gz faults.pgn.gz > twice.pgn.gz
for file in faults.pgn.gz faults.pgn.bz2 faults.pgn.zst faults.pgn.xz twice.pgn.gz; do
    run 0 pgn2game "$file" "$file.game"
    cmp plain.game "$file.game" || fail "$file: not the plain file's games"
    [ "$file" = twice.pgn.gz ] && continue
    sed 's/faults\.pgn[.a-z2]*/F/' err | diff plain.err - > diff.out || fail "$file: other lines: $(head -3 diff.out)"
done
grep -q '^pelmot-games: 40 games read, 9 stored, 31 skipped' err || fail "two streams: $(tail -1 err)"
# A compressed file cut short: the games before the cut, and an error.
head -c 300 faults.pgn.zst > cut.pgn.zst
run 1 pgn2game cut.pgn.zst cut.game
grep -q "^ERROR: cannot read PGN file 'cut.pgn.zst': the zstd data is cut off file: cut.pgn.zst$" err ||
    fail "cut zstd: $(tail -2 err)"

# Standard streams: "-" reads standard input and writes standard output,
# which carries the data alone.
run 0 pgn2game - stdin.game < faults.pgn.xz
cmp plain.game stdin.game || fail "standard input: other games"
run 0 game2pgn plain.game plain.pgn
run 0 game2pgn - - < plain.game
cmp plain.pgn out || fail "game2pgn - -: standard output is not the PGN alone"
grep -q '^OK$' err || fail "game2pgn's lines are not on standard error"
run 0 game2pos plain.game plain.txt
"$games" game2pos plain.game - 2> /dev/null | cmp plain.txt - || fail "game2pos to standard output"
printf 'faults.pgn\n' | "$games" pgnlist2game - listed.game 2> /dev/null && cmp plain.game listed.game ||
    fail "a list on standard input"

# Input that is no PGN text: an error that says what it is, exit 1, and no
# GAME file left behind.
run 1 pgn2game plain.game swapped.game
grep -q "^pelmot-games: 'plain.game' is not PGN text: it is a GAME file (are the input and output swapped?)$" err ||
    fail "swapped: $(cat err)"
head -c 3000 "$games" > binary.pgn
run 1 pgn2game binary.pgn binary.game
grep -q "is not PGN text: it holds binary data" err || fail "binary: $(cat err)"
printf 'PK\003\004 a zip archive' > games.zip
run 1 pgn2game games.zip zip.game
grep -q "it is a zip archive, which is not read" err || fail "zip: $(cat err)"
[ -e swapped.game ] || [ -e binary.game ] || [ -e zip.game ] && fail "a GAME file was left behind"

# List files: blanks around names, blank lines, comments and CRLF ends.
printf '# the collection\r\n\r\n  faults.pgn.bz2  \r\n\n\t\n# faults.pgn\nfaults.pgn.gz' > names.list
run 0 pgnlist2game names.list names.game
cmp plain.game names.game || fail "list: other games"
grep -q "^Warning: game 20 (skipped) file: faults.pgn.gz$" err || fail "list: the second file was not read"

# merge: the GAME files of PGN files give what pgnlist2game gives for them;
# a damaged input ends the merge, the games before it kept.
"$randomgames" 300 5 san > random.pgn || fail "no random games"
run 0 pgn2game random.pgn random.game
printf 'random.pgn\nfaults.pgn\n' > two.list
run 0 pgnlist2game two.list listed2.game
run 0 merge random.game plain.game merged.game
cmp listed2.game merged.game || fail "merge differs from pgnlist2game"
grep -q '^pelmot-games: 309 games read, 309 stored, 0 skipped$' err || fail "merge: $(tail -1 err)"
run 0 merge plain.game merged.game
grep -q '^pelmot-games: 9 games read, 0 stored, 9 skipped (9 duplicate of a stored game)$' err || fail "merge again: $(tail -1 err)"
{ cat plain.game; printf '\003\200\044\015'; } > damaged.game
run 1 merge damaged.game fresh.game
grep -q "^ERROR: 'damaged.game' is cut off: the game at byte $(stat -c %s plain.game) is not whole$" err ||
    fail "damaged merge: $(cat err)"
cmp plain.game fresh.game || fail "damaged merge: the games before the damage are not kept"

# -j: every job count and piece size gives the GAME file and the lines of one
# job, on plain and compressed input (pieces far smaller than real ones, so
# that games run over their ends). jobs.pgn holds games that swallow the
# next tag line or end at it, tags without a blank line before them, and a
# Ctrl-Z.
cat random.pgn faults.pgn jobs.pgn > both.pgn
for input in both.pgn faults.pgn.zst jobs.pgn; do
    rm -f one.game
    run 0 -j 1 pgn2game "$input" one.game
    mv err one.err
    for jobs in 2 3; do
        for pieces in 20 150 1000; do
            rm -f jobs.game
            run 0 -j $jobs --piece-size "$pieces" pgn2game "$input" jobs.game
            cmp one.game jobs.game || fail "-j $jobs, pieces of $pieces, $input: other games"
            diff one.err err > diff.out || fail "-j $jobs, pieces of $pieces, $input: other lines: $(head -3 diff.out)"
        done
    done
done
echo "OK: four compressions, streams, refused inputs, lists, merge and jobs"
