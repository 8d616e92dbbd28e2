#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks the layout, then starts
# the engine as xboard's engine list does, with a scratch home and from a
# folder that is neither the install folder nor the per-user one: it must
# answer "go" after "new" with a book move, report no book error, and write
# its log in the per-user folder only. The UCI entry's command, as polyglot
# starts it, must do the same in UCI mode.
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
    if [ -f "$logdir/Pelmot.log" ]; then
        grep -qx -- "-M: move(book): $move" "$logdir/Pelmot.log" || fault "move $move was not from the book ($*)"
    else
        fault "no log in $logdir ($*)"
    fi
    [ -e "$logdir/Pelmot.book" ] || fault "no book link in $logdir"
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
strays=$(find "$dir/elsewhere" "$prefix" "$dir/home" -maxdepth 1 -name Pelmot.log; find "$dir/elsewhere" -mindepth 1)
[ -z "$strays" ] || fault "files outside the per-user folder: $strays"

[ ${#faults[@]} -eq 0 ] && { echo "ok"; exit 0; }
echo "FAILED:"
printf '  %s\n' "${faults[@]}"
exit 1
