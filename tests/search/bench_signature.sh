#!/usr/bin/env bash
# The fixed-depth bench is the search's signature: its node total, as the
# engine's own "pelmot bench" prints it for testing frameworks (its last
# line is "N nodes M nps"), must equal the reference kept in the tree. A
# change that is meant to move it updates the reference in the same commit.
set -u
engine=$1
reference_file=$2
expected=$(tr -d '[:space:]' < "$reference_file")
output=$("$engine" bench) || { echo "pelmot bench failed:"; echo "$output"; exit 1; }
actual=$(printf '%s\n' "$output" | tail -n 1 | sed -n 's/^\([0-9]*\) nodes [0-9]* nps$/\1/p')
if [ "$actual" != "$expected" ]; then
    echo "bench node total '$actual', reference $expected ($reference_file); output ends:"
    printf '%s\n' "$output" | tail -n 3
    exit 1
fi
echo "Bench: $actual"
