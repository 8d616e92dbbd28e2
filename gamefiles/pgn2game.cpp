// PGN to GAME conversion: every move is read, validated against the moves
// generated for its position, and stored; finished games only, no duplicates.
#include "gamefiles/pgn2game.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "board/log.h"
#include "gamefiles/console.h"
#include "gamefiles/gameset.h"
#include "gamefiles/input.h"
#include "gamefiles/outfile.h"
#include "gamefiles/pgnjobs.h"
#include "gamefiles/pgnreader.h"
#include "gamefiles/progress.h"
#include "gamefiles/setboard.h"

namespace {

int conversionJobs = 1;
uint64_t jobPieceSize = JOB_PIECE_SIZE;
bool jobsInOneProcess = false;

// How the conversion of one file of a list ended.
enum class FileEnd {
    CONVERTED,
    NOT_OPENED,  // the list goes on with its next file
    FAILED,      // an error: the list ends
};

// Every game read, in input order: stored unless skipped or a duplicate.
class GameTaker {
public:
    GameTaker(OutputFile& gameFile, GameSet& games, const char* pgnName)
        : gameFile_(gameFile), games_(games), pgnName_(pgnName) {}
    void Take(const unsigned char* record, size_t size, SkipReason why, int64_t line) {
        if (size > 0 && !games_.AddNewBytes(record, size, gameFile_.EndOffset())) {
            size = 0;
            why = SkipReason{"duplicate of a stored game", 0, {}};
        }
        TallyRead(1);
        if (size == 0) {
            ++skipped;
            TallySkipped(why.text);
            SayWarning(converted + skipped, pgnName_);
            SayReason(why, line);
        } else {
            gameFile_.Write(record, size);
            gameFile_.EndUnit();
            ++converted;
        }
    }
    int converted = 0;
    int skipped = 0;

private:
    OutputFile& gameFile_;
    GameSet& games_;
    const std::string pgnName_;
};

// Reads the games of input one after the other; false when the text could
// not be read to its end.
bool ReadGames(PgnReader& reader, Input& input, GameTaker& taker) {
    SkipByteOrderMark(reader);
    SkipToTags(reader);
    unsigned char bytes[2 * (GAME_MAX_MOVES + 1)];
    while (reader.Peek() != EOF) {
        const int64_t line = reader.Line();
        SkipReason why;
        const size_t size = ReadPgnRecord(reader, bytes, why);
        taker.Take(bytes, size, why, line);
        ProgressGame(taker.converted + taker.skipped, input.FileBytesRead());
    }
    return !reader.Failed();
}

// Why the first bytes of an input are not PGN text; nullptr when they are.
const char* NotPgnText(std::string_view first) {
    if (LooksLikeText(first)) return nullptr;
    // A GAME file: whole records with a result and a count a record can hold.
    size_t at = 0;
    while (at + 2 <= first.size()) {
        const uint16_t header = static_cast<uint16_t>(static_cast<unsigned char>(first[at]) |
                                                      static_cast<unsigned char>(first[at + 1]) << 8);
        if (GameHeaderFault(header) || (header & GAME_COUNT_MASK) == 0) break;
        at += 2 * ((header & GAME_COUNT_MASK) + 1);
    }
    if (at >= first.size() && at > 0) return "it is a GAME file (are the input and output swapped?)";
    return "it holds binary data";
}

// The folder of a file, for the journals of the jobs beside it.
std::string FolderOf(const char* name) {
    const std::filesystem::path folder = std::filesystem::path(name).parent_path();
    return folder.empty() ? "." : folder.string();
}

// Converts one PGN file.
FileEnd ConvertFile(const char* pgnName, const char* gameName, int& total, GameSet& games) {
    const std::unique_ptr<Input> input = OpenConversionInput(pgnName, "PGN", gameName);
    if (!input) return FileEnd::NOT_OPENED;
    static PgnReader reader;
    reader.Open(*input);
    // Nothing is written for an input that is no text at all: an archive in
    // a format not read, binary data, a GAME file given in the wrong place.
    if (const char* why = NotPgnText(reader.Ahead(PgnReader::JUDGED))) {
        SayFailure(std::string("Not a PGN file: '") + pgnName + "'",
                   std::string("pelmot-games: '") + pgnName + "' is not PGN text: " + why);
        return FileEnd::NOT_OPENED;
    }
    OutputFile gameFile;
    if (!gameFile.Open(gameName, "a+b", "GAME")) {
        SayCannotCreate("Cannot create GAME output file: '%s'\n", gameFile);
        return FileEnd::NOT_OPENED;
    }
    if (games.Loaded()) games.Attach(gameFile);
    else games.Load(gameFile);
    SetStartForConversion(!ToolConsole());

    GameTaker taker(gameFile, games, pgnName);
    const int totalBefore = total;
    std::string failure, words;
    try {
        ProgressBegin(pgnName, input->FileSize());
        // A file of one piece is read at once: jobs would cost more than
        // they save.
        const bool inJobs = conversionJobs > 1 && !IsStandardStream(pgnName, ToolConsole()) &&
                            input->FileSize() > jobPieceSize;
        bool read = false;
        if (inJobs) {
            const JobsEnd end =
                ReadGamesInJobs(pgnName, conversionJobs, jobPieceSize, FolderOf(gameName),
                                [&](const unsigned char* record, size_t size, const SkipReason& why, int64_t line) {
                                    taker.Take(record, size, why, line);
                                },
                                jobsInOneProcess);
            // Jobs that could not run (no room for their journals, say) leave
            // the reading to this process.
            read = end.ran || end.taken;
            if (read) {
                failure = end.failure;
                words = end.words;
            }
        }
        if (!read && !ReadGames(reader, *input, taker))
            throw FileAccessError("read", "PGN", pgnName, input->Failure());
    } catch (const GameFileError& error) {
        failure = error.what();
        words = error.Words();
    }
    // Games read before an error stay in the GAME file.
    FinishOutput(gameFile, failure, words);
    taker.converted = static_cast<int>(gameFile.UnitsWritten());
    TallyStored(taker.converted);
    total = totalBefore + taker.converted;
    Say("converted: %d games. (skipped: %d)\n", taker.converted, taker.skipped);
    if (failure.empty()) {
        Say("file: %s \t\tfinished\n", pgnName);
        FlushPgnEcho();
        LogLine("<<< OK:\t%s\t>>>", pgnName);
    } else {
        SayFailure("ERROR: " + failure + " file: " + pgnName, "ERROR: " + words + " file: " + pgnName);
        FlushPgnEcho();
        LogLine("converted: %d\tskipped: %d", taker.converted, taker.skipped);
        LogLine("ERROR: %s", failure.c_str());
    }
    FlushConsole();
    return failure.empty() ? FileEnd::CONVERTED : FileEnd::FAILED;
}

// Longest list line taken as a file name.
constexpr size_t LIST_LINE_MAX = 254;

// The next line of a list, without its line end; false at the end.
bool ReadListLine(Input& list, std::string& line, std::string& buffer, size_t& at) {
    line.clear();
    for (;;) {
        if (at == buffer.size()) {
            buffer.resize(1 << 12);
            buffer.resize(list.Read(buffer.data(), buffer.size()));
            at = 0;
            if (buffer.empty()) return !line.empty();
        }
        const size_t end = buffer.find('\n', at);
        line.append(buffer, at, (end == std::string::npos ? buffer.size() : end) - at);
        at = end == std::string::npos ? buffer.size() : end + 1;
        if (end != std::string::npos) return true;
    }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

void SetConversionJobs(int jobs, unsigned long long pieceSize, bool oneProcess) {
    conversionJobs = std::max(1, jobs);
    jobPieceSize = std::max<uint64_t>(pieceSize, 1);
    jobsInOneProcess = oneProcess;
}

bool ConvertPgnFile(const char* pgnName, const char* gameName, int& total) {
    GameSet games;
    return ConvertFile(pgnName, gameName, total, games) == FileEnd::CONVERTED;
}

bool ConvertPgnList(const char* listName, const char* gameName) {
    const std::unique_ptr<Input> list = OpenConversionInput(listName, "PGN", gameName);
    if (!list) return false;
    std::string buffer, line;
    size_t at = 0;
    // One set for the whole list: the GAME file is read once, not once per file.
    GameSet games;
    int total = 0;
    bool ok = true, all = true, first = true;
    while (ok && ReadListLine(*list, line, buffer, at)) {
        if (first && !LooksLikeText(buffer)) {
            SayFailure(std::string("Not a list of file names: '") + listName + "'",
                       std::string("pelmot-games: '") + listName + "' is not a list of file names: it holds binary data");
            return false;
        }
        first = false;
        // Blanks around a name are not part of it; blank lines and comments
        // name no file.
        const size_t begin = std::min(line.size(), static_cast<size_t>(std::find_if_not(line.begin(), line.end(), IsBlank) - line.begin()));
        size_t end = line.size();
        while (end > begin && IsBlank(line[end - 1])) --end;
        line = line.substr(begin, end - begin);
        if (line.empty() || line[0] == '#') continue;
        // A name cut to fit would open another file.
        if (line.size() > LIST_LINE_MAX) {
            SayFailure("Cannot open PGN input file: '" + line + "'",
                       "pelmot-games: cannot open '" + line + "': the name is longer than a list line may be");
            all = false;
            continue;
        }
        const FileEnd fileEnd = ConvertFile(line.c_str(), gameName, total, games);
        ok = fileEnd != FileEnd::FAILED;
        all = all && fileEnd == FileEnd::CONVERTED;
    }
    if (ok && !list->Failure().empty()) {
        const GameFileError error = FileAccessError("read", "list", listName, list->Failure());
        SayFailure(std::string("ERROR: ") + error.what(), "ERROR: " + error.Words());
        ok = false;
    }
    if (ok) Say("\nCONVERTED GAMES: %d\n", total);
    FlushConsole();
    return all && ok;
}
