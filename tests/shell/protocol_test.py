#!/usr/bin/env python3
"""Protocol sessions with the engine: one case per run.

usage: protocol_test.py ENGINE BOOK CASE

Each case starts the engine in a fresh scratch folder, talks to it over its
standard input and output, and checks what it prints and the "Pelmot.log" it
leaves. Every read has a deadline and every engine is killed at the end, so a
hung engine fails the case instead of hanging it. An engine built with a
sanitizer runs slower: the deadlines are scaled for it, and a sanitizer
report on its standard error fails the case.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

ENGINE = ""
BOOK = ""
SCALE = 1.0

SANITIZER_MARKS = ("WARNING: ThreadSanitizer", "ERROR: AddressSanitizer",
                   "ERROR: LeakSanitizer", "runtime error:")
HANDSHAKE = r"\nfeature done=0\nfeature setboard=1\nfeature myname=\"Pelmot \d+\.\d+\"\nfeature done=1\n"
# Lines the engine thread writes to the log; the rest are the main thread's.
ENGINE_THREAD_PREFIXES = ("-------------- ", "-E: ", "-FEN:", "-PONDER:",
                          "--- MATE: ", "****")
KEY_LINE = r"[0-9a-f]{1,8} [0-9a-f]{1,8}"
START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"
# A clock of 3 s with 40 moves per session gives a budget of 50 ms.
SHORT_CLOCK = "time 300 otim 300\n"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def sanitized_binary(path):
    with open(path, "rb") as f:
        data = f.read()
    return b"__tsan_init" in data or b"__asan_init" in data


class Engine:
    """One engine process in its own scratch folder."""

    live = []

    def __init__(self, book=False):
        self.dir = tempfile.mkdtemp(prefix="pelmot-protocol-")
        if book:
            shutil.copy(BOOK, os.path.join(self.dir, "Pelmot.book"))
        self.err_path = os.path.join(self.dir, "stderr.txt")
        self.err = open(self.err_path, "wb")
        self.proc = subprocess.Popen([ENGINE], cwd=self.dir, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.err)
        self.out = bytearray()
        self.cursor = 0
        self.changed = threading.Condition()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        Engine.live.append(self)

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            chunk = os.read(fd, 4096)
            with self.changed:
                if not chunk:
                    self.eof = True
                    self.changed.notify_all()
                    return
                self.out += chunk
                self.changed.notify_all()

    eof = False

    def send(self, text):
        try:
            self.proc.stdin.write(text.encode())
            self.proc.stdin.flush()
        except BrokenPipeError:
            raise Failure("the engine closed its input early (exit %s)" % self.proc.poll())

    def stdout(self):
        with self.changed:
            return self.out.decode(errors="replace")

    def expect(self, pattern, seconds=10, what=None):
        """Waits for pattern in stdout after the cursor; moves the cursor past it."""
        deadline = time.monotonic() + seconds * SCALE
        regex = re.compile(pattern, re.M)
        with self.changed:
            while True:
                text = self.out.decode(errors="replace")
                m = regex.search(text, self.cursor)
                if m:
                    self.cursor = m.end()
                    return m
                if self.eof:
                    self.proc.wait()
                    raise Failure("the engine ended (exit %s) before %s on stdout%s"
                                  % (self.proc.returncode, what or repr(pattern), self.stderr_tail()))
                left = deadline - time.monotonic()
                if left <= 0:
                    raise Failure("no %s on stdout within %.0f s" % (what or repr(pattern), seconds * SCALE))
                self.changed.wait(min(left, 0.5))

    def log(self):
        try:
            with open(os.path.join(self.dir, "Pelmot.log"), encoding="latin-1") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def log_lines(self):
        return self.log().split("\n")

    def wait_log(self, pattern, count=1, seconds=10):
        """Waits until pattern matches at least count whole log lines; returns the matches."""
        deadline = time.monotonic() + seconds * SCALE
        regex = re.compile(pattern)
        while True:
            found = [m for m in map(regex.fullmatch, self.log_lines()) if m]
            if len(found) >= count:
                return found
            if time.monotonic() > deadline:
                raise Failure("%d log lines %r expected within %.0f s, found %d"
                              % (count, pattern, seconds * SCALE, len(found)))
            time.sleep(0.02)

    def wait_exit(self, seconds):
        try:
            return self.proc.wait(timeout=seconds * SCALE)
        except subprocess.TimeoutExpired:
            raise Failure("the engine did not exit within %.0f s" % (seconds * SCALE))

    def finish(self, command="quit\n", seconds=10):
        """Ends the session normally; the engine must exit with 0."""
        if command:
            self.send(command)
        self.proc.stdin.close()
        code = self.wait_exit(seconds)
        check(code == 0, "exit code %s" % code)
        self.reader.join(5)
        self.check_stderr()

    def stderr_text(self):
        self.err.flush()
        with open(self.err_path, encoding="latin-1") as f:
            return f.read()

    def stderr_tail(self):
        text = self.stderr_text()
        return "; stderr:\n" + text[-6000:] if text else ""

    def check_stderr(self):
        text = self.stderr_text()
        for mark in SANITIZER_MARKS:
            check(mark not in text, "sanitizer report on stderr:\n" + text)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.err.close()

    def remove(self):
        self.kill()
        shutil.rmtree(self.dir, ignore_errors=True)


def start(book=False, setup=""):
    engine = Engine(book)
    engine.send("xboard\nprotover 2\n" + setup)
    engine.expect("^feature done=1$", what="handshake")
    return engine


def engine_move(engine):
    return engine.expect(r"^move (\S+)$", seconds=30, what="engine move").group(1)


def timed_engine_move(engine, text):
    """Sends text and waits for the engine's move; returns it and the seconds it took."""
    began = time.monotonic()
    engine.send(text)
    move = engine_move(engine)
    return move, time.monotonic() - began


