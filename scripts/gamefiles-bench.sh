#!/usr/bin/env bash
# Times the game-file conversions beside pgn-extract on the same files:
# pgn2game on 100,000 random games (first and second conversion, the second
# all duplicates) and on 1,000,000 (linearity, peak memory), and game2pos on
# the 100,000 games; then pelmot-games on the 1,000,000 games, plain and
# zstd-compressed, with one job and with two (the GAME files must be equal).
# The collections are made once and kept in WORK.
#
#   scripts/gamefiles-bench.sh [BUILD [WORK]]     (defaults: build, BUILD/gamefiles-bench)
#
# Elapsed (wall) times count for the rates; CPU times are shown beside them,
# since a busy machine stretches the one and not the other.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
work=${2:-$build/gamefiles-bench}
PATH=$PATH:/usr/games

need=()
command -v pgn-extract >/dev/null || need+=(pgn-extract)
[ -x /usr/bin/time ] || need+=(time)
command -v zstd >/dev/null || need+=(zstd)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
for program in pelmot pelmot-games pelmot-randomgames; do
  [ -x "$build/$program" ] || { echo "build $build/$program first"; exit 1; }
done
mkdir -p "$work"
cd "$work"

for count in 100000 1000000; do
  [ -s "games$count.pgn" ] || "$build/pelmot-randomgames" "$count" "$count" san > "games$count.pgn"
done
[ -s games1000000.pgn.zst ] || zstd -q games1000000.pgn -o games1000000.pgn.zst

# Runs a command and leaves "elapsed cpu peak-KB" in $measured.
measure() {
  /usr/bin/time -f '%e %U %S %M' -o time.txt "$@"
  measured=$(awk '{ printf "%s %.2f %s", $1, $2 + $3, $4 }' time.txt)
}
engine() { printf 'xboard\n%s\nquit\n' "$1" > commands.txt; measure "$build/pelmot" < commands.txt > engine.out; }
# The conversion's last lines must report all games read (a random collection
# holds a few duplicates: short mates played twice).
counts() {
  grep -q "^file: .*finished" engine.out || { tail -3 engine.out; exit 1; }
  note=$(sed -n 's/^converted: \([0-9]*\) games. (skipped: \([0-9]*\))$/\1 \2/p' engine.out |
    awk -v n="$1" '$1 + $2 != n { exit 1 } { print "stored " $1 ", skipped " $2 }') ||
    { tail -3 engine.out; exit 1; }
}
row() {  # name, count, unit [, note]
  read -r elapsed cpu peak <<< "$measured"
  awk -v name="$1" -v n="$2" -v unit="$3" -v e="$elapsed" -v c="$cpu" -v p="$peak" -v note="${4:-}" \
    'BEGIN { printf "%-34s %9d %-6s %8.2f %8.2f %11.0f %9.1f  %s\n", name, n, unit, e, c, n / e, p / 1024, note }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %9s %-6s %8s %8s %11s %9s\n' "" count "" "wall s" "cpu s" "per wall s" "peak MB"
rm -f g100k.game g1m.game
engine "pgn2game games100000.pgn g100k.game"
counts 100000
row "pgn2game, 100,000 games" 100000 games "$note"
first=$(cut -d' ' -f1 <<< "$measured")
engine "pgn2game games100000.pgn g100k.game"
counts 100000
grep -q '^converted: 0 games' engine.out || { echo "the second conversion stored games"; exit 1; }
row "pgn2game again (all duplicates)" 100000 games "$note"
second=$(cut -d' ' -f1 <<< "$measured")
measure pgn-extract -s -D -o /dev/null games100000.pgn 2>/dev/null
row "pgn-extract -D, 100,000 games" 100000 games

engine "pgn2game games1000000.pgn g1m.game"
counts 1000000
row "pgn2game, 1,000,000 games" 1000000 games "$note"
million=$(cut -d' ' -f1 <<< "$measured")
measure pgn-extract -s -D -o /dev/null games1000000.pgn 2>/dev/null
row "pgn-extract -D, 1,000,000 games" 1000000 games

rm -f positions.txt
engine "game2pos g100k.game positions.txt"
lines=$(wc -l < positions.txt)
row "game2pos, 100,000 games" "$lines" lines
rm -f positions.txt
measure pgn-extract -s -Wepd -o positions.epd games100000.pgn 2>/dev/null
row "pgn-extract -Wepd, 100,000 games" "$(grep -c . positions.epd)" lines
rm -f positions.epd

# pelmot-games on the million, one job and two, plain and compressed.
for input in games1000000.pgn games1000000.pgn.zst; do
  for jobs in 1 2; do
    rm -f "jobs$jobs.game"
    measure "$build/pelmot-games" --quiet -j "$jobs" pgn2game "$input" "jobs$jobs.game" 2> games.err
    read -r elapsed _ <<< "$measured"
    declare "wall$jobs=$elapsed"
    row "pelmot-games -j $jobs, ${input#games1000000}" 1000000 games "$(tail -1 games.err | cut -d' ' -f2-8)"
  done
  cmp -s jobs1.game jobs2.game || { echo "-j 2 wrote another GAME file than -j 1 for $input"; exit 1; }
  awk -v a="$wall1" -v b="$wall2" -v f="$input" 'BEGIN { printf "%s: -j 2 is %.2f times as fast as -j 1\n", f, a / b }'
done
rm -f jobs1.game jobs2.game

awk -v a="$second" -v b="$first" 'BEGIN { printf "second / first conversion: %.2f of the time (at most 1)\n", a / b }'
awk -v a="$million" -v b="$first" 'BEGIN { printf "1,000,000 / 100,000 games: %.2f times the time (at most 10.5)\n", a / b }'
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
