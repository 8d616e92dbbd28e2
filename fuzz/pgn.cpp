// The PGN reader (pgn2game) on arbitrary text. The GAME file it writes holds
// whole records only, each a legal game from the start position with a
// result, no two alike; converting the same text again adds nothing; and
// the file's game2pgn output reads back to the same bytes.
#include <cstdio>
#include <set>

#include "board/invariants.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/pgn2game.h"
#include "support.h"

namespace {

constexpr char PGN_FILE[] = "fuzz.pgn";
constexpr char GAME_FILE[] = "fuzz.game";
constexpr char BACK_PGN_FILE[] = "back.pgn";
constexpr char BACK_GAME_FILE[] = "back.game";

void Convert(const char* pgnName, const char* gameName) {
    int total = 0;
    ConvertPgnFile(pgnName, gameName, total);
    if (const char* fault = CheckPositionInvariants()) fuzz::Finding("after converting %s: %s", pgnName, fault);
}

void CheckGameFile(const std::string& bytes) {
    fuzz::GameBytesEnd end;
    const std::vector<fuzz::GameBytes> games = fuzz::SplitGameBytes(bytes, end);
    if (end != fuzz::GameBytesEnd::WHOLE) fuzz::Finding("the GAME file ends in a record that is not whole");
    std::set<std::pair<uint16_t, std::vector<Move>>> seen;
    for (size_t i = 0; i < games.size(); ++i) {
        if (!fuzz::LegalFromStart(games[i].moves)) fuzz::Finding("GAME record %zu is not a legal game", i + 1);
        if (!seen.insert({games[i].header, games[i].moves}).second)
            fuzz::Finding("GAME record %zu is stored twice", i + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Prepare();
    for (const char* name : {GAME_FILE, BACK_PGN_FILE, BACK_GAME_FILE}) std::remove(name);
    fuzz::WriteFile(PGN_FILE, data, size);

    Convert(PGN_FILE, GAME_FILE);
    const std::string stored = fuzz::ReadFile(GAME_FILE);
    CheckGameFile(stored);

    Convert(PGN_FILE, GAME_FILE);
    if (fuzz::ReadFile(GAME_FILE) != stored) fuzz::Finding("converting the same text again changed the GAME file");

    GameToPgn(GAME_FILE, BACK_PGN_FILE);
    Convert(BACK_PGN_FILE, BACK_GAME_FILE);
    if (fuzz::ReadFile(BACK_GAME_FILE) != stored) fuzz::Finding("the game2pgn output does not read back to the GAME file");
    return 0;
}
