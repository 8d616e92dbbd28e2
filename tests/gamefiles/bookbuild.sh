#!/usr/bin/env bash
# The book builder never destroys a book: it refuses a source with an
# illegal move and names the move, keeps the old book when the new one
# fails, replaces it whole when it succeeds, and never writes to or removes
# an output that is not a regular file.
# Usage: bookbuild.sh BUILDER ILLEGAL_SOURCE GOOD_SOURCE
set -u
builder=$1 illegal=$2 good=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
leftovers() { ls "$work"/books 2>/dev/null | grep -v -x -e out.book -e link.book -e real.book -e fifo -e folder; }
mkdir books

"$builder" "$illegal" books/out.book 2>errors && fail "the builder accepted an illegal move"
[ -e books/out.book ] && fail "the builder left a book behind"
grep -q 'Bb5+' errors || fail "the builder did not name the faulty move: $(cat errors)"

"$builder" "$good" books/out.book > made || fail "the good source was refused"
cp books/out.book good.book
"$builder" "$illegal" books/out.book 2>errors && fail "the builder accepted an illegal move"
cmp books/out.book good.book || fail "a failed build changed the old book"

printf 'an old book' > books/out.book
"$builder" "$good" books/out.book > made || fail "the good source was refused over an old book"
cmp books/out.book good.book || fail "the old book was not replaced"

# Through a link the book it names is replaced; the link stays.
printf 'an old book' > books/real.book
ln -s real.book books/link.book
"$builder" "$good" books/link.book > made || fail "the good source was refused through a link"
[ -L books/link.book ] || fail "the link was replaced"
cmp books/real.book good.book || fail "the linked book was not replaced"

mkfifo books/fifo
mkdir books/folder
for odd in fifo folder; do
    # A builder that opened the FIFO for writing would wait there for ever.
    timeout 20 "$builder" "$good" "books/$odd" 2>errors && fail "the builder wrote to a $odd"
    grep -q 'not a regular file' errors || fail "$odd: $(cat errors)"
done
[ -p books/fifo ] && [ -d books/folder ] || fail "an output that is not a regular file was removed"
[ -z "$(leftovers)" ] || fail "files left beside the book: $(leftovers)"
exit 0
