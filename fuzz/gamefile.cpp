// ReadGame, game2pos and game2pgn on arbitrary GAME bytes. ReadGame gives
// exactly the records the format defines and raises on a header no
// converter writes; game2pos writes the lines of whole legal games only, up
// to the first game that is not, and puts the start position back; game2pgn
// writes every record up to the first bad header.
#include <cstdio>

#include "board/fen.h"
#include "board/invariants.h"
#include "board/movetext.h"
#include "gamefiles/game2pos.h"
#include "gamefiles/gamefile.h"
#include "support.h"

namespace {

constexpr char GAME_FILE[] = "fuzz.game";
constexpr char POSITIONS_FILE[] = "fuzz.txt";
constexpr char PGN_FILE[] = "fuzz.pgn";

void CheckReadGame(const uint8_t* data, size_t size, const std::vector<fuzz::GameBytes>& games,
                   fuzz::GameBytesEnd end) {
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!stream) return;  // an empty input
    static GameRecord game;
    size_t read = 0;
    bool raised = false;
    try {
        while (ReadGame(game, stream)) {
            if (read >= games.size()) fuzz::Finding("ReadGame gave a record after the last whole one");
            const fuzz::GameBytes& expected = games[read];
            if (game.moveWords[0] != expected.header ||
                !std::equal(expected.moves.begin(), expected.moves.end(), game.moveWords + 1))
                fuzz::Finding("ReadGame gave record %zu otherwise than it is written", read + 1);
            ++read;
        }
    } catch (const GameFileError&) {
        raised = true;
    }
    std::fclose(stream);
    if (read != games.size()) fuzz::Finding("ReadGame gave %zu of %zu whole records", read, games.size());
    if (raised != (end == fuzz::GameBytesEnd::BAD_HEADER))
        fuzz::Finding(raised ? "ReadGame raised on a good header" : "ReadGame took a bad header");
}

// The position file: a line for every ply of the legal games, in order,
// with its ply number, result letter, a FEN that reads and the move played.
void CheckPositionLines(const std::string& text, const std::vector<fuzz::GameBytes>& games, size_t legalGames) {
    std::vector<std::string> lines;
    fuzz::ForEachLine(text, [&](const std::string& line) { lines.push_back(line); });
    if (!text.empty() && text.back() != '\n') fuzz::Finding("the position file ends inside a line");
    size_t at = 0;
    for (size_t g = 0; g < legalGames; ++g) {
        const char result = "?BWD"[games[g].header >> 14];
        for (size_t ply = 1; ply <= games[g].moves.size(); ++ply, ++at) {
            if (at >= lines.size()) fuzz::Finding("the position file stops in game %zu at ply %zu", g + 1, ply);
            std::vector<std::string> fields;
            fuzz::ForEachField(lines[at], '\t', [&](const std::string& field) { fields.push_back(field); });
            char move[8];
            MoveToText(move, games[g].moves[ply - 1]);
            if (fields.size() != 8 || fields[0] != std::to_string(ply) || fields[1] != std::string(1, result) ||
                fields[6] != move)
                fuzz::Finding("position line %zu is not ply %zu of game %zu", at + 1, ply, g + 1);
            const std::string fen = fields[2] + ' ' + fields[3] + ' ' + fields[4] + ' ' + fields[5];
            static FenResult parsed;
            if (!ParseFen(fen.c_str(), parsed)) fuzz::Finding("position line %zu holds a FEN that does not read", at + 1);
        }
    }
    if (at != lines.size()) fuzz::Finding("the position file has %zu lines; the legal games have %zu plies", lines.size(), at);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Prepare();
    const GameState& start = fuzz::StartState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::GameBytesEnd end;
    const std::vector<fuzz::GameBytes> games = fuzz::SplitGameBytes(bytes, end);
    CheckReadGame(data, size, games, end);

    size_t legalGames = 0;
    while (legalGames < games.size() && fuzz::LegalFromStart(games[legalGames].moves)) ++legalGames;

    for (const char* name : {POSITIONS_FILE, PGN_FILE}) std::remove(name);
    fuzz::WriteFile(GAME_FILE, data, size);
    GameToPositions(GAME_FILE, POSITIONS_FILE);
    if (!(GameState::Now() == start)) fuzz::Finding("game2pos did not put the start position back");
    if (const char* fault = CheckPositionInvariants()) fuzz::Finding("after game2pos: %s", fault);
    CheckPositionLines(fuzz::ReadFile(POSITIONS_FILE), games, legalGames);

    GameToPgn(GAME_FILE, PGN_FILE);
    const std::string pgn = fuzz::ReadFile(PGN_FILE);
    size_t tags = 0;
    for (size_t at = pgn.find("[Result "); at != std::string::npos; at = pgn.find("[Result ", at + 1)) ++tags;
    if (tags != games.size()) fuzz::Finding("game2pgn wrote %zu of %zu records", tags, games.size());
    return 0;
}