def main_thread_lines(engine, first):
    """The main thread's log lines from the first line equal to first."""
    lines = [l for l in engine.log_lines() if not l.startswith(ENGINE_THREAD_PREFIXES)]
    check(first in lines, "no log line %r" % first)
    return lines[lines.index(first):]


def match_sequence(lines, patterns):
    """Each pattern matches the next line; returns the matches."""
    matches = []
    for i, pattern in enumerate(patterns):
        check(i < len(lines), "log ends before %r; main-thread lines:\n%s" % (pattern, "\n".join(lines)))
        m = re.fullmatch(pattern, lines[i])
        check(m, "log line %d is %r, expected %r; main-thread lines:\n%s"
              % (i, lines[i], pattern, "\n".join(lines)))
        matches.append(m)
    return matches


# ---- Legality checked by a second engine ----------------------------------------

def illegal_in_force_mode(setup, moves):
    """Plays moves after setup in force mode; returns the tokens reported illegal."""
    engine = Engine()
    try:
        engine.send("xboard\nprotover 2\n" + setup + "force\n" + "".join(m + "\n" for m in moves))
        engine.finish()
        return re.findall(r"^Illegal move: (\S+)$", engine.stdout(), re.M)
    finally:
        engine.kill()


def check_game_legal(setup, moves):
    illegal = illegal_in_force_mode(setup, moves)
    check(not illegal, "game %s has illegal moves %s" % (" ".join(moves), illegal))


def first_legal(setup, moves, candidates):
    """The first candidate that is legal after moves."""
    engine = Engine()
    try:
        text = "xboard\nprotover 2\n"
        for c in candidates:
            text += setup + "force\n" + "".join(m + "\n" for m in moves) + c + "\n"
        engine.send(text)
        engine.finish()
        illegal = re.findall(r"^Illegal move: (\S+)$", engine.stdout(), re.M)
    finally:
        engine.kill()
    for c in candidates:
        if c not in illegal:
            return c
    raise Failure("none of %s is legal after %s" % (candidates, moves))


QUIET_MOVES = ["a2a3", "h2h3", "b2b3", "g2g3", "a7a6", "h7h6", "b7b6", "g7g6",
               "a3a4", "h3h4", "a6a5", "h6h5", "b1a3", "g1h3", "b8a6", "g8h6",
               "e1e2", "e8e7", "d1e2", "d8e7", "e2e3", "d2d3", "e7e6", "d7d6"]


# ---- Cases ---------------------------------------------------------------------

def case_handshake():
    # The exact handshake, and nothing else on stdout before the end of input.
    e = Engine()
    try:
        e.send("xboard\nprotover 2\n")
        e.expect("feature done=1\n", what="handshake")
        e.finish(command="", seconds=10)
        check(re.fullmatch(HANDSHAKE, e.stdout()), "handshake bytes %r" % e.stdout())
        lines = e.log_lines()
        for token in ("xboard", "protover", "2"):
            check("::cmd:: " + token in lines, "no log line for " + token)
        check("-M: end of input" in lines, "end of input not logged")
    finally:
        e.kill()

    # Another first token (but "uci"): the complaint, then the same handshake.
    e = Engine()
    try:
        e.send("hello\n")
        e.expect("feature done=1\n", what="handshake")
        e.finish()
        check(re.fullmatch(re.escape("Engine works only with xboard protocol ver. 2\n") + HANDSHAKE, e.stdout()),
              "stdout %r" % e.stdout())
    finally:
        e.kill()


