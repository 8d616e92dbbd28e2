#!/usr/bin/env bash
# The fixed-depth bench is the search's signature: its node total must equal
# the reference kept in the tree. A change that is meant to move it updates
# the reference in the same commit.
set -u
bench=$1
reference_file=$2
expected=$(tr -d '[:space:]' < "$reference_file")
output=$("$bench") || { echo "pelmot-bench failed:"; echo "$output"; exit 1; }
actual=$(printf '%s\n' "$output" | sed -n 's/^nodes \([0-9]*\)$/\1/p')
if [ "$actual" != "$expected" ]; then
    echo "bench node total $actual, reference $expected ($reference_file)"
    exit 1
fi
echo "Bench: $actual"
