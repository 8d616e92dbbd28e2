#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks the layout, then starts
# the engine as xboard's engine list does, with a scratch home and from a
# folder that is neither the install folder nor the per-user one: it must
# answer "go" after "new" with a book move, report no book error, and write
# its log in the per-user folder only.
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

for file in games/pelmot games/pelmot-run games/pelmot-games; do
    [ -x "$prefix/$file" ] || fault "no program $file"
done
for file in share/games/pelmot/Pelmot.book share/games/plugins/xboard/pelmot.eng share/man/man6/pelmot.6; do
    [ -s "$prefix/$file" ] || fault "no file $file"
done
unexpected=$(cd "$prefix" && find . -type f | sort | grep -vxE '\./(games/pelmot|games/pelmot-run|games/pelmot-games|share/games/pelmot/Pelmot.book|share/games/plugins/xboard/pelmot.eng|share/man/man6/pelmot.6)')
[ -z "$unexpected" ] || fault "unexpected files installed: $unexpected"
# The game-file command runs from where it is installed.
"$prefix/games/pelmot-games" --help 2>&1 | grep -q '^Usage: pelmot-games ' || fault "pelmot-games --help gives no usage"
if command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z "$prefix/share/man/man6/pelmot.6" 2>&1)
    [ -z "$warnings" ] || fault "man page warnings: $warnings"
fi

# The engine-list entry: the header line xboard expects (the one the entries
# of the installed engines open with), the command, the variants.
entry=$prefix/share/games/plugins/xboard/pelmot.eng
header=
for peer in /usr/share/games/plugins/xboard/*.eng; do
    [ -f "$peer" ] && header=$(sed -n 1p "$peer") && break
done
command=
if [ -f "$entry" ]; then
    [ -z "$header" ] || [ "$(sed -n 1p "$entry")" = "$header" ] || fault "engine-list entry line 1: $(sed -n 1p "$entry"), not '$header'"
    [ "$(sed -n 3p "$entry")" = "chess" ] || fault "engine-list entry line 3: $(sed -n 3p "$entry")"
    [ "$(wc -l <"$entry")" -eq 3 ] || fault "engine-list entry has $(wc -l <"$entry") lines"
    command=$(sed -n 2p "$entry")
fi

# One session through the entry's command; $1 is the expected log folder,
# the rest are environment settings.
session() {
    local logdir=$1
    shift
    local out=$dir/session-$(basename "$logdir").out
    printf 'xboard\nprotover 2\nnew\ngo\n' |
        (cd "$dir/elsewhere" && env -u XDG_DATA_HOME "$@" timeout 30 sh -c "$command") >"$out" 2>&1
    local move
    move=$(sed -n 's/^move \([a-h][1-8][a-h][1-8][qrbn]\{0,1\}\)$/\1/p' "$out")
    [ -n "$move" ] || fault "no move after go ($*): $(tr '\n' '|' <"$out")"
    grep -q "BOOK ERROR" "$out" && fault "book error ($*)"
    if [ -f "$logdir/Pelmot.log" ]; then
        grep -qx -- "-M: move(book): $move" "$logdir/Pelmot.log" || fault "move $move was not from the book ($*)"
    else
        fault "no log in $logdir ($*)"
    fi
    [ -e "$logdir/Pelmot.book" ] || fault "no book link in $logdir"
}

if [ -n "$command" ]; then
    session "$dir/home/.local/share/pelmot" HOME="$dir/home"
    session "$dir/xdg/pelmot" HOME="$dir/home" XDG_DATA_HOME="$dir/xdg"
    # A relative XDG_DATA_HOME is not a base folder: the default is used.
    session "$dir/home/.local/share/pelmot" HOME="$dir/home" XDG_DATA_HOME=relative
    strays=$(find "$dir/elsewhere" "$prefix" "$dir/home" -maxdepth 1 -name Pelmot.log; find "$dir/elsewhere" -mindepth 1)
    [ -z "$strays" ] || fault "files outside the per-user folder: $strays"
fi

[ ${#faults[@]} -eq 0 ] && { echo "ok"; exit 0; }
echo "FAILED:"
printf '  %s\n' "${faults[@]}"
exit 1