def case_robustness():
    # Overlong input is dropped whole: neither the long token (which begins
    # like a move) nor the tail of the long setboard line is played, and the
    # loop goes on reading.
    e = start(setup="new\nforce\n")
    try:
        long_token = "e2e4" + "x" * 9996
        long_line = "setboard " + START_FEN + " e7e5" * 2000
        long_name = "f" * 10000
        e.send(long_token + "\ne2e4\n" + long_line + "\ne7e5\n")
        e.send("game2pgn " + long_name + " " + long_name + "\n")
        # Sentinel: a move that is illegal after 1.e4 e5.
        e.send("e2e4\n")
        e.expect(r"^Illegal move: e2e4$", what="sentinel")
        out = e.stdout()
        check(out.count("Illegal move") == 1, "unexpected illegal moves:\n" + out)
        log = e.log_lines()
        check("-M: tellusererror Illegal position" in log, "the long setboard line was not refused")
        check("-M: file name missing or too long" in log, "the long file name was not refused")

        # The engine ignores SIGINT (xboard sends it) and keeps working.
        e.proc.send_signal(signal.SIGINT)
        time.sleep(0.2)
        e.send("g1f3\ng1f3\n")
        e.expect(r"^Illegal move: g1f3$", what="answer after SIGINT")
        check(e.proc.poll() is None, "SIGINT ended the engine")
        e.finish()
    finally:
        e.kill()


def case_log_order():
    # The main thread's log lines for one opponent move, without pondering
    # and with it; the engine thread's lines fall in between.
    for ponder in (False, True):
        e = start(setup="level 40 0:05 0\n" + SHORT_CLOCK + ("hard\n" if ponder else "easy\n"))
        try:
            e.send("new\ne2e4\n")
            reply = engine_move(e)
            e.wait_log(r"-ponder move: \S+|- NO ponder move")
            lines = main_thread_lines(e, "::cmd:: new")
            m = match_sequence(lines, [
                "::cmd:: new", "-M: entered StopEngine", "-M: exited StopEngine",
                "-\ttellusererror BOOK ERROR!", "",
                "::cmd:: e2e4", KEY_LINE,
                "-M: entered StartEngine", "-M: exited StartEngine",
                r"M-WAIT \d+",
                "-M: entered StopEngineConditional", "-----WAIT INF C:",
                "-M: exited StopEngineConditional",
                KEY_LINE, r"move (\S+)\tscore: -?\d+"])
            check(m[-1].group(1) == reply, "log move %s, stdout move %s" % (m[-1].group(1), reply))
            check(m[6].group(0) != m[13].group(0), "the reply did not change the key")
            rest = lines[len(m):]
            if ponder:
                match_sequence(rest, ["-M: entered StartEngine", "-M: exited StartEngine", r"-ponder move: \S+"])
            else:
                match_sequence(rest, ["- NO ponder move"])

            # The engine thread confirms the start before StartEngine returns,
            # and stops before the stop returns.
            full = e.log_lines()
            i = full.index("::cmd:: e2e4")
            entered = full.index("-M: entered StartEngine", i)
            started = next(j for j in range(i, len(full)) if full[j].startswith("-------------- STARTED"))
            exited = full.index("-M: exited StartEngine", i)
            check(entered < started < exited, "STARTED outside StartEngine")
            done = full.index("-M: exited StopEngineConditional", i)
            check(any(l.startswith("-------------- STOPPED") for l in full[started:done]),
                  "no STOPPED before the stop returned")
            e.finish()
        finally:
            e.kill()


def case_book():
    # The shipped book answers at once, even with a long budget.
    e = start(book=True, setup="time 30000 otim 30000\n")
    try:
        move, took = timed_engine_move(e, "new\ngo\n")
        check(took < 3 * SCALE, "book move took %.1f s" % took)
        e.wait_log(r"-M: move\(book\): " + move)
        log = e.log()
        check("M-WAIT" not in log and "ponder move" not in log, "a search ran for the book move")
        check("tellusererror" not in e.stdout(), "book error with the shipped book")
        e.finish()
    finally:
        e.kill()

    e = start()
    try:
        e.send("new\n")
        e.expect(r"^tellusererror BOOK ERROR!$", what="book error")
        e.finish()
    finally:
        e.kill()


def ponder_game(hit):
    e = start(setup=SHORT_CLOCK + "new\n")
    try:
        moves = ["e2e4"]
        e.send("e2e4\n")
        for turn in range(1, 4):
            moves.append(engine_move(e))
            ponder = e.wait_log(r"-ponder move: (\S+)", count=turn)[-1].group(1)
            if hit:
                mine = ponder
            else:
                mine = first_legal("new\n", moves, [c for c in QUIET_MOVES if c != ponder])
            moves.append(mine)
            e.send(SHORT_CLOCK + mine + "\n")
            e.wait_log("-GOOD PONDER" if hit else "-BAD PONDER", count=turn)
        moves.append(engine_move(e))
        check("Illegal move" not in e.stdout(), "the engine refused a move:\n" + e.stdout())
        e.finish()
    finally:
        e.kill()
    check_game_legal("new\n", moves)


def case_ponder_hit():
    ponder_game(hit=True)


def case_ponder_miss():
    ponder_game(hit=False)


