#!/usr/bin/env python3
"""Builds a large PGN collection of distinct games for timing "pgn2game".

Every prefix of every game of a source collection, with each of the three
results, is a distinct game: a collection of a few dozen real games gives tens
of thousands. The SAN moves are taken from pgn-extract's reading of the source.

usage: make_bench_pgn.py SOURCE.pgn COUNT OUT.pgn
"""
import subprocess
import sys


def main():
    source, count, out_name = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    text = subprocess.run(
        ["pgn-extract", "-s", "-C", "-N", "-V", "--notags", "--nomovenumbers", "--noresults", "-w100000", source],
        capture_output=True, text=True, check=True).stdout
    games = [line.split() for line in text.splitlines() if line.strip()]
    seen = set()
    written = 0
    with open(out_name, "w") as out:
        for result in ("1-0", "0-1", "1/2-1/2"):
            for index, moves in enumerate(games):
                for length in range(1, len(moves) + 1):
                    if written >= count:
                        return
                    key = (tuple(moves[:length]), result)
                    if key in seen:
                        continue
                    seen.add(key)
                    written += 1
                    out.write(f'[Event "Prefix {length} of game {index + 1}"]\n[Site "bench"]\n'
                              f'[Date "2026.12.07"]\n[Round "{written}"]\n[White "White {index % 7}"]\n'
                              f'[Black "Black {index % 5}"]\n[Result "{result}"]\n\n')
                    line = ""
                    for ply, move in enumerate(moves[:length]):
                        token = (f"{ply // 2 + 1}. " if ply % 2 == 0 else "") + move
                        if len(line) + len(token) + 1 > 79:
                            out.write(line + "\n")
                            line = token
                        else:
                            line = f"{line} {token}" if line else token
                    out.write(f"{line} {result}\n\n")
    if written < count:
        sys.exit(f"only {written} distinct games")


if __name__ == "__main__":
    main()
