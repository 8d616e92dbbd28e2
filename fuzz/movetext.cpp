// ParseSan and TextToMove on arbitrary text, in positions reached by random
// legal game moves: the input's first byte is the number of moves, the next
// bytes choose each among the legal moves, and the rest is text, read a line
// at a time. A move either reader gives must be the one the text names;
// every legal move's SAN and coordinate text must read back to it; reading
// leaves the game as it was; taking the game moves back returns to the start.
#include <cctype>
#include <cstring>

#include "board/invariants.h"
#include "board/movetext.h"
#include "gamefiles/san.h"
#include "movegen/legality.h"
#include "shell/report.h"
#include "support.h"

namespace {

constexpr int MAX_GAME_MOVES = 120;

std::string Text(Move move) {
    char text[8];
    MoveToText(text, move);
    return text;
}

bool IsPromotionLetter(char c) { return c && std::strchr("qnrbQNRB", c); }

void CheckReaders(const std::string& line, const Move* legal, int count) {
    const GameState before = GameState::Now();
    const Move san = ParseSan(line.c_str());
    if (!(GameState::Now() == before)) fuzz::Finding("ParseSan('%s') changed the game", line.c_str());
    if (san != MOVE_NONE && !IsLegalMove(san))
        fuzz::Finding("ParseSan('%s') gave %s, not a legal move", line.c_str(), Text(san).c_str());

    // The front end's coordinate text names one legal move or none.
    const char* text = line.c_str();
    const Move coordinate = TextToMove(text);
    if (coordinate != MOVE_NONE && IsLegalMove(coordinate) && Text(coordinate).compare(0, 4, line, 0, 4) != 0)
        fuzz::Finding("TextToMove('%s') gave the legal move %s", text, Text(coordinate).c_str());
    for (int i = 0; i < count; ++i) {
        const std::string name = Text(legal[i]);
        if (line.compare(0, 4, name, 0, 4) != 0) continue;
        const bool promotion = IsPromotion(legal[i]);
        if (promotion ? std::tolower(static_cast<unsigned char>(line.c_str()[4])) != name[4]
                      : IsPromotionLetter(line.c_str()[4]))
            continue;
        if (coordinate != legal[i]) fuzz::Finding("TextToMove('%s') does not give the legal move %s", text, name.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Prepare();
    const GameState& start = fuzz::StartState();
    fuzz::PutStartBack();
    ForgetGameMoves();

    size_t at = 0;
    const int wanted = size > 0 ? data[at++] % (MAX_GAME_MOVES + 1) : 0;
    int played = 0;
    Move legal[MAX_LEGAL_MOVES];
    int count = GenerateLegalMoves(legal);
    while (played < wanted && at < size && count > 0) {
        ApplyGameMove(legal[data[at++] % count]);
        ++played;
        count = GenerateLegalMoves(legal);
    }
    if (const char* fault = CheckPositionInvariants()) fuzz::Finding("after %d game moves: %s", played, fault);

    for (int i = 0; i < count; ++i) {
        const std::string san = MoveToSan(legal[i], legal, count);
        for (const std::string& text : {san, san + "+", Text(legal[i])})
            if (ParseSan(text.c_str()) != legal[i])
                fuzz::Finding("ParseSan('%s') does not give the legal move %s", text.c_str(), Text(legal[i]).c_str());
    }
    fuzz::ForEachLine(std::string(reinterpret_cast<const char*>(data) + at, size - at),
                      [&](const std::string& line) { CheckReaders(line, legal, count); });

    if (!TakeBackGameMoves(played)) fuzz::Finding("%d game moves cannot be taken back", played);
    if (!(GameState::Now() == start)) fuzz::Finding("taking back %d game moves does not restore the start", played);
    return 0;
}