def case_ponder_stopped():
    # A ponder search stopped by a command gives its move back: after
    # "force" the expected reply is still playable, and "go" plays the side
    # that was to move in the game. "easyx" is not "easy", so the engine ponders.
    e = start(setup=SHORT_CLOCK + "easyx\nnew\n")
    try:
        e.send("e2e4\n")
        moves = ["e2e4", engine_move(e)]
        after_move = e.cursor
        ponder = e.wait_log(r"-ponder move: (\S+)")[0].group(1)
        moves.append(ponder)
        # The stopped ponder search prints nothing: its lines would be about
        # a position the game never reached.
        e.send("force\n" + ponder + "\na1a1\n")
        e.expect(r"^Illegal move: a1a1$", what="sentinel")
        check(e.stdout()[after_move:].strip() == "Illegal move: a1a1",
              "output after the ponder search was stopped:\n" + e.stdout()[after_move:])
        e.send("go\n")
        moves.append(engine_move(e))
        e.finish()
    finally:
        e.kill()
    check_game_legal("new\n", moves)

    e = start(setup=SHORT_CLOCK + "new\n")
    try:
        e.send("e2e4\n")
        moves = ["e2e4", engine_move(e)]
        e.wait_log(r"-ponder move: \S+")
        # "go" is matched as a prefix: "goal" acts as go.
        e.send("goal\n")
        moves.append(engine_move(e))
        # "result" and its comment: back to the start position, waiting for a move.
        e.send("result 1-0 {Pelmot wins}\ne2e4\n")
        after_result = ["e2e4", engine_move(e)]
        check("Illegal move" not in e.stdout(), "a move was refused:\n" + e.stdout())
        e.finish()
    finally:
        e.kill()
    check_game_legal("new\n", moves)
    check_game_legal("new\n", after_result)


def case_easy():
    # "easy" keeps the engine from pondering; "hard" brings it back.
    e = start(setup=SHORT_CLOCK + "easy\nnew\n")
    try:
        moves = ["e2e4"]
        e.send("e2e4\n")
        for turn in range(1, 3):
            moves.append(engine_move(e))
            e.wait_log("- NO ponder move", count=turn)
            moves.append(first_legal("new\n", moves, QUIET_MOVES))
            e.send(moves[-1] + "\n")
        moves.append(engine_move(e))
        e.wait_log("- NO ponder move", count=3)
        log = e.log()
        check("-ponder move:" not in log and "-PONDER:" not in log, "the engine pondered after easy")
        e.send("hard\n")
        moves.append(first_legal("new\n", moves, QUIET_MOVES))
        e.send(moves[-1] + "\n")
        moves.append(engine_move(e))
        e.wait_log(r"-ponder move: \S+")
        e.finish()
    finally:
        e.kill()
    check_game_legal("new\n", moves)


def case_quit_pondering():
    # "quit" and the end of input both end a ponder search and the process.
    for ending in ("quit\n", ""):
        e = start(setup=SHORT_CLOCK + "new\n")
        try:
            e.send("e2e4\n")
            engine_move(e)
            e.wait_log(r"-ponder move: \S+")
            time.sleep(0.3)
            began = time.monotonic()
            e.finish(command=ending, seconds=3)
            took = time.monotonic() - began
            lines = e.log_lines()
            check("-------------- STARTED" in lines[lines.index("::cmd:: e2e4"):], "the engine thread did not end")
            print("ended %s in %.2f s" % ("by quit" if ending else "at end of input", took))
        finally:
            e.kill()


def result_after_go(fen, moves=()):
    """stdout of "go" in the given position, up to a sentinel illegal move."""
    e = start(setup=SHORT_CLOCK + "easy\nsetboard " + fen + "\n")
    try:
        if moves:
            e.send("force\n" + "".join(m + "\n" for m in moves))
        begin = len(e.stdout())
        e.send("go\n")
        e.expect(r"^(1-0|0-1|1/2-1/2) \{.*\}$", seconds=30, what="result line")
        # The engine is waiting again: a sentinel shows it printed nothing more.
        e.send("a1a1\n")
        e.expect(r"^Illegal move: a1a1$", what="sentinel")
        after_go = e.stdout()[begin:]
        check("-M: tellusererror Illegal position" not in e.log(), "position refused: " + fen)
        e.finish()
        # Thinking lines begin with blanks and the depth; the set-up may report the book late.
        return [l for l in after_go.split("\n")
                if l and not re.match(r"\s+\d", l) and not l.startswith("tellusererror")]
    finally:
        e.kill()


