#!/usr/bin/env python3
"""UCI sessions with the engine: one behaviour group per run.

usage: uci_sessions.py ENGINE BOOK CASE

Built on the xboard sessions' harness (protocol_test.py): every engine runs
in a scratch folder, every read has a deadline scaled for sanitizer builds,
and a sanitizer report fails the case. Moves the engine chooses are checked
for legality by a second engine in xboard mode.
"""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import protocol_test as pt  # noqa: E402
from protocol_test import Engine, check  # noqa: E402

HANDSHAKE = re.compile(
    r"id name Pelmot \d+\.\d+\n"
    r"id author .+\n"
    r"option name Hash type spin default 36 min 1 max 32768\n"
    r"option name Threads type spin default 1 min 1 max 1\n"
    r"option name MultiPV type spin default 1 min 1 max 256\n"
    r"option name Ponder type check default true\n"
    r"option name OwnBook type check default true\n"
    r"option name UCI_AnalyseMode type check default false\n"
    r"option name UCI_LimitStrength type check default false\n"
    r"option name UCI_Elo type spin default (\d+) min (\d+) max \1\n"
    r"option name Clear Hash type button\n"
    r"uciok\n")
# A scored line; progress lines and the root move being searched come between.
INFO = re.compile(r"info depth (?P<depth>\d+) seldepth (?P<seldepth>\d+)( multipv (?P<multipv>\d+))? "
                  r"score (?P<score>cp -?\d+|mate -?\d+)(?P<bound> upperbound| lowerbound)? nodes (?P<nodes>\d+)"
                  r"( nps \d+)? hashfull (?P<hashfull>\d+) time (?P<time>\d+)"
                  r"(?P<pv> pv( [a-h][1-8][a-h][1-8][qrbn]?)+)?")
PROGRESS = re.compile(r"info nodes \d+( nps \d+)? hashfull \d+ time (\d+)")
CURRENT_MOVE = re.compile(r"info depth \d+ currmove [a-h][1-8][a-h][1-8][qrbn]? currmovenumber \d+")
BESTMOVE = r"^bestmove (\S+)(?: ponder (\S+))?$"
START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"


def start_uci(book=False, setup=""):
    engine = Engine(book)
    engine.send("uci\n" + setup)
    engine.expect("^uciok$", what="uciok")
    return engine


class Answer:
    """One search: the lines before its bestmove, the move and the ponder move."""

    def __init__(self, text, match, seconds):
        self.lines = [l for l in text.split("\n") if l]
        self.move, self.ponder = match.group(1), match.group(2)
        self.seconds = seconds
        self.infos = [l for l in self.lines if l.startswith("info depth") and not CURRENT_MOVE.fullmatch(l)]
        for line in self.infos:
            check(INFO.fullmatch(line) or re.fullmatch("info depth 0 score (mate 0|cp 0)", line),
                  "malformed info line %r" % line)
        for line in self.lines:
            check(not line.startswith("info") or line.startswith(("info depth", "info string"))
                  or PROGRESS.fullmatch(line), "malformed line %r" % line)
        scored = [l for l in self.infos if " pv " in l]
        check(all(a != b for a, b in zip(scored, scored[1:])), "a line sent twice: %s" % scored)
        self.notes = [l[len("info string "):] for l in self.lines if l.startswith("info string ")]

    def last(self):
        check(self.infos, "no info line before bestmove %s" % self.move)
        return INFO.fullmatch(self.infos[-1])

    def nodes(self):
        """The nodes of the search: the last figures before bestmove."""
        figures = [l for l in self.lines if " nodes " in l]
        check(figures, "no figures before bestmove %s" % self.move)
        return int(re.search(r" nodes (\d+)", figures[-1]).group(1))


