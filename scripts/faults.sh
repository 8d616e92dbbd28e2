#!/usr/bin/env bash
# Tells Pelmot's faults from its opponent's in matches played by match.sh:
# for one opponent, over one or more match folders, prints a line with the
# games, Pelmot's wins, draws and losses, and for each engine its illegal
# moves, crashes, hangs, false claims and losses on time, then Pelmot's
# lowest clock. With -v, one more line per fault says where it happened.
#
#   scripts/faults.sh [-v] NAME OPPONENT FOLDER...
#
# NAME is Pelmot's name in the games (its binary's name); each FOLDER holds
# what match.sh left there, with match.sh's exit status in FOLDER.status
# and its summary in FOLDER.summary.
#
# Exit status: 0 when neither engine had a fault and at least one game was
# finished; 1 on any fault of Pelmot's; 2 when only the opponent had faults
# (it died, forfeited or hung); 3 when no game was finished and nobody is to
# blame. An opponent's loss on time is counted but is not such a fault: the
# game has its result and every move of Pelmot's in it was checked (Fairy-Max
# overruns its clock at 10 s + 1 s on a busy machine).
set -u
verbose=
if [ "${1:-}" = -v ]; then
    verbose=1
    shift
fi
name=$1
opponent=$2
shift 2

# From every folder: the engines that died (xboard.out), the moves either
# side refused (xboard.debug), Pelmot's lowest clock (match.sh's summary),
# the match's status, then the games (PGN tags and the comment that ends
# each game).
for out in "$@"; do
    out=${out%/}
    [ -d "$out" ] || continue
    grep -E "exited unexpectedly|Error (writing to|reading from) .* chess program" "$out/xboard.out" 2>/dev/null |
        sort -u | sed 's/^/DIED /'
    grep -E "^[0-9]+ [<>](first|second) : Illegal move" "$out/xboard.debug" 2>/dev/null | sed 's/^/REFUSED /'
    sed -n 's/.*lowest left after its move: \([-0-9.]*\) s.*/CLOCK \1/p' "$out.summary" 2>/dev/null
    echo "MATCH $(cat "$out.status" 2>/dev/null || echo 2) $out"
    [ -f "$out/games.pgn" ] && cat "$out/games.pgn"
done | awk -v me="$name" -v opponent="$opponent" -v verbose="$verbose" '
    function fault(side, kind, where) {
        ++faults[side, kind]
        if (verbose) details = details sprintf("  %s: %s (%s)\n", side == "me" ? me : opponent, kind, where)
    }
    function finish() {
        if (!ingame) return
        ingame = 0
        # A game cut off in a match that ended is a hang by Pelmot, unless
        # an engine died; one cut off with its match counts with the match.
        if (result == "*") { if (matchended && !matchdied) fault("me", "hang", "game " n " unfinished in " folder); return }
        loser = result == "1-0" ? "black" : result == "0-1" ? "white" : ""
        ++finished
        if (result == "1/2-1/2") ++draws
        else if ((loser == "black") == mewhite) ++wins
        else ++losses
        side = loser == "" ? "" : ((loser == "white") == mewhite ? "me" : "them")
        if (match(body, /\{[^}]*\}[ \t]*(1-0|0-1|1\/2-1\/2|\*)?[ \t]*$/)) ending = substr(body, RSTART, RLENGTH); else ending = ""
        if (side == "") return
        where = "game " n " of " folder ": " ending
        if (ending ~ /Forfeit due to illegal move|Illegal move/) fault(side, "illegal move", where)
        else if (ending ~ /False [a-z-]* claim/) fault(side, "false claim", where)
        else if (ending ~ /on time|flag fell/) fault(side, "time loss", where)
    }
    # DIED, REFUSED and CLOCK lines come before their MATCH line, the games after it.
    # A match that did not end is a hang, of Pelmot unless an engine died in it.
    /^MATCH / {
        finish()
        folder = $3
        if ($2 != 0 && !died) fault("me", "hang", "match in " folder " did not end")
        matchended = $2 == 0; matchdied = died; died = 0; next
    }
    /^DIED / { fault(/second chess program/ ? "them" : "me", "crash", substr($0, 6)); died = 1; next }
    /^REFUSED / { fault($3 ~ /second/ ? "them" : "me", "refused move", substr($0, 9)); next }
    /^CLOCK / { if (least == "" || $2 + 0 < least) least = $2 + 0; next }
    /^\[Event / { finish(); ingame = 1; body = ""; ++n; next }
    /^\[White / { mewhite = index($0, "\"" me "\"") > 0; next }
    /^\[Result / { split($0, q, "\""); result = q[2]; next }
    /^\[/ { next }
    { sub(/[ \t\r]+$/, ""); body = body " " $0 }
    END {
        finish()
        # A move xboard refused is a forfeit; one an engine refused means
        # its board and xboard'"'"'s went apart: both count as illegal.
        for (s = 0; s < 2; ++s) {
            side = s == 0 ? "me" : "them"
            illegal = faults[side, "illegal move"] + faults[side, "refused move"]
            text[side] = sprintf("illegal %d, crashes %d, hangs %d, false claims %d, time losses %d",
                illegal, faults[side, "crash"], faults[side, "hang"], faults[side, "false claim"],
                faults[side, "time loss"])
            total[side] = illegal + faults[side, "crash"] + faults[side, "hang"] + faults[side, "false claim"]
        }
        printf "%s: %d games, Pelmot +%d =%d -%d; Pelmot: %s; %s: %s; Pelmot'"'"'s lowest clock %s s\n",
            opponent, n, wins, draws, losses, text["me"], opponent, text["them"], least == "" ? "-" : least
        printf "%s", details
        if (total["me"] + faults["me", "time loss"] > 0) exit 1
        if (total["them"] > 0) exit 2
        exit finished > 0 ? 0 : 3
    }'
