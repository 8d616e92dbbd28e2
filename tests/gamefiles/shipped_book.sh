#!/usr/bin/env bash
# The shipped book loads with "new" and "go" answers with a book move at once;
# without a book file "new" reports the book error.
set -u
engine=$1
book=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/with" "$work/without"
cp "$book" "$work/with/Pelmot.book"

session() {
    (cd "$1" && { printf 'xboard\nprotover 2\nnew\ngo\n'; sleep 1; printf 'quit\n'; } | timeout 30 "$engine")
}

out=$(session "$work/with")
if grep -q "tellusererror" <<<"$out"; then
    echo "book error with the shipped book:"; echo "$out"; exit 1
fi
if ! grep -Eq '^move (e2e4|d2d4|c2c4|g1f3|f2f4|g2g3)$' <<<"$out"; then
    echo "no book move after go:"; echo "$out"; exit 1
fi
if ! grep -q 'move(book)' "$work/with/Pelmot.log"; then
    echo "the log shows no book move:"; cat "$work/with/Pelmot.log"; exit 1
fi

out=$(session "$work/without")
if ! grep -q "^tellusererror BOOK ERROR!" <<<"$out"; then
    echo "no book error without a book:"; echo "$out"; exit 1
fi
exit 0