def case_results():
    # Mate in one, unique: Ra8#.
    lines = result_after_go("6k1/5ppp/8/8/8/8/8/R5K1 w - -")
    check(lines == ["move a1a8", "1-0 {Pelmot mates 1}", "Illegal move: a1a1"], "mate in one: %s" % lines)
    # White to move is mated, then stalemated: a result and no move.
    lines = result_after_go("7k/8/8/8/8/8/5PPP/r5K1 w - -")
    check(lines == ["0-1 {Pelmot mated 0}", "Illegal move: a1a1"], "mated: %s" % lines)
    lines = result_after_go("7k/8/8/8/8/8/5q2/7K w - -")
    check(lines == ["1/2-1/2 {Draw by stalemate (1)}", "Illegal move: a1a1"], "stalemate: %s" % lines)
    # The white king has one legal move each turn (a1 <-> b1) while black's
    # king shuffles; the set-up position comes back a third time through the
    # engine's own forced move.
    shuffle = "2r3k1/8/8/8/8/8/7r/K7 b - -"
    lines = result_after_go(shuffle, ["g8h8", "a1b1", "h8g8", "b1a1", "g8h8", "a1b1", "h8g8"])
    check(lines == ["move b1a1", "1/2-1/2 {Draw by 3 fold repetition (22)}", "Illegal move: a1a1"],
          "repetition by the engine's move: %s" % lines)
    # The position before the engine's move is already drawn.
    lines = result_after_go(START_FEN,
                            ["g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"])
    check(lines == ["1/2-1/2 {Draw by 3 fold repetition (2)}", "Illegal move: a1a1"],
          "repetition before the move: %s" % lines)


def case_illegal_moves():
    e = start(setup=SHORT_CLOCK + "easy\nnew\n")
    try:
        # Waiting: refused and not answered; the next legal move is.
        e.send("e7e5\n")
        e.expect(r"^Illegal move: e7e5$", what="refusal while waiting")
        e.send("e2e4\n")
        reply = engine_move(e)
        check_game_legal("new\n", ["e2e4", reply])
        # Force mode: refused; the board stays as it was.
        e.send("force\ne2e5\nd2d4\nd2d4\n")
        e.expect(r"^Illegal move: e2e5$", what="refusal in force mode")
        e.expect(r"^Illegal move: d2d4$", what="refusal of a move made twice")
        # Promotion letters in either case.
        # The queens are queens: e8e1 blocks the check along the first rank and g1e1 takes back.
        e.send("setboard 8/4P3/7k/8/8/8/6p1/K7 w - -\nforce\ne7e8Q\ng2g1q\ne8e1\ng1e1\n")
        e.send("a1a1\n")
        e.expect(r"^Illegal move: a1a1$", what="sentinel")
        out = e.stdout()
        check(out.count("Illegal move") == 4, "unexpected refusals:\n" + out)
        e.finish()
    finally:
        e.kill()


def searched_ms(engine, nth=1):
    """Milliseconds from the nth "M-WAIT" to the engine thread's next stop."""
    lines = engine.log_lines()
    waits = [i for i, l in enumerate(lines) if l.startswith("M-WAIT ")]
    check(len(waits) >= nth, "no search number %d in the log" % nth)
    i = waits[nth - 1]
    stopped = next(int(l[22:]) for l in lines[i:] if re.fullmatch(r"-------------- STOPPED\d+", l))
    return stopped - int(lines[i][7:])


def case_time_control():
    # The increment of "level" is read past a minutes:seconds base time,
    # whole or with a fraction: 10 s on the clock, reported over two lines,
    # give 220 ms plus the increment.
    for level, least in (("level 40 0:30 1", 900), ("level 0 0:05 0.5", 600)):
        e = start(setup=level + "\ntime 1000\notim 1000\neasy\nnew\n")
        try:
            e.send("e2e4\n")
            engine_move(e)
            took = searched_ms(e)
            check(took >= least, "%s: searched only %d ms" % (level, took))
            e.finish()
        finally:
            e.kill()

    # A negative clock (after a flag fall) still gets a quick, legal move.
    e = start(setup="time -500 otim 100\neasy\nnew\n")
    try:
        reply, took = timed_engine_move(e, "e2e4\n")
        check(took < 3 * SCALE, "the move with a negative clock took %.1f s" % took)
        e.finish()
    finally:
        e.kill()
    check_game_legal("new\n", ["e2e4", reply])


def case_clock_alone():
    # A tournament manager reports the engine's clock without the
    # opponent's: the next word is a command of its own, "go" or a move.
    for after in ("force\ne2e4\ntime 300\ngo\n", "time 300\ne2e4\n", "time 300 go\n"):
        e = start(setup="easy\nnew\n")
        try:
            move, took = timed_engine_move(e, after)
            check(took < 3 * SCALE, "%r: the move took %.1f s" % (after, took))
            check("::cmd:: go" in e.log_lines() or "go" not in after, "go was not read as a command")
            e.finish()
        finally:
            e.kill()
        moves = ["e2e4", move] if "e2e4" in after else [move]
        check_game_legal("new\n", moves)


