#include "gamefiles/merge.h"

#include <memory>
#include <string>

#include "gamefiles/console.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/gameset.h"
#include "gamefiles/input.h"
#include "gamefiles/movecheck.h"
#include "gamefiles/outfile.h"
#include "gamefiles/progress.h"
#include "gamefiles/setboard.h"

namespace {

constexpr char DUPLICATE[] = "duplicate of a stored game";

// Merges one input; false when it ended in an error (failure and words set).
bool MergeOne(const char* name, Input& input, OutputFile& out, GameSet& games, std::string& failure,
              std::string& words) {
    static GameRecord game;
    GameReader reader(input);
    int stored = 0, skipped = 0;
    try {
        ProgressBegin(name, input.FileSize());
        for (uint64_t at = reader.Offset(); reader.Next(game, name); at = reader.Offset()) {
            if (const int ply = ReplayGame(game, GameMoveCount(game), [](int) {})) {
                failure = "MOVE NOT LEGAL";
                words = "'" + std::string(name) + "' is damaged: the game at byte " + std::to_string(at) +
                        " has a move that is not legal at ply " + std::to_string(ply);
                break;
            }
            TallyRead(1);
            if (games.AddNewBytes(reader.RecordBytes(), reader.RecordSize(), out.EndOffset())) {
                out.Write(reader.RecordBytes(), reader.RecordSize());
                out.EndUnit();
                ++stored;
            } else {
                ++skipped;
                TallySkipped(DUPLICATE);
            }
            ProgressGame(stored + skipped, input.FileBytesRead());
        }
        if (failure.empty() && !input.Failure().empty()) throw FileAccessError("read", "GAME", name, input.Failure());
        if (failure.empty() && reader.Cut()) {
            failure = "GAME FILE CUT OFF";
            words = DamagedGameFileWords(name, failure, reader.Offset());
        }
    } catch (const GameFileError& error) {
        failure = error.what();
        words = error.Words();
    }
    Say("merged: %d games. (skipped: %d) file: %s\n", stored, skipped, name);
    return failure.empty();
}

}  // namespace

bool MergeGameFiles(const char* const* inputs, int count, const char* gameName) {
    OutputFile out;
    if (!out.Open(gameName, "a+b", "GAME")) {
        SayCannotCreate("Cannot create GAME output file: '%s'\n", out);
        return false;
    }
    GameSet games;
    games.Load(out);
    SetStartForConversion(!ToolConsole());
    bool all = true;
    std::string failure, words;
    for (int i = 0; i < count && failure.empty(); ++i) {
        const std::unique_ptr<Input> input = OpenConversionInput(inputs[i], "GAME", gameName);
        if (!input) {
            all = false;
            continue;
        }
        MergeOne(inputs[i], *input, out, games, failure, words);
    }
    // The games before a fault stay in the GAME file.
    FinishOutput(out, failure, words);
    TallyStored(out.UnitsWritten());
    if (!failure.empty()) SayFailure("ERROR: " + failure, "ERROR: " + words);
    FlushConsole();
    return all && failure.empty();
}