def search(engine, command, seconds=30):
    """Sends command (a "go" and what precedes it); waits for the bestmove."""
    began = time.monotonic()
    # From the start of a line: an earlier expect may have stopped inside one.
    text = engine.stdout()
    cursor = engine.cursor
    if text[cursor:cursor + 1] == "\n":
        cursor += 1
    else:
        cursor = text.rfind("\n", 0, cursor) + 1
    engine.send(command)
    m = engine.expect(BESTMOVE, seconds=seconds, what="bestmove after %r" % command)
    return Answer(engine.stdout()[cursor:m.start()], m, time.monotonic() - began)


def nothing_more(engine, seconds):
    """Waits; fails if a bestmove arrives meanwhile."""
    time.sleep(seconds)
    check("bestmove" not in engine.stdout()[engine.cursor:],
          "bestmove before stop or ponderhit:\n" + engine.stdout()[engine.cursor:])


def ready(engine, seconds=10):
    engine.send("isready\n")
    engine.expect("^readyok$", seconds=seconds, what="readyok")


def legal(setup, moves, what):
    """The moves after an xboard set-up are legal."""
    illegal = pt.illegal_in_force_mode(setup, moves)
    check(not illegal, "%s: %s refused in %r after %s" % (what, illegal, setup, moves))


# ---- Cases ---------------------------------------------------------------------

def case_handshake():
    # The handshake exactly; no xboard text; the log records the session.
    e = start_uci()
    try:
        check(HANDSHAKE.fullmatch(e.stdout()), "handshake %r" % e.stdout())
        # Accepted and silent; unknown options and bad values are named.
        cursor = e.cursor
        e.send("debug on\nregister later\nsetoption name NalimovCache value 4\n"
               "setoption name Hash value lots\nsetoption name Hash value 0\nsetoption name Ponder value maybe\n"
               "setoption name\n")
        ready(e)
        notes = re.findall(r"^info string (.*)$", e.stdout()[cursor:], re.M)
        check(len(notes) == 5 and "NalimovCache" in notes[0] and all("ignored" in n for n in notes[:4]),
              "notes %s" % notes)
        check(e.stdout()[cursor:].strip().count("\n") == 5, "output %r" % e.stdout()[cursor:])

        # Hash: the largest power of two of buckets that fits, at once while idle.
        e.send("setoption name Hash value 1\n")
        ready(e)
        e.wait_log(r"-M: the table has 16384 buckets, all empty")
        e.send("setoption name Hash value 36\n")
        ready(e)
        e.wait_log(r"-M: the table has 1048576 buckets, all empty")

        # Clear Hash: a search repeated in the same position is answered
        # from the table, until the table is cleared.
        setup = "setoption name OwnBook value false\nposition startpos moves d2d4\n"
        first = search(e, setup + "go depth 7\n")
        again = search(e, "position startpos moves d2d4\ngo depth 7\n")
        e.send("setoption name Clear Hash\n")
        cleared = search(e, "position startpos moves d2d4\ngo depth 7\n")
        check(again.nodes() * 10 < first.nodes(), "the table did not help: %d, %d nodes"
              % (first.nodes(), again.nodes()))
        check(cleared.nodes() == first.nodes(), "Clear Hash: %d nodes, first %d" % (cleared.nodes(), first.nodes()))
        # The expected reply goes with every bestmove, as a ponder move or
        # a hint, pondering on or off.
        check(first.ponder, "no ponder move with Ponder on")
        e.send("setoption name Ponder value false\n")
        quiet = search(e, "go depth 5\n")
        check(quiet.ponder, "no expected reply with Ponder off")
        legal("new\n", ["d2d4", first.move, first.ponder], "ponder move")
        log = e.log_lines()
        for line in ("::cmd:: uci", "::cmd:: position startpos moves d2d4", "::cmd:: go depth 7"):
            check(line in log, "no log line %r" % line)
        e.finish()
    finally:
        e.kill()

    # OwnBook: the book answers at once from the start position; off, it is never used.
    e = start_uci(book=True)
    try:
        booked = search(e, "ucinewgame\nposition startpos\ngo wtime 300000 btime 300000\n")
        check(booked.notes == ["book move " + booked.move] and not booked.infos, "book answer %s" % booked.lines)
        check(booked.seconds < 3 * pt.SCALE, "the book move took %.1f s" % booked.seconds)
        e.wait_log(r"-M: move\(book\): " + booked.move)
        # Pondering in the book: the book's move once the ponder move is played.
        e.send("position startpos moves %s %s\ngo ponder wtime 300000 btime 300000\n" % (booked.move, booked.ponder))
        nothing_more(e, 0.5)
        hit = search(e, "ponderhit\n", seconds=5)
        check(hit.notes == ["book move " + hit.move], "book answer after ponderhit %s" % hit.lines)
        searched = search(e, "setoption name OwnBook value false\nucinewgame\nposition startpos\ngo depth 3\n")
        check(searched.infos and not searched.notes, "OwnBook false: %s" % searched.lines)
        e.finish()
    finally:
        e.kill()
    # Without a book file: a note, not xboard's error line.
    e = start_uci()
    try:
        answer = search(e, "ucinewgame\nposition startpos\ngo depth 3\n")
        check("tellusererror" not in e.stdout(), "xboard's book error in UCI mode")
        check(any("Pelmot.book" in n for n in answer.notes), "no note of the missing book: %s" % answer.notes)
        e.finish()
    finally:
        e.kill()


