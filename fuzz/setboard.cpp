// SetBoard on arbitrary FEN and EPD text, one set-up per line (the first
// few lines: every accepted set-up clears the search tables, which costs
// more than the rest of the work together). An accepted
// text gives a consistent position whose legal moves make and unmake
// cleanly and whose own FEN reads back to it; an EPD move is legal there. A
// refused text leaves the game exactly as it was.
#include <cstring>

#include "board/fen.h"
#include "board/invariants.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "gamefiles/setboard.h"
#include "movegen/legality.h"
#include "support.h"

namespace {

constexpr int SET_UPS_PER_INPUT = 4;

void CheckAccepted(const std::string& text) {
    if (const char* fault = CheckPositionInvariants()) fuzz::Finding("'%s' set up: %s", text.c_str(), fault);
    if (std::memcmp(gameBoard, pos.board, sizeof gameBoard) != 0 || gameSideToMove != pos.sideToMove ||
        gameCastleRights != pos.castleRights || gameEpSquare != pos.epSquare)
        fuzz::Finding("'%s' set up: the game snapshot is not the position", text.c_str());
    for (const Move epd : {pos.epdBestMove, pos.epdAvoidMove})
        if (epd != MOVE_NONE && !IsLegalMove(epd)) fuzz::Finding("'%s' set up: its EPD move is not legal", text.c_str());

    char fen[96];
    GetFen(fen);
    static FenResult again;
    if (!ParseFen(fen, again)) fuzz::Finding("'%s' set up: its FEN '%s' is refused", text.c_str(), fen);
    if (!SamePosition(again.position, pos)) fuzz::Finding("'%s' set up: its FEN '%s' reads back otherwise", text.c_str(), fen);

    // Debug builds check the invariants inside every make and unmake.
    const Position before = pos;
    Move legal[MAX_LEGAL_MOVES];
    const int count = GenerateLegalMoves(legal);
    PlyRecord record;
    for (int i = 0; i < count; ++i) {
        SaveSnapshot(&record);
        MakeMove(legal[i], &record);
        UnmakeMove(legal[i], &record);
        if (!SamePosition(before, pos)) {
            char move[8];
            MoveToText(move, legal[i]);
            fuzz::Finding("'%s' set up: unmaking %s does not restore the position", text.c_str(), move);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Prepare();
    int setUps = 0;
    fuzz::ForEachLine(std::string(reinterpret_cast<const char*>(data), size), [&](const std::string& line) {
        if (++setUps > SET_UPS_PER_INPUT) return;
        const GameState before = GameState::Now();
        if (SetBoard(line.c_str(), false))
            CheckAccepted(line);
        else if (!(GameState::Now() == before))
            fuzz::Finding("'%s' refused, but the game changed", line.c_str());
    });
    return 0;
}