def case_clock_limit():
    # Controls where the plain budget passes the clock; the move must come
    # before the flag, measured on the real clock whatever the build. 5 s +
    # 5 s: a budget of 5100 ms on 5 s. One move in 5 minutes with 1.5 s
    # left: a budget of the whole clock.
    for level, clock, least in (("level 0 0:05 5", 500, 3.0), ("level 1 5 0", 150, 0.3)):
        e = start(setup="%s\ntime %d\notim %d\neasy\nnew\n" % (level, clock, clock))
        try:
            move, took = timed_engine_move(e, "e2e4\n")
            check(took < clock / 100.0, "%s: %.2f s on a %.1f s clock" % (level, took, clock / 100.0))
            check(took >= least, "%s: only %.2f s of %.1f s used" % (level, took, clock / 100.0))
            print("%s, clock %.1f s: moved after %.2f s" % (level, clock / 100.0, took))
            e.finish()
        finally:
            e.kill()
        check_game_legal("new\n", ["e2e4", move])

    # Where the budget stays under the limit it stands: one move in 5
    # minutes with 8 s left thinks the 7 s of the plain budget.
    e = start(setup="level 1 5 0\ntime 800\notim 800\neasy\nnew\n")
    try:
        move, took = timed_engine_move(e, "e2e4\n")
        check(6.5 <= took < 8.0, "level 1 5 0, clock 8 s: moved after %.2f s" % took)
        e.finish()
    finally:
        e.kill()


def key_lines(engine):
    """The position keys the main thread logged, in order."""
    return [l for l in engine.log_lines() if re.fullmatch(KEY_LINE, l)]


def force_session(setup, tokens):
    """Sends the tokens in force mode after setup; returns stdout and the logged keys."""
    e = start(setup=setup + "force\n")
    try:
        e.send("".join(t + "\n" for t in tokens) + "a1a1\n")
        e.expect(r"^Illegal move: a1a1$", what="sentinel")
        out, keys = e.stdout(), key_lines(e)
        e.finish()
        return out, keys
    finally:
        e.kill()


def case_undo():
    # The protocol's example: after an undo the other move is legal.
    out, keys = force_session("new\n", ["e2e4", "e7e5", "undo", "e7e6"])
    check(out.count("Illegal move") == 1, "a move was refused after undo:\n" + out)
    # e2e4, e7e5, the undo, e7e6: the undo gives the key after e2e4 back.
    check(len(keys) == 4 and keys[2] == keys[0] and keys[3] != keys[1], "keys %s" % keys)

    # Nothing to take back: nothing happens, and the board stays as it was.
    out, keys = force_session("new\n", ["undo", "remove", "e2e4", "remove", "e7e5", "undo", "undo", "undo", "e2e4"])
    check(out.count("Illegal move") == 1, "refusals:\n" + out)
    # e2e4, e7e5, two undos, e2e4: the keys after each e2e4 and the first undo agree.
    check(len(keys) == 5 and keys[2] == keys[0] and keys[4] == keys[0], "keys %s" % keys)

    # Castling, en passant and promotion: each taken back gives the key of
    # the position before it (castling rights and the en-passant square are
    # part of the key), the other choice is legal, and the move itself is
    # legal again and gives its key once more.
    for fen, before, move, other in (
            ("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq -", "a2a3", "e8g8", "e8c8"),
            ("4k3/3p4/8/4P3/8/8/8/4K3 b - -", "d7d5", "e5d6", "e5e6"),
            ("r3k3/1P5p/8/8/8/8/8/4K3 b q -", "h7h6", "b7a8q", "b7b8n")):
        out, keys = force_session("setboard " + fen + "\n", [before, move, "undo", other, "undo", move])
        check(out.count("Illegal move") == 1, "%s: refusals:\n%s" % (move, out))
        check(len(keys) == 6, "%s: keys %s" % (move, keys))
        check(keys[2] == keys[0] and keys[4] == keys[0], "%s: undo did not restore the key: %s" % (move, keys))
        check(keys[5] == keys[1] and keys[3] != keys[1], "%s: replay keys %s" % (move, keys))
    # Both sides' castling rights come back: after two undos white may
    # castle the other way and black too.
    out, _ = force_session("setboard r3k2r/8/8/8/8/8/8/R3K2R w KQkq -\n",
                           ["e1g1", "e8c8", "undo", "undo", "e1c1", "e8g8"])
    check(out.count("Illegal move") == 1, "castling rights after undo:\n" + out)