def case_limits():
    # Depth, nodes and movetime end the search there; isready is answered
    # while it runs; an infinite search waits for stop even when it is done.
    e = start_uci(setup="setoption name OwnBook value false\nposition startpos moves e2e4\n")
    try:
        depth = search(e, "go depth 6\n")
        # Every iteration, then the end; a failed window may come between.
        depths = [int(INFO.fullmatch(l).group("depth")) for l in depth.infos if not INFO.fullmatch(l).group("bound")]
        check(depths == [2, 3, 4, 5, 6], "depths %s" % depth.infos)
        nodes = search(e, "ucinewgame\nposition startpos moves e2e4\ngo nodes 30000\n")
        check(30000 <= nodes.nodes() < 32000, "go nodes 30000: %d nodes" % nodes.nodes())
        timed = search(e, "position startpos moves e2e4 e7e5\ngo movetime 700\n")
        check(0.4 <= timed.seconds < 0.7 + 0.3 * pt.SCALE, "movetime 700: %.2f s" % timed.seconds)
        legal("new\n", ["e2e4", depth.move], "go depth")
        legal("new\n", ["e2e4", nodes.move], "go nodes")
        legal("new\n", ["e2e4", "e7e5", timed.move], "go movetime")

        e.send("position startpos\ngo infinite\n")
        e.expect("^info depth 7 seldepth ", what="iteration 7")
        ready(e, seconds=2)
        nothing_more(e, 0.2)
        infinite = search(e, "stop\n", seconds=5)
        legal("new\n", [infinite.move], "go infinite")

        # Mate in one: the search ends at once, bestmove still waits.
        e.send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\ngo infinite\n")
        e.expect(r"^info depth 2 seldepth \d+ score mate 1 ", what="the mate")
        nothing_more(e, 1.0)
        ready(e, seconds=2)
        mate = search(e, "stop\n", seconds=5)
        check(mate.move == "a1a8", "mate in one: bestmove %s" % mate.move)
        # Stray stops and ponderhits are harmless.
        e.send("stop\nponderhit\n")
        ready(e)
        e.finish()
    finally:
        e.kill()


