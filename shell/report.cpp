#include "shell/report.h"

#include <cstdio>
#include <cstring>
#include "board/keys.h"
#include "board/log.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "movegen/evasions.h"
#include "movegen/legality.h"
#include "search/hashtable.h"
#include "search/pv.h"
#include "shell/engine.h"
#include "shell/timecontrol.h"

namespace {

constexpr int XBOARD_MATE = 100000;

// The moves of the game since the last set-up, each with the record it was
// made with, so that it can be taken back exactly. A ring: in a game longer
// than it holds, the oldest moves can no longer be taken back.
struct GameMove {
    Move move;
    PlyRecord record;
};
constexpr int GAME_MOVES_KEPT = 1024;
GameMove gameMoves[GAME_MOVES_KEPT];
int gameMovesNext = 0;   // slot of the next move
int gameMovesCount = 0;  // moves kept, at most GAME_MOVES_KEPT
bool gameMovesCut = false;  // moves were played before the oldest kept

// The ring as it was before the last cut, while the slots still hold its
// moves: nothing has been played, taken back or set up since.
struct GameMovesMark {
    int next, count;
    bool cut;
};
GameMovesMark beforeCut;
bool cutUndoable = false;

GameMove& PushGameMove(Move move) {
    cutUndoable = false;
    GameMove& slot = gameMoves[gameMovesNext];
    slot.move = move;
    gameMovesNext = (gameMovesNext + 1) % GAME_MOVES_KEPT;
    if (gameMovesCount < GAME_MOVES_KEPT)
        ++gameMovesCount;
    else
        gameMovesCut = true;
    return slot;
}

void LogKey() {
    LogLine("%x %x", static_cast<uint32_t>(pos.hashKey >> 32), static_cast<uint32_t>(pos.hashKey));
}

}  // namespace

const char* ResultAfterMove(int score) {
    int white = pos.sideToMove == WHITE;
    // A mate score can come from the table a few plies short of the truth;
    // the front end forfeits a false win claim, so a mate is claimed only
    // when it stands on the board.
    if (score == MATE_IN_ONE && SideToMoveIsMated()) return white ? "0-1 {Pelmot mates 1}\n" : "1-0 {Pelmot mates 1}\n";
    if (score > WINNING_MATE_SCORE && score != MATE_IN_ONE) {
        const HashEntry* entry = ProbeHash();
        if (entry && EntryMove(entry) == MOVE_MATE && SideToMoveIsMated())
            return white ? "0-1 {Pelmot mates 1#}\n" : "1-0 {Pelmot mates 1#}\n";
        return nullptr;
    }
    switch (DrawTest(2)) {
    case MOVE_REPETITION: return "1/2-1/2 {Draw by 3 fold repetition (22)}\n";
    case MOVE_FIFTY: return "1/2-1/2 {Draw by 50 moves rule (33)}\n";
    case MOVE_NO_MATERIAL: return "1/2-1/2 {Draw by insufficient material to mate (44)}\n";
    default: return nullptr;
    }
}

namespace {

// The entry's move when it is a legal move in the current position: a
// colliding entry may hold a move of another position.
Move LegalEntryMove(const HashEntry* entry) {
    const Move move = entry ? EntryMove(entry) : MOVE_NONE;
    return move == MOVE_NONE || IsSpecialMove(move) || !IsLegalMove(move) ? MOVE_NONE : move;
}

// The table's move for the current position: the reply expected.
Move TableReply() { return LegalEntryMove(ProbeHash()); }

// The expected reply from the table, made on the board and searched while
// the opponent thinks.
void StartPondering() {
    const Move reply = TableReply();
    if (reply == MOVE_NONE) {
        LogLine("- NO ponder move");
        return;
    }
    SaveSnapshot(&ponderRecord);
    SetEngineState(Pondering);
    ponderMove = reply;
    TrimHistoryForGameMove();
    currentPly = &ponderRecord;
    MakeMove(reply, &ponderRecord);
    currentPly = plyRecords;
    StartEngine(gameLimits);
    char text[8];
    MoveToText(text, reply);
    LogLine("-ponder move: %s", text);
}

}  // namespace