def case_remove():
    # In playing mode, with pondering off and on: "remove" takes back the
    # engine's reply and the move before it; the engine keeps its side and
    # answers the next move, printing nothing in between.
    start_key = force_session("new\n", ["e2e4", "undo"])[1][-1]
    for ponder in ("easy", "hard"):
        e = start(setup=SHORT_CLOCK + ponder + "\nnew\n")
        try:
            e.send("e2e4\n")
            engine_move(e)
            e.wait_log(r"-ponder move: \S+" if ponder == "hard" else "- NO ponder move")
            after_move = e.cursor
            e.send("remove\n")
            e.wait_log(r"-M: take back e2e4")
            time.sleep(0.2)
            check(e.stdout()[after_move:].strip() == "", "output after remove:\n" + e.stdout()[after_move:])
            check(key_lines(e)[-1] == start_key, "remove did not give the start position back")
            e.send("d2d4\n")
            reply = engine_move(e)
            check("Illegal move" not in e.stdout(), "a move was refused:\n" + e.stdout())
            e.finish()
        finally:
            e.kill()
        check_game_legal("new\n", ["d2d4", reply])

    # After a ponder hit the move pondered on is a game move: remove takes
    # it back with the engine's reply to it.
    e = start(setup=SHORT_CLOCK + "new\n")
    try:
        e.send("e2e4\n")
        moves = ["e2e4", engine_move(e)]
        ponder = e.wait_log(r"-ponder move: (\S+)")[0].group(1)
        e.send(SHORT_CLOCK + ponder + "\n")
        e.wait_log("-GOOD PONDER")
        engine_move(e)
        e.send("remove\n")
        e.wait_log(r"-M: take back " + ponder)
        mine = first_legal("new\n", moves, [c for c in QUIET_MOVES if c != ponder])
        moves.append(mine)
        e.send(mine + "\n")
        moves.append(engine_move(e))
        check("Illegal move" not in e.stdout(), "a move was refused:\n" + e.stdout())
        # Nothing to take back at the start: the engine still answers.
        e.send("new\nremove\ne2e4\n")
        after_new = ["e2e4", engine_move(e)]
        e.finish()
    finally:
        e.kill()
    check_game_legal("new\n", moves)
    check_game_legal("new\n", after_new)


def case_no_new():
    # GNOME Chess never sends "new": its opening goes straight to a move and
    # "go", which must find the start position already set up.
    e = Engine()
    try:
        e.send("xboard\nrandom\neasy\nforce\ng1f3\ngo\n")
        reply = engine_move(e)
        check("Illegal move" not in e.stdout(), "a move was refused:\n" + e.stdout())
        e.finish()
    finally:
        e.kill()
    check_game_legal("new\n", ["g1f3", reply])


def case_no_clock():
    # No "level" and no "time": the engine budgets on its own clock of 40
    # moves in 5 minutes (7.47 s), not on an empty one.
    e = start(setup="easy\n")
    try:
        e.send("go\n")
        engine_move(e)
        took = searched_ms(e)
        check(3000 <= took <= 12000, "searched %d ms without a clock" % took)
        # "level" alone sets the engine's own clock: 30 s for 40 moves.
        e.send("level 40 0:30 0\nnew\ngo\n")
        engine_move(e)
        took = searched_ms(e, 2)
        check(300 <= took <= 3000, "searched %d ms on a level of 30 s" % took)
        # A clock from the front end replaces the engine's own for good,
        # also after "new": 3 s give 50 ms.
        e.send(SHORT_CLOCK + "new\ngo\n")
        engine_move(e)
        e.send("new\ngo\n")
        engine_move(e)
        took = searched_ms(e, 4)
        check(took < 300 * SCALE, "searched %d ms after the front end's clock" % took)
        e.finish()
    finally:
        e.kill()


def case_colour_takeback():
    # PyChess and xboard send the colour of the side to move before "go":
    # the moves before it can still be taken back, with "undo" or "remove",
    # and the board is the front end's again (e7e6 is legal only there).
    for colour, before, takeback in (
            ("black", ["e2e4", "e7e5", "g1f3"], "force\nundo\nundo\nundo\n"),
            ("white", ["e2e4", "e7e5"], "force\nundo\nundo\n"),
            ("black", ["e2e4", "e7e5", "g1f3"], "remove\nforce\nundo\n")):
        e = start(setup=SHORT_CLOCK + "easy\nnew\nforce\n")
        try:
            e.send("".join(m + "\n" for m in before) + colour + "\ngo\n")
            engine_move(e)
            e.send(takeback + "e7e6\na1a1\n")
            e.expect(r"^Illegal move: a1a1$", what="sentinel")
            out, keys = e.stdout(), key_lines(e)
            check(out.count("Illegal move") == 1, "%s: refusals:\n%s" % (colour, out))
            check(keys[-2] == keys[0], "%s: not back after e2e4: keys %s" % (colour, keys))
            e.finish()
        finally:
            e.kill()

    # A colour command that changes the side to move: the moves before it
    # are gone, and an undo past it takes back what came after it only.
    e = start(setup=SHORT_CLOCK + "easy\nnew\nforce\n")
    try:
        e.send("e2e4\nwhite\ngo\n")
        engine_move(e)
        e.send("force\nundo\nundo\n")
        e.wait_log(r"-M: cannot take back 1 move: 0 kept")
        keys = key_lines(e)
        check(keys[-1] == keys[0], "not back after e2e4: keys %s" % keys)

        # Two colour commands that cancel out change nothing: every move can
        # still be taken back, and e2e4 is legal again.
        for before, colours, takeback in ((["e2e4"], "white\nblack\n", "remove\n"),
                                          (["e2e4", "e7e5"], "black\nwhite\n", "undo\nundo\nundo\n")):
            e.send("new\nforce\n" + "".join(m + "\n" for m in before) + colours + "go\n")
            engine_move(e)
            e.send("force\n" + takeback + "e2e4\na1a1\n")
            e.expect(r"^Illegal move: a1a1$", what="sentinel")
        refusals = re.findall(r"^Illegal move: .*$", e.stdout(), re.M)
        check(refusals == ["Illegal move: a1a1"] * 2, "refusals after cancelling colours: %s" % refusals)
        e.finish()
    finally:
        e.kill()