def case_ponder():
    # A ponder search prints its thinking and waits; ponderhit makes it the
    # timed search (here 10 s on the clock: a budget of 220 ms), stop ends it.
    e = start_uci(setup="setoption name OwnBook value false\n")
    try:
        e.send("position startpos moves e2e4 e7e5\ngo ponder wtime 10000 btime 10000\n")
        e.expect("^info depth 7 seldepth ", seconds=30, what="thinking while pondering")
        nothing_more(e, 0.5)
        hit = search(e, "ponderhit\n", seconds=5)
        check(hit.seconds < 0.22 + 0.5 * pt.SCALE, "bestmove %.2f s after ponderhit" % hit.seconds)
        legal("new\n", ["e2e4", "e7e5", hit.move], "ponderhit")

        e.send("position startpos moves e2e4 e7e5 g1f3\ngo ponder wtime 10000 btime 10000\n")
        nothing_more(e, 0.5)
        stopped = search(e, "stop\n", seconds=5)
        legal("new\n", ["e2e4", "e7e5", "g1f3", stopped.move], "ponder stopped")

        # A ponder search that has ended by itself (a mate) waits for ponderhit.
        e.send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\ngo ponder wtime 10000 btime 10000\n")
        e.expect(r"^info depth 2 seldepth \d+ score mate 1 ", what="the mate")
        nothing_more(e, 0.5)
        mate = search(e, "ponderhit\n", seconds=5)
        check(mate.move == "a1a8", "bestmove %s" % mate.move)
        e.finish()
    finally:
        e.kill()


def case_clocks():
    # The budget and the cap of xboard mode, from the side to move's clock.
    # Times are taken on the real clock, whatever the build.
    cases = [
        # One move to go on 3 s: a budget of 2 s, the cap of all but a second.
        ("position startpos moves e2e4\ngo wtime 1 btime 3000 movestogo 1\n", 1.5, 3.0),
        # Black's 1 s plus 0.5 s a move: the cap of half a short clock.
        ("position startpos moves e2e4\ngo wtime 100000 btime 1000 winc 100000 binc 500\n", 0.3, 1.0),
        # White's clock, not black's: 5 s, 40 moves, no increment: 100 ms.
        ("position startpos\ngo wtime 5000 btime 600000\n", 0.0, 1.0),
        # A fallen flag still gets a quick, legal move.
        ("position startpos\ngo wtime -500 btime 600000 winc 0\n", 0.0, 1.0),
    ]
    for command, least, most in cases:
        e = start_uci(setup="setoption name OwnBook value false\n")
        try:
            # Only the search is timed: under a sanitizer, setting up the
            # position (a fresh one clears the table) can take most of a second.
            position, go = command.split("\n")[:2]
            e.send(position + "\n")
            ready(e)
            answer = search(e, go + "\n")
            check(least <= answer.seconds < most, "%r: bestmove after %.2f s" % (command, answer.seconds))
            print("%s: %.2f s" % (command.split("\n")[1], answer.seconds))
            moves = command.split("\n")[0].split()[3:]
            legal("new\n", moves + [answer.move], command)
            e.finish()
        finally:
            e.kill()


