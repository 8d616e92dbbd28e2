// The PGN reader (pgn2game) on arbitrary text. The conversion never ends in
// an error: a fault of the text costs its game only, and every skipped game
// has its warning and the reason below it. The GAME file it writes holds
// whole records only, each a legal game from the start position with a
// result, no two alike; converting the same text again adds nothing; and
// the file's game2pgn output reads back to the same bytes.
#include <cstdio>
#include <cstring>
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
constexpr char REPORT_FILE[] = "report.txt";

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

// The lines printed: a warning for every game skipped, each followed by its
// reason, then the counters and the end mark, and never an error.
void CheckReport(const char* pgnName, const std::string& report) {
    const std::string warning = "Warning: game ";
    const std::string warningEnd = std::string(" (skipped) file: ") + pgnName;
    bool reasonDue = false;
    int warnings = 0, converted = -1, skipped = -1;
    fuzz::ForEachLine(report, [&](const std::string& line) {
        if (reasonDue) {
            if (!StartsWith(line, "Reason: ") || line.find(" (game at line ") == std::string::npos || line.back() != ')')
                fuzz::Finding("converting %s: a warning without its reason: %s", pgnName, line.c_str());
            reasonDue = false;
        } else if (StartsWith(line, warning.c_str())) {
            if (line.size() < warningEnd.size() || line.compare(line.size() - warningEnd.size(), warningEnd.size(), warningEnd))
                fuzz::Finding("converting %s: a warning line unlike the others: %s", pgnName, line.c_str());
            reasonDue = true;
            ++warnings;
        } else if (std::sscanf(line.c_str(), "converted: %d games. (skipped: %d)", &converted, &skipped) != 2 &&
                   !StartsWith(line, "file: ")) {
            fuzz::Finding("converting %s: an unexpected line: %s", pgnName, line.c_str());
        }
    });
    if (reasonDue) fuzz::Finding("converting %s: the last warning has no reason", pgnName);
    if (skipped != warnings) fuzz::Finding("converting %s: %d warnings for %d games skipped", pgnName, warnings, skipped);
}

void Convert(const char* pgnName, const char* gameName) {
    if (!std::freopen(REPORT_FILE, "w", stdout)) fuzz::Finding("cannot catch standard output");
    int total = 0;
    const bool converted = ConvertPgnFile(pgnName, gameName, total);
    std::fflush(stdout);
    const std::string report = fuzz::ReadFile(REPORT_FILE);
    if (!converted) fuzz::Finding("converting %s ended in an error: %s", pgnName, report.c_str());
    CheckReport(pgnName, report);
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