bool ApplyGameMove(Move move) {
    if (move == MOVE_NONE) return false;
    TrimHistoryForGameMove();
    PlyRecord* record = &PushGameMove(move).record;
    SaveSnapshot(record);
    MakeMove(move, record);
    switch (KindOfMove(move)) {
    case KIND_CASTLE_BLACK_SHORT: pos.kingSq[BLACK] = SQ_G8; pos.castleRights &= ~(CASTLE_BLACK_SHORT | CASTLE_BLACK_LONG); break;
    case KIND_CASTLE_WHITE_SHORT: pos.kingSq[WHITE] = SQ_G1; pos.castleRights &= ~(CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG); break;
    case KIND_CASTLE_BLACK_LONG: pos.kingSq[BLACK] = SQ_C8; pos.castleRights &= ~(CASTLE_BLACK_SHORT | CASTLE_BLACK_LONG); break;
    case KIND_CASTLE_WHITE_LONG: pos.kingSq[WHITE] = SQ_C1; pos.castleRights &= ~(CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG); break;
    default: break;
    }
    SaveGameSnapshot();
    std::memset(historyTable, 0, sizeof historyTable);
    LogKey();
    return true;
}

Move ChooseBookMove() {
    const HashEntry* entry = ProbeHash();
    if (entry && EntryStamp(entry) == 0) {
        if (const Move move = LegalEntryMove(entry); move != MOVE_NONE) {
            lastMoveFromBook = 1;
            return move;
        }
    }
    if (lastMoveFromBook) {
        lastMoveFromBook = 0;
        if (!MoveTimeFixed()) timeBudget = FirstMoveOutOfBookBudget(timeBudget, movesPerSession);
    }
    return MOVE_NONE;
}

bool PlayBookMove() {
    const Move move = ChooseBookMove();
    if (move == MOVE_NONE) return false;
    ApplyGameMove(move);
    char text[8];
    MoveToText(text, move);
    std::printf("move %s\n", text);
    LogLine("-M: move(book): %s", text);
    OwnClockMoved(0);
    SetEngineState(Waiting);
    return true;
}

const char* ResultBeforeMove(Move result, int sideToMove) {
    switch (result) {
    case MOVE_STALEMATE: return "1/2-1/2 {Draw by stalemate (1)}\n";
    case MOVE_REPETITION: return "1/2-1/2 {Draw by 3 fold repetition (2)}\n";
    case MOVE_FIFTY: return "1/2-1/2 {Draw by 50 moves rule (3)}\n";
    case MOVE_NO_MATERIAL: return "1/2-1/2 {Draw by insufficient material to mate (4)}\n";
    case MOVE_MATE: return sideToMove == WHITE ? "0-1 {Pelmot mated 0}\n" : "1-0 {Pelmot mated 0}\n";
    default: return nullptr;
    }
}

Move PlayableMove(Move result) {
    if (IsLegalMove(result)) return result;
    char text[8];
    MoveToText(text, result);
    LogLine("-M: search returned no legal move (%04x %s); playing the first legal move", static_cast<unsigned>(result),
            text);
    Move legal[MAX_LEGAL_MOVES];
    return GenerateLegalMoves(legal) > 0 ? legal[0] : MOVE_NONE;
}

Move ExpectedReplyAfter(Move move) {
    if (move == MOVE_NONE) return MOVE_NONE;
    TrimHistoryForGameMove();
    PlyRecord record;
    SaveSnapshot(&record);
    currentPly = &record;
    MakeMove(move, &record);
    const Move reply = TableReply();
    UnmakeMove(move, &record);
    currentPly = plyRecords;
    return reply;
}

void XboardThinkingLine(const SearchReport& report) {
    const bool shown =
        report.kind == ReportKind::FINAL || (report.kind == ReportKind::ITERATION && !report.early && report.line == 1);
    if (!shown || engineState.load(std::memory_order_relaxed) == Pondering) return;
    // Centipawns, or mates as the protocol writes them: 100000 plus the
    // moves to mate, negative when the engine is mated.
    int score = report.score;
    if (int moves; MateMoves(report.score, report.matePlies, moves))
        score = moves > 0 ? XBOARD_MATE + moves : -XBOARD_MATE + moves;
    const uint32_t centiseconds = (ProcessClock() - searchBegan) / 10;
    char line[PV_TEXT_SIZE];
    PvText(line, *report.pv);
    std::printf("    %d     %d     %u     %llu  %s\n", report.depth, score, centiseconds,
                static_cast<unsigned long long>(report.nodes), line);
    std::fflush(stdout);
}

