#!/usr/bin/env python3
"""Plays a short game against an engine in GNOME Chess, clicking its board.

usage: xvfb-run -a -s "-screen 0 1024x768x24" \\
           scripts/gnome-chess-game.py ENGINES_CONF OPPONENT DIFFICULTY [MOVES] [FOLDER]

A benchmark by hand, not a test: it shows what a GNOME Chess user gets at a
difficulty. GNOME Chess (Debian's gnome-chess), xdotool, ImageMagick and
Stockfish (/usr/games/stockfish) must be installed. The game runs with a
home of its own, FOLDER/home (default: a new folder under /tmp), holding
ENGINES_CONF as its GNOME Chess engine list, so the engines' logs stay there.
The human plays white with Stockfish's moves at depth 1 and skill 0; the
engine plays black. Each move pair is printed with the engine's thinking
time and the depth of its last thinking line, both from GNOME Chess's debug
output (FOLDER/gnome-chess.debug); screenshots go to FOLDER.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

# The board's dark frame: 8 squares and half a square of frame each side.
FRAME_COLOUR = "#2E3436"
FRAME_SQUARES = 9
# An engine move slower than this is taken for a hang.
MOVE_SECONDS = 120


def main(conf, opponent, difficulty, moves=10, folder=None):
    folder = os.path.abspath(folder or tempfile.mkdtemp(prefix="gnome-chess-game-"))
    home = os.path.join(folder, "home")
    os.makedirs(os.path.join(home, ".config/gnome-chess"), exist_ok=True)
    os.makedirs(os.path.join(home, ".config/glib-2.0/settings"), exist_ok=True)
    shutil.copy(conf, os.path.join(home, ".config/gnome-chess/engines.conf"))
    # A new game rather than the saved one, with the settings of this run;
    # the keyfile backend keeps GNOME Chess's settings in the scratch home.
    shutil.rmtree(os.path.join(home, ".local/share/gnome-chess"), ignore_errors=True)
    with open(os.path.join(home, ".config/glib-2.0/settings/keyfile"), "w") as f:
        f.write("[org/gnome/Chess]\nopponent='%s'\ndifficulty='%s'\nplay-as='white'\n" % (opponent, difficulty))
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               GSETTINGS_BACKEND="keyfile", G_MESSAGES_DEBUG="all")
    debug_path = os.path.join(folder, "gnome-chess.debug")

    def run(*args):
        return subprocess.run(args, env=env, check=True, capture_output=True, text=True).stdout

    def shot(name):
        path = os.path.join(folder, name)
        run("import", "-window", "root", path)
        return path

    def debug_lines():
        with open(debug_path, errors="replace") as f:
            return f.read().splitlines()

    def seconds(line):
        h, m, s = re.search(r"(\d\d):(\d\d):(\d\d\.\d+)", line).groups()
        return int(h) * 3600 + int(m) * 60 + float(s)

    with open(debug_path, "w") as debug:
        gnome_chess = subprocess.Popen(["/usr/games/gnome-chess"], env=env, stdout=debug, stderr=subprocess.STDOUT)
    stockfish = subprocess.Popen(["/usr/games/stockfish"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        run("xdotool", "search", "--sync", "--onlyvisible", "--name", "to Move")
        time.sleep(2)
        frame = run("convert", shot("start.png"), "-fuzz", "1%", "-fill", "black", "+opaque", FRAME_COLOUR,
                    "-fill", "white", "-opaque", FRAME_COLOUR, "-trim", "info:")
        width, left, top = map(int, re.search(r" (\d+)x\d+ \d+x\d+\+(\d+)\+(\d+)", frame).groups())
        square = width / FRAME_SQUARES
        print("board: frame of %d px at %d,%d, squares of %.0f px" % (width, left, top, square))

        def click(name):
            column, row = ord(name[0]) - ord("a"), 8 - int(name[1])
            run("xdotool", "mousemove", str(int(left + square * (column + 1))), str(int(top + square * (row + 1))),
                "click", "1")

        stockfish.stdin.write("setoption name Skill Level value 0\n")
        played = []
        for number in range(1, moves + 1):
            stockfish.stdin.write("position startpos moves %s\ngo depth 1\n" % " ".join(played))
            stockfish.stdin.flush()
            line = ""
            while not line.startswith("bestmove"):
                line = stockfish.stdout.readline()
            mine = line.split()[1]
            # A promotion would open GNOME Chess's piece dialog.
            if mine == "(none)" or len(mine) > 4:
                print("stopped before the human's move %s" % mine)
                break
            answered = len([l for l in debug_lines() if "Engine moves" in l])
            time.sleep(0.5)
            click(mine[:2])
            time.sleep(0.3)
            click(mine[2:])
            began = time.monotonic()
            while len([l for l in debug_lines() if "Engine moves" in l]) == answered:
                if time.monotonic() - began > MOVE_SECONDS:
                    sys.exit("no engine move within %d s after %s" % (MOVE_SECONDS, mine))
                time.sleep(0.2)
            lines = debug_lines()
            asked = max(i for i, l in enumerate(lines) if "Writing line to engine: 'go" in l)
            answer = next(i for i in range(asked, len(lines)) if "Engine moves" in lines[i])
            reply = lines[answer].split()[-1]
            depths = [m.group(1) for m in (re.search(r"Read from engine: '(?:info depth |\s*)(\d+) ", l)
                                           for l in lines[asked:answer]) if m]
            played += [mine, reply]
            print("%2d. %s %s   engine: %.2f s, depth %s" % (number, mine, reply,
                  seconds(lines[answer]) - seconds(lines[asked]), depths[-1] if depths else "- (book)"))
        time.sleep(1)
        print("screenshots and debug output in", folder)
        shot("end.png")
    finally:
        stockfish.kill()
        gnome_chess.terminate()
        gnome_chess.wait()


if __name__ == "__main__":
    if not 4 <= len(sys.argv) <= 6:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3], *([int(sys.argv[4])] if len(sys.argv) > 4 else []),
         *sys.argv[5:6])
