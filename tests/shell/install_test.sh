#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks the layout, then starts
# the engine as xboard's engine list does, with a scratch home and from a
# folder that is neither the install folder nor the per-user one: it must
# answer "go" after "new" with a book move, report no book error, and write
# its log in a folder of its own below the per-user one only. The UCI
# entry's command, as polyglot starts it, must do the same in UCI mode. Two
# engines started at once must write two whole logs, and the folders of
# ended engines must be cleaned up.
#
#   install_test.sh BUILD_DIR SCRATCH_DIR
set -u
build=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir/home" "$dir/elsewhere" "$dir/xdg"
prefix=$dir/prefix
faults=()
fault() { faults+=("$1"); }

cmake --install "$build" --prefix "$prefix" >"$dir/install.out" 2>&1 || fault "cmake --install failed: $(tail -3 "$dir/install.out")"

for file in games/pelmot games/pelmot-run games/pelmot-uci games/pelmot-games; do
    [ -x "$prefix/$file" ] || fault "no program $file"
done
[ "$(readlink "$prefix/games/pelmot-uci")" = pelmot-run ] || fault "pelmot-uci is not a link to pelmot-run"
for file in share/games/pelmot/Pelmot.book share/games/plugins/xboard/pelmot.eng share/games/plugins/uci/pelmot.eng \
    share/man/man6/pelmot.6; do
    [ -s "$prefix/$file" ] || fault "no file $file"
done
unexpected=$(cd "$prefix" && find . -type f | sort | grep -vxE '\./(games/pelmot|games/pelmot-run|games/pelmot-games|share/games/pelmot/Pelmot.book|share/games/plugins/(xboard|uci)/pelmot.eng|share/man/man6/pelmot.6)')
[ -z "$unexpected" ] || fault "unexpected files installed: $unexpected"
# The game-file command runs from where it is installed.
"$prefix/games/pelmot-games" --help 2>&1 | grep -q '^Usage: pelmot-games ' || fault "pelmot-games --help gives no usage"
if command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z "$prefix/share/man/man6/pelmot.6" 2>&1)
    [ -z "$warnings" ] || fault "man page warnings: $warnings"
fi

# The engine-list entries: the header line xboard expects (the one the
# entries of the installed engines open with), the command, the variants.
header=
for peer in /usr/share/games/plugins/xboard/*.eng; do
    [ -f "$peer" ] && header=$(sed -n 1p "$peer") && break
done
# The command of the entry for protocol $1, or nothing.
entry_command() {
    local entry=$prefix/share/games/plugins/$1/pelmot.eng
    [ -f "$entry" ] || return
    [ -z "$header" ] || [ "$(sed -n 1p "$entry")" = "$header" ] || fault "$1 entry line 1: $(sed -n 1p "$entry"), not '$header'"
    [ "$(sed -n 3p "$entry")" = "chess" ] || fault "$1 entry line 3: $(sed -n 3p "$entry")"
    [ "$(wc -l <"$entry")" -eq 3 ] || fault "$1 entry has $(wc -l <"$entry") lines"
    sed -n 2p "$entry"
}
command=$(entry_command xboard)
uciCommand=$(entry_command uci)
[ "$command" != "$uciCommand" ] || fault "the two entries show the same command: $command"

# One session through an entry's command: the command, the input, the
# pattern of the engine's move in its answer, then the expected log folder
# and the environment settings.
session() {
    local command=$1 input=$2 answer=$3 logdir=$4
    shift 4
    local out=$dir/session-$(basename "$logdir")-$(basename "${command%% *}").out
    printf "$input" |
        (cd "$dir/elsewhere" && env -u XDG_DATA_HOME "$@" timeout 30 sh -c "$command") >"$out" 2>&1
    local move
    move=$(sed -n "s/^$answer\$/\\1/p" "$out")
    [ -n "$move" ] || fault "no book move from $command ($*): $(tr '\n' '|' <"$out")"
    grep -q "BOOK ERROR\|opening book" "$out" && fault "book error from $command ($*)"
    # The sessions run one after the other: the newest log is this one's.
    local log
    log=$(ls -t "$logdir"/logs/*/Pelmot.log 2>/dev/null | head -1)
    if [ -n "$log" ]; then
        grep -qx -- "-M: move(book): $move" "$log" || fault "move $move was not from the book ($*)"
        [ -e "$(dirname "$log")/Pelmot.book" ] || fault "no book link beside $log"
    else
        fault "no log in $logdir/logs ($*)"
    fi
}