def case_positions():
    e = start_uci(setup="setoption name OwnBook value false\n")
    try:
        # En passant, castling both ways and a promotion, sent as a game
        # that grows: each position plays only its new moves.
        fen = "r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1"
        moves = ["e5d6", "e8g8", "b7b8q", "a8b8", "e1c1"]
        for n in (1, 3, 5):
            e.send("position fen %s moves %s\n" % (fen, " ".join(moves[:n])))
        after = search(e, "go depth 4\n")
        check(not after.notes, "notes %s" % after.notes)
        keys = [l for l in e.log_lines() if re.fullmatch(pt.KEY_LINE, l)]
        check(len(keys) == 5, "%d moves played for a game of 5" % len(keys))
        legal("setboard %s\n" % fen, moves + [after.move], "after castling, en passant and promotion")
        # Back one move (a takeback) and on again: the board follows.
        e.send("position fen %s moves %s\n" % (fen, " ".join(moves[:4])))
        back = search(e, "go depth 4\n")
        legal("setboard %s\n" % fen, moves[:4] + [back.move], "one move back")

        # A game continued by the engine's move and the expected reply keeps
        # the table: the next search needs far fewer nodes than afresh.
        first = search(e, "ucinewgame\nposition startpos moves e2e4 e7e5\ngo depth 8\n")
        line = "position startpos moves e2e4 e7e5 %s %s\n" % (first.move, first.ponder)
        kept = search(e, line + "go depth 6\n")
        fresh = search(e, "ucinewgame\n" + line + "go depth 6\n")
        check(kept.nodes() * 2 < fresh.nodes(), "continued game: %d nodes, afresh %d" % (kept.nodes(), fresh.nodes()))
        print("continued game: %d nodes, afresh: %d" % (kept.nodes(), fresh.nodes()))

        # No legal move: answered at once.
        mated = search(e, "position fen 7k/8/8/8/8/8/5PPP/r5K1 w - - 0 1\ngo infinite\n", seconds=5)
        check(mated.lines == ["info depth 0 score mate 0"] and mated.move == "0000", "mated: %s %s"
              % (mated.lines, mated.move))
        stalemate = search(e, "position fen 7k/8/8/8/8/8/5q2/7K w - -\ngo wtime 1000 btime 1000\n", seconds=5)
        check(stalemate.lines == ["info depth 0 score cp 0"] and stalemate.move == "0000", "stalemate: %s %s"
              % (stalemate.lines, stalemate.move))
        # A game the front end goes on playing after a threefold repetition:
        # a note, and still a searched move.
        shuffle = ["g1f3", "g8f6", "f3g1", "f6g8"] * 2
        drawn = search(e, "position startpos moves %s\ngo depth 5\n" % " ".join(shuffle))
        check(any("three times" in n for n in drawn.notes) and drawn.infos, "drawn root: %s" % drawn.lines)
        legal("new\n", shuffle + [drawn.move], "drawn root")
        e.finish()
    finally:
        e.kill()