def case_book_alarm():
    # Only a missing or damaged book for the start position is an error;
    # other positions have no book, which is only logged.
    e = start(book=True)
    try:
        e.send("setboard 4k3/8/8/8/8/8/8/4K2R w K -\ntest\nsetboard " + START_FEN + "\ngo\n")
        engine_move(e)
        check("tellusererror" not in e.stdout(), "book error:\n" + e.stdout())
        e.wait_log("-M: no book for a position other than the start position", count=2)
        e.wait_log(r"-M: move\(book\): \S+")
        e.finish()
    finally:
        e.kill()

    e = start()
    try:
        e.send("setboard " + START_FEN + "\n")
        e.expect(r"^tellusererror BOOK ERROR!$", what="book error")
        e.finish()
    finally:
        e.kill()


# A thinking line: depth, score in centipawns, time in centiseconds, nodes, line.
THINKING = re.compile(r"^ {4}(\d+) {5}(-?\d+) {5}(\d+) {5}(\d+)  (.*)$", re.M)


def case_levels():
    # "st 2": about two seconds a move on a long clock, with thinking lines
    # in centipawns and centiseconds; "sd N" ends the search at depth N
    # (one ply for "sd 1") until "new".
    e = start(setup="easy\nst 2\ntime 100000\notim 100000\n")
    try:
        def think(command):
            cursor = e.cursor
            move, took = timed_engine_move(e, command)
            lines = [(int(d), int(s), int(t), int(n)) for d, s, t, n, _ in THINKING.findall(e.stdout()[cursor:])]
            check(lines, "no thinking lines for %r" % command)
            return move, took, lines

        move, took, lines = think("new\nforce\ne2e4\ngo\n")
        check(1.5 <= took < 2.0 + 0.5 * SCALE, "st 2: moved after %.2f s" % took)
        check(all(abs(score) < 300 for _, score, _, _ in lines), "scores not in centipawns: %s" % lines)
        times = [t for _, _, t, _ in lines]
        check(times == sorted(times) and 100 <= times[-1] <= 100 * took + 5, "times %s after %.2f s" % (times, took))
        check(min(d for d, _, _, _ in lines) >= 7, "early iterations shown: %s" % lines)
        for depth in (2, 1):
            move, took, lines = think("new\nsd %d\nforce\ne2e4\ngo\n" % depth)
            check(took < 1.0 * SCALE, "sd %d: moved after %.2f s" % (depth, took))
            check(all(d <= depth for d, _, _, _ in lines), "sd %d: lines %s" % (depth, lines))
            check_game_legal("new\n", ["e2e4", move])
        move, took, lines = think("new\nforce\ne2e4\ngo\n")
        check(max(d for d, _, _, _ in lines) >= 7 and took >= 1.5, "sd still in force after new: %s" % lines)
        e.finish()
    finally:
        e.kill()


CASES = {
    "handshake": case_handshake,
    "robustness": case_robustness,
    "log_order": case_log_order,
    "book": case_book,
    "ponder_hit": case_ponder_hit,
    "ponder_miss": case_ponder_miss,
    "ponder_stopped": case_ponder_stopped,
    "easy": case_easy,
    "quit_pondering": case_quit_pondering,
    "results": case_results,
    "illegal_moves": case_illegal_moves,
    "time_control": case_time_control,
    "clock_alone": case_clock_alone,
    "clock_limit": case_clock_limit,
    "undo": case_undo,
    "remove": case_remove,
    "no_new": case_no_new,
    "no_clock": case_no_clock,
    "colour_takeback": case_colour_takeback,
    "book_alarm": case_book_alarm,
    "levels": case_levels,
}


def run(cases, argv):
    """Runs the case argv[3] of cases with ENGINE argv[1] and BOOK argv[2]."""
    global ENGINE, BOOK, SCALE
    if len(argv) != 4 or argv[3] not in cases:
        print("usage: %s ENGINE BOOK CASE  (CASE: %s)" % (os.path.basename(argv[0]), ", ".join(cases)))
        return 2
    ENGINE, BOOK = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    if sanitized_binary(ENGINE):
        SCALE = 10.0
    try:
        cases[argv[3]]()
    except Failure as failure:
        print("FAIL:", failure)
        # The session that failed is the last one started.
        engine = Engine.live[-1] if Engine.live else None
        if engine:
            print("--- stdout of the last engine")
            print(engine.stdout()[-3000:])
            print("--- end of its log")
            print("\n".join(engine.log_lines()[-60:]))
        return 1
    finally:
        for engine in Engine.live:
            engine.remove()
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(run(CASES, sys.argv))