move='\([a-h][1-8][a-h][1-8][qrbn]\{0,1\}\)'
xboardGame='xboard\nprotover 2\nnew\ngo\n'
if [ -n "$command" ]; then
    session "$command" "$xboardGame" "move $move" "$dir/home/.local/share/pelmot" HOME="$dir/home"
    session "$command" "$xboardGame" "move $move" "$dir/xdg/pelmot" HOME="$dir/home" XDG_DATA_HOME="$dir/xdg"
    # A relative XDG_DATA_HOME is not a base folder: the default is used.
    session "$command" "$xboardGame" "move $move" "$dir/home/.local/share/pelmot" HOME="$dir/home" XDG_DATA_HOME=relative
fi
if [ -n "$uciCommand" ]; then
    session "$uciCommand" 'uci\nucinewgame\nposition startpos\ngo wtime 60000 btime 60000\n' "bestmove $move.*" \
        "$dir/home/.local/share/pelmot" HOME="$dir/home"
fi
# Two engines at once, as PyChess starts its player and hint engines. The
# per-user folder already holds folders of ended engines: ids above the
# largest a process can have, oldest first, the oldest with a file of the
# user's; and one of a running process.
if [ -n "$command" ]; then
    logs=$dir/home/.local/share/pelmot/logs
    now=$(date +%s)
    mkdir -p "$logs/9000001" && echo notes >"$logs/9000001/notes.txt"
    for i in 1 2 3 4 5 6 7 8; do
        mkdir -p "$logs/900000$i" && echo old >"$logs/900000$i/Pelmot.log"
        touch -d "@$((now - 100 + i))" "$logs/900000$i"
    done
    sleep 60 &
    running=$!
    mkdir "$logs/$running"
    touch -d "@$((now - 200))" "$logs/$running"
    together=()
    for move in e2e4 d2d4; do
        { printf 'xboard\nprotover 2\nnew\nforce\n%s\n' $move; sleep 2; printf 'quit\n'; } |
            (cd "$dir/elsewhere" && env -u XDG_DATA_HOME HOME="$dir/home" timeout 30 sh -c "$command") >/dev/null 2>&1 &
        together+=($!)
    done
    wait "${together[@]}"
    kill "$running"
    for move in e2e4 d2d4; do
        log=$(grep -lx -- "::cmd:: $move" "$logs"/*/Pelmot.log)
        [ "$(echo "$log" | wc -w)" -eq 1 ] || { fault "move $move in the logs: ${log:-none}"; continue; }
        [ "$(grep -c -- '^::cmd:: ' "$log")" -eq 7 ] && grep -qx -- '::cmd:: quit' "$log" ||
            fault "the log of the engine given $move is not its whole story: $(grep -- '^::cmd:: ' "$log" | tr '\n' '|')"
    done
    # The three sessions above and the newest three of the eight are kept;
    # of the oldest only the user's file.
    kept=$(cd "$logs" && echo 900000*)
    [ "$kept" = "9000001 9000006 9000007 9000008" ] || fault "ended engines' folders kept: $kept"
    [ "$(ls "$logs/9000001")" = notes.txt ] || fault "folder 9000001 holds: $(ls "$logs/9000001")"
    [ -d "$logs/$running" ] || fault "the folder of a running engine was removed"
fi

strays=$(find "$dir/elsewhere" "$prefix" "$dir/home" -maxdepth 1 -name Pelmot.log; find "$dir/elsewhere" -mindepth 1)
[ -z "$strays" ] || fault "files outside the per-user folder: $strays"

[ ${#faults[@]} -eq 0 ] && { echo "ok"; exit 0; }
echo "FAILED:"
printf '  %s\n' "${faults[@]}"
exit 1
