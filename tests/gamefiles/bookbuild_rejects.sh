#!/usr/bin/env bash
# The book builder refuses a source with an illegal move, names the move and
# leaves no book behind.
set -u
builder=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if (cd "$work" && "$builder" "$source" "$work/out.book") 2>"$work/errors"; then
    echo "the builder accepted an illegal move"; exit 1
fi
if [ -e "$work/out.book" ]; then
    echo "the builder left a book behind"; exit 1
fi
if ! grep -q 'Bb5+' "$work/errors"; then
    echo "the builder did not name the faulty move:"; cat "$work/errors"; exit 1
fi
exit 0