void ReportEngineMove(uint32_t moveStart) {
    bool hit = engineState.load() == Pondering;
    if (!hit) {
        SetEngineState(Thinking);
        StartEngine(gameLimits);
    }
    SetEngineState(Thinking);
    LogLine("M-WAIT %u", ProcessClock());
    uint64_t wait = timeBudget;
    if (hit) {
        // Time spent pondering on the right move counts against this move.
        long long left = static_cast<long long>(searchStartTime) + timeBudget - ProcessClock();
        wait = left > 0 ? static_cast<uint64_t>(left) : 0;
    }
    stoppedSignal.WaitFor(CappedWait(wait, moveTimeLimit, ProcessClock() - moveStart));
    StopEngineConditional(moveStart);
    // On a ponder hit the expected reply has been on the board all along;
    // the game snapshot catches up only now, as the search kept changing the
    // board until it stopped.
    if (hit) SaveGameSnapshot();

    Move result = moveStack[0].move;
    int score = moveStack[0].score;
    const char* resultLine = IsSpecialMove(result) ? ResultBeforeMove(result, pos.sideToMove) : nullptr;
    bool moved = false;
    if (!resultLine) {
        Move move = PlayableMove(result);
        if (move != MOVE_NONE) {
            ApplyGameMove(move);
            char text[8];
            MoveToText(text, move);
            std::printf("move %s\n", text);
            LogLine("move %s\tscore: %d", text, score);
            OwnClockMoved(ProcessClock() - moveStart);
            // The score belongs to the search's move, not to a replacement.
            if (move == result) resultLine = ResultAfterMove(score);
            moved = true;
        } else {
            // No legal move at all: the game is over on the board.
            CheckInfo check;
            ComputeCheckInfo(&check);
            resultLine = ResultBeforeMove(check.checkers ? MOVE_MATE : MOVE_STALEMATE, pos.sideToMove);
        }
    }
    SetEngineState(Waiting);
    if (resultLine) {
        std::fputs(resultLine, stdout);
        LogLine("- NO ponder move");
        return;
    }
    if (!moved || !ponderEnabled.load()) {
        LogLine("- NO ponder move");
        return;
    }
    StartPondering();
}

void TakeBackPonderMove() {
    if (ponderMove == MOVE_NONE) return;
    currentPly = &ponderRecord;
    UnmakeMove(ponderMove, &ponderRecord);
    ponderMove = MOVE_NONE;
    currentPly = plyRecords;
}

void KeepPonderMoveAsGameMove() {
    // The ponder record is the main thread's alone, so it is copied while
    // the search goes on.
    PushGameMove(ponderMove).record = ponderRecord;
}

int GameMovesKept() { return gameMovesCount; }

bool TakeBackGameMoves(int count) {
    if (count > gameMovesCount) return false;
    cutUndoable = false;
    for (int i = 0; i < count; ++i) {
        gameMovesNext = (gameMovesNext + GAME_MOVES_KEPT - 1) % GAME_MOVES_KEPT;
        --gameMovesCount;
        GameMove& taken = gameMoves[gameMovesNext];
        char text[8];
        MoveToText(text, taken.move);
        LogLine("-M: take back %s", text);
        UnmakeGameMove(taken.move, &taken.record);
    }
    SaveGameSnapshot();
    std::memset(historyTable, 0, sizeof historyTable);
    LogKey();
    return true;
}

void ForgetGameMoves() {
    gameMovesNext = 0;
    gameMovesCount = 0;
    gameMovesCut = false;
    cutUndoable = false;
}

void CutGameMoves() {
    const GameMovesMark before{gameMovesNext, gameMovesCount, gameMovesCut};
    ForgetGameMoves();
    gameMovesCut = before.count > 0 || before.cut;
    beforeCut = before;
    cutUndoable = true;
}

bool UndoCutGameMoves() {
    if (!cutUndoable) return false;
    gameMovesNext = beforeCut.next;
    gameMovesCount = beforeCut.count;
    gameMovesCut = beforeCut.cut;
    cutUndoable = false;
    return true;
}

bool GameMovesCut() { return gameMovesCut; }