def case_bad_input():
    # Nothing crashes, hangs or changes the game: each bad line gets a note.
    e = start_uci(setup="setoption name OwnBook value false\n")
    try:
        def notes_for(text, count, readies=1):
            # readies: the readyok lines to wait for, the sentinel's included.
            cursor = e.cursor
            e.send(text + "isready\n")
            for _ in range(readies):
                e.expect("^readyok$", what="readyok")
            found = re.findall(r"^info string (.*)$", e.stdout()[cursor:], re.M)
            check(len(found) == count, "%r: notes %s" % (text[:80], found))
            return found

        notes_for("hello world\n", 1)
        notes_for("joho isready\n", 1, readies=2)
        notes_for("go wtime soon depth -3 mate 2 searchmoves e2e4\nstop\n", 1)
        notes_for("position\nposition sideways\nposition startpos e2e4\n", 3)
        # The crash of another engine: an unreadable FEN keeps the position.
        e.send("position startpos moves e2e4\n")
        for fen in ("garbage", "8/8/8/8 w", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 extra",
                    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - zero 1", "k7/8/8/8/8/8/8/K6q b - -"):
            notes_for("position fen %s moves d7d5\n" % fen, 1)
        kept = search(e, "go depth 3\n")
        legal("new\n", ["e2e4", kept.move], "after unreadable FENs")
        # An illegal or unreadable move ends the list there.
        for bad in ("e2e4", "e7e9", "e7", "O-O"):
            notes_for("position startpos moves e2e4 e7e5 %s g1f3\n" % bad, 1)
            stands = search(e, "go depth 3\n")
            legal("new\n", ["e2e4", "e7e5", stands.move], "after the illegal move " + bad)
        # Overlong lines, control bytes, and a game longer than the history.
        notes_for("position startpos moves " + "e2e4 " * 40000 + "\n", 1)
        e.proc.stdin.write(b"isready\x00go\x01\xff\xfe\n")
        notes_for("", 0, readies=2)
        shuffle = ["g1f3", "g8f6", "f3g1", "f6g8"] * 600 + ["e2e4"]
        e.send("position startpos moves %s\n" % " ".join(shuffle))
        long_game = search(e, "go depth 4\n")
        legal("new\n", ["e2e4", long_game.move], "after 2401 plies")
        e.finish()
    finally:
        e.kill()


def case_quit():
    # "quit" during a search, and the end of input: with an infinite search
    # stopped and answered, with a timed one after its time.
    for ending, answered in (("quit\n", False), ("", True)):
        e = start_uci(setup="setoption name OwnBook value false\n")
        try:
            e.send("position startpos\ngo infinite\n")
            e.expect("^info depth 7 seldepth ", what="iteration 7")
            began = time.monotonic()
            e.finish(command=ending, seconds=3)
            took = time.monotonic() - began
            check(("bestmove" in e.stdout()) == answered, "bestmove at %r: %s" % (ending, e.stdout()[-200:]))
            print("ended %s in %.2f s" % ("by quit" if ending else "at end of input", took))
        finally:
            e.kill()
    e = start_uci(setup="setoption name OwnBook value false\n")
    try:
        e.send("position startpos\ngo movetime 500\n")
        e.finish(command="", seconds=5)
        check(re.search(BESTMOVE, e.stdout(), re.M), "no bestmove after the input closed")
    finally:
        e.kill()


def score_of(m):
    """A scored line's score in centipawns, mates beyond every other score."""
    kind, value = m.group("score").split()
    value = int(value)
    return value if kind == "cp" else (100000 - value if value > 0 else -100000 - value)


def case_analysis():
    # What analysis front ends and testing frameworks use: the options, the
    # analysis mode without the book, several lines, chosen root moves, mate
    # searches, exact mate distances, live figures and a scored line before
    # every bestmove.
    e = start_uci(book=True)
    try:
        cursor = e.cursor
        e.send("setoption name Threads value 1\nsetoption name MultiPV value 1\nsetoption name UCI_Elo value 1500\n"
               "setoption name UCI_LimitStrength value false\nsetoption name UCI_AnalyseMode value true\n")
        ready(e)
        check("info string" not in e.stdout()[cursor:], "options refused: %s" % e.stdout()[cursor:])
        analysed = search(e, "position startpos\ngo depth 5\n")
        check(analysed.infos and not analysed.notes, "analysis of the start position: %s" % analysed.lines)
        e.send("setoption name UCI_AnalyseMode value false\nsetoption name OwnBook value false\n")

        plain = search(e, "ucinewgame\nposition startpos moves e2e4\ngo depth 7\n")
        e.send("setoption name MultiPV value 3\n")
        multi = search(e, "ucinewgame\nposition startpos moves e2e4\ngo depth 7\n")
        depths = {}
        for m in map(INFO.fullmatch, multi.infos):
            if not m.group("bound"):
                depths.setdefault(int(m.group("depth")), []).append(m)
        check(sorted(depths) == list(range(2, 8)), "depths %s" % sorted(depths))
        for depth, lines in depths.items():
            firsts = [m.group("pv").split()[1] for m in lines]
            scores = [score_of(m) for m in lines]
            check([m.group("multipv") for m in lines] == ["1", "2", "3"] and len(set(firsts)) == 3
                  and scores == sorted(scores, reverse=True), "depth %d: %s" % (depth, [m.group(0) for m in lines]))
            for first in firsts:
                legal("new\n", ["e2e4", first], "line of MultiPV 3")
        check(multi.move == depths[7][0].group("pv").split()[1], "bestmove %s is not line 1" % multi.move)
        e.send("setoption name MultiPV value 1\n")
        again = search(e, "ucinewgame\nposition startpos moves e2e4\ngo depth 7\n")
        check((again.move, again.nodes()) == (plain.move, plain.nodes()), "MultiPV 1 after 3: %s %d, before %s %d"
              % (again.move, again.nodes(), plain.move, plain.nodes()))

        only = search(e, "position startpos\ngo depth 6 searchmoves a2a3 h2h3\n")
        firsts = {INFO.fullmatch(l).group("pv").split()[1] for l in only.infos}
        check(only.move in ("a2a3", "h2h3") and firsts <= {"a2a3", "h2h3"}, "searchmoves: %s" % only.lines)

        # go mate 2 ends by itself on a mate in two.
        mate = search(e, "position fen 4kb1r/p2n1ppp/4q3/4p1B1/4P3/1Q6/PPP2PPP/2KR4 w k - 0 1\ngo mate 2\n")
        check(mate.move == "b3b8" and mate.last().group("score") == "mate 2", "go mate 2: %s" % mate.lines)

        # A mate in three played on, each search reusing the table: the
        # distance is the line's, down to mate 1.
        fen = "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1"
        moves = []
        for distance in (3, 2, 1):
            step = search(e, "position fen %s moves %s\ngo depth 12\n" % (fen, " ".join(moves)))
            check(step.last().group("score") == "mate %d" % distance, "mate in %d: %s" % (distance, step.lines))
            moves += [step.move, step.ponder]

        # A search that starts on a known line sends true figures about once a
        # second, not a stale line.
        search(e, "position startpos moves d2d4 d7d5\ngo depth 9\n")
        known = search(e, "go movetime 3000\n")
        times = [int(re.search(r" time (\d+)", l).group(1)) for l in known.lines if " nodes " in l]
        gaps = [b - a for a, b in zip([0] + times, times + [int(known.seconds * 1000)])]
        check(max(gaps) < 1000 + 500 * pt.SCALE, "figures %s ms apart: %s" % (gaps, known.lines))
        check(not [l for l in known.lines if " time 0" in l and " nps " in l], "a speed at time 0: %s" % known.lines)

        # A ponder search that has ended (a mate) before ponderhit: a scored
        # line follows the ponderhit.
        e.send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\ngo ponder wtime 10000 btime 10000\n")
        e.expect(r"^info depth 2 seldepth \d+ score mate 1 ", what="the mate")
        nothing_more(e, 0.3)
        hit = search(e, "ponderhit\n", seconds=5)
        check(hit.move == "a1a8" and hit.infos and hit.last().group("score") == "mate 1", "after ponderhit: %s"
              % hit.lines)
        e.finish()
    finally:
        e.kill()


def case_levels():
    # GNOME Chess's easy level: go depth 1 searches one ply. A weaker level
    # answers a long clock at once, shows the lines asked for, and varies
    # its choice among close moves; full strength keeps its one move.
    e = start_uci(setup="setoption name OwnBook value false\n")
    try:
        one = search(e, "position startpos moves e2e4\ngo depth 1\n")
        check({INFO.fullmatch(l).group("depth") for l in one.infos} == {"1"}, "go depth 1: %s" % one.lines)
        legal("new\n", ["e2e4", one.move], "go depth 1")
        e.send("setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 1000\n")
        weak = [search(e, "ucinewgame\nposition startpos moves e2e4\ngo wtime 600000 btime 600000\n")
                for _ in range(12)]
        check(all(w.seconds < 2 * pt.SCALE for w in weak), "level 1000 took %s s" % [w.seconds for w in weak])
        check(all(INFO.fullmatch(l).group("multipv") is None for w in weak for l in w.infos), "lines shown")
        for w in weak:
            legal("new\n", ["e2e4", w.move], "level 1000")
        e.send("setoption name UCI_LimitStrength value false\n")
        full = [search(e, "ucinewgame\nposition startpos moves e2e4\ngo depth 6\n").move for _ in range(3)]
        check(len({w.move for w in weak}) > 1 and len(set(full)) == 1, "level 1000 played %s, full strength %s"
              % ([w.move for w in weak], full))
        e.finish()
    finally:
        e.kill()


CASES = {
    "handshake": case_handshake,
    "limits": case_limits,
    "ponder": case_ponder,
    "clocks": case_clocks,
    "positions": case_positions,
    "bad_input": case_bad_input,
    "quit": case_quit,
    "analysis": case_analysis,
    "levels": case_levels,
}


if __name__ == "__main__":
    sys.exit(pt.run(CASES, sys.argv))
