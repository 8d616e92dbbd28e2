#!/usr/bin/env bash
# Measures Pelmot's strength levels on a public scale: at each level E,
# Pelmot in UCI mode with UCI_LimitStrength on and UCI_Elo E plays Stockfish
# with the same options, and Pelmot at E plays Pelmot at E + 300 wherever
# that is a level of the list too. Games at 10 s + 0.1 s a move, from the
# openings of scripts/data/openings.pgn in random order, each played with
# both colours; hopeless and dead games are adjudicated. Prints a table:
# games, wins/draws/losses, score with its 95 % error and the Elo difference
# with its error, from the first player's side. A benchmark, not a test.
#
#   scripts/calibrate.sh [-n games] [-c concurrency] [-e engine] [-b book] [-d dir] [level...]
#
#   -n  games per match, rounded up to an even number (40)
#   -c  games played at once (1); each keeps about one core busy
#   -e  Pelmot binary (build/pelmot)
#   -b  opening book copied next to each Pelmot (build/Pelmot.book)
#   -d  output folder (build/calibrate-DATE-TIME): each match's PGN, the
#       cutechess-cli output and each Pelmot's log
#   levels: UCI_Elo values (1400 1700 1900)
#
# Needs cutechess-cli (built from source by the testers' build script) and
# Debian's stockfish, on PATH or in /usr/games. Stockfish 15.1 takes UCI_Elo
# from 1350 on: lower levels play Pelmot only. cutechess-cli sends only the
# options an engine declares, so an engine without UCI_Elo plays every level
# at full strength: the script warns.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
games=40
concurrency=1
engine=$root/build/pelmot
book=$root/build/Pelmot.book
out=$root/build/calibrate-$(date +%Y%m%d-%H%M%S)
openings=$root/scripts/data/openings.pgn
step=300
while getopts "n:c:e:b:d:" option; do
  case $option in
    n) games=$OPTARG ;;
    c) concurrency=$OPTARG ;;
    e) engine=$(readlink -f "$OPTARG") ;;
    b) book=$(readlink -f "$OPTARG") ;;
    d) out=$(readlink -m "$OPTARG") ;;
    *) sed -n '/^#   scripts/,/^#   levels/p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
levels=(1400 1700 1900)
[ $# -eq 0 ] || levels=("$@")

find_program() {
  command -v "$1" 2>/dev/null || { [ -x "/usr/games/$1" ] && echo "/usr/games/$1"; } ||
    { echo "calibrate.sh: $1 not found" >&2; exit 77; }
}
cutechess=$(find_program cutechess-cli)
stockfish=$(find_program stockfish)
[ -x "$engine" ] || { echo "calibrate.sh: no engine $engine" >&2; exit 77; }
mkdir -p "$out"

# The UCI_Elo range that an engine declares, "MIN MAX", or nothing.
elo_range() {
  (cd "$out" && printf 'uci\nquit\n' | timeout 10 "$1" 2>/dev/null) |
    sed -n 's/^option name UCI_Elo type spin .* min \([0-9]*\) max \([0-9]*\).*/\1 \2/p'
}
read -r stockfish_lowest stockfish_highest < <(elo_range "$stockfish") ||
  { echo "calibrate.sh: $stockfish declares no UCI_Elo" >&2; exit 77; }
[ -n "$(elo_range "$engine")" ] ||
  echo "calibrate.sh: warning: $engine declares no UCI_Elo: every level plays at full strength" >&2

# The cutechess-cli options of a player at level $1, one a line: Pelmot in
# a folder of its own (for its book and log) named after $2, or Stockfish.
pelmot_player() {
  local dir=$out/pelmot-$1-$2
  mkdir -p "$dir"
  [ ! -f "$book" ] || cp "$book" "$dir/Pelmot.book"
  printf '%s\n' -engine "name=Pelmot-$1" "cmd=$engine" "dir=$dir" option.UCI_LimitStrength=true "option.UCI_Elo=$1"
}
stockfish_player() {
  printf '%s\n' -engine "name=Stockfish-$1" "cmd=$stockfish" option.UCI_LimitStrength=true "option.UCI_Elo=$1"
}

rows=()
# One match between the players of the arrays first and second; adds a row.
match() {
  local name=${first[1]#name=}-${second[1]#name=}
  echo "playing $name ($games games)" >&2
  QT_QPA_PLATFORM=offscreen "$cutechess" "${first[@]}" "${second[@]}" -each proto=uci tc=10+0.1 \
    -openings file="$openings" format=pgn order=random plies=8 -repeat -games 2 -rounds $(((games + 1) / 2)) \
    -concurrency "$concurrency" -resign movecount=5 score=1000 twosided=true \
    -draw movenumber=60 movecount=10 score=5 -pgnout "$out/$name.pgn" >"$out/$name.txt" 2>&1 || true
  local score
  score=$(sed -n 's/^Score of \(.*\) vs \(.*\): \([0-9]*\) - \([0-9]*\) - \([0-9]*\) .*/\1 \2 \3 \4 \5/p' "$out/$name.txt" |
    tail -1)
  [ -n "$score" ] || { echo "no result for $name: see $out/$name.txt" >&2; return; }
  rows+=("$score")
}

first=() second=()
for level in "${levels[@]}"; do
  if [ "$level" -ge "$stockfish_lowest" ] && [ "$level" -le "$stockfish_highest" ]; then
    mapfile -t first < <(pelmot_player "$level" sf)
    mapfile -t second < <(stockfish_player "$level")
    match
  fi
  for higher in "${levels[@]}"; do
    [ "$higher" -eq $((level + step)) ] || continue
    mapfile -t first < <(pelmot_player "$level" low)
    mapfile -t second < <(pelmot_player "$higher" high)
    match
  done
done

# Score s = (W + D/2) / n; its error from the spread of the game results;
# Elo difference -400 log10(1/s - 1), its error from the score's bounds.
printf '%s\n' "${rows[@]}" | awk '
  function elo(s) { s = s < 0.001 ? 0.001 : s > 0.999 ? 0.999 : s; return -400 * log(1 / s - 1) / log(10) }
  function round(x) { return x < 0 ? -int(-x + 0.5) : int(x + 0.5) }
  BEGIN { printf "%-14s %-16s %5s  %-11s  %-15s %s\n", "player", "opponent", "games", "W/D/L", "score", "Elo difference" }
  { w = $3; l = $4; d = $5; n = w + l + d
    if (n == 0) next
    s = (w + d / 2) / n
    e = 1.96 * sqrt((w * (1 - s) ^ 2 + d * (0.5 - s) ^ 2 + l * s ^ 2) / n / n)
    printf "%-14s %-16s %5d  %3d/%3d/%3d  %5.1f %% +- %4.1f  ", $1, $2, n, w, d, l, 100 * s, 100 * e
    # No difference can be told from a clean sweep.
    if (w == n || l == n) print "-"
    else printf "%+d +- %d\n", round(elo(s)), round((elo(s + e) - elo(s - e)) / 2) }'
echo "games and logs in $out"
