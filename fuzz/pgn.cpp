// The PGN reader (pgn2game) on arbitrary text. The conversion never ends in
// an error: a fault of the text costs its game only, and every skipped game
// has its warning and the reason below it. The GAME file it writes holds
// whole records only, each a legal game from the start position with a
// result, no two alike; converting the same text again adds nothing; and
// the file's game2pgn output reads back to the same bytes. The same text
// compressed with gzip, bzip2, zstd and xz, and read by two jobs in small
// pieces, gives the same records and lines. Bytes that are no text are
// refused without a GAME file; bytes that begin like a compressed file go
// through its decompressor, which may end in a read error and nothing worse.
#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdio>
#include <cstring>
#include <set>

#include "board/invariants.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/input.h"
#include "gamefiles/pgn2game.h"
#include "gamefiles/pgnjobs.h"
#include "gamefiles/pgnreader.h"
#include "search/hashtable.h"
#include "support.h"

namespace {

constexpr char PGN_FILE[] = "fuzz.pgn";
constexpr char GAME_FILE[] = "fuzz.game";
constexpr char BACK_PGN_FILE[] = "back.pgn";
constexpr char BACK_GAME_FILE[] = "back.game";
constexpr char REPORT_FILE[] = "report.txt";
constexpr char OTHER_GAME_FILE[] = "other.game";
// Pieces far smaller than real ones, so that games run over their ends.
constexpr unsigned long long FUZZ_PIECE_SIZE = 64;

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

// Converts and returns what was printed.
std::string ConvertAny(const char* pgnName, const char* gameName, bool& converted) {
    if (!std::freopen(REPORT_FILE, "w", stdout)) fuzz::Finding("cannot catch standard output");
    int total = 0;
    converted = ConvertPgnFile(pgnName, gameName, total);
    std::fflush(stdout);
    if (const char* fault = CheckPositionInvariants()) fuzz::Finding("after converting %s: %s", pgnName, fault);
    return fuzz::ReadFile(REPORT_FILE);
}

std::string Convert(const char* pgnName, const char* gameName) {
    bool converted = false;
    const std::string report = ConvertAny(pgnName, gameName, converted);
    if (!converted) fuzz::Finding("converting %s ended in an error: %s", pgnName, report.c_str());
    CheckReport(pgnName, report);
    return report;
}

// The text compressed in each format the reader takes.
std::vector<std::pair<const char*, std::string>> Compressed(const uint8_t* data, size_t size) {
    std::vector<std::pair<const char*, std::string>> all;
    std::string out(2 * size + 1024, '\0');
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    all.emplace_back("gzip", out.substr(0, z.total_out));
    deflateEnd(&z);
    unsigned length = static_cast<unsigned>(out.size());
    BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char*>(reinterpret_cast<const char*>(data)),
                             static_cast<unsigned>(size), 1, 0, 0);
    all.emplace_back("bzip2", out.substr(0, length));
    all.emplace_back("zstd", out.substr(0, ZSTD_compress(out.data(), out.size(), data, size, 1)));
    size_t xzLength = 0;
    lzma_easy_buffer_encode(0, LZMA_CHECK_CRC32, nullptr, data, size, reinterpret_cast<uint8_t*>(out.data()),
                            &xzLength, out.size());
    all.emplace_back("xz", out.substr(0, xzLength));
    return all;
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
    // Every conversion clears the search's table, which reading games never
    // uses: the smallest one makes the runs (and the jobs' forks) cheap.
    static const bool small = ResizeHashTable(MIN_HASH_MB);
    (void)small;
    for (const char* name : {GAME_FILE, BACK_PGN_FILE, BACK_GAME_FILE, OTHER_GAME_FILE}) std::remove(name);
    fuzz::WriteFile(PGN_FILE, data, size);

    const std::string_view first(reinterpret_cast<const char*>(data), size);
    if (UnreadFormatOf(first)) {
        bool converted = true;
        const std::string report = ConvertAny(PGN_FILE, GAME_FILE, converted);
        if (converted || report != std::string("Cannot open PGN input file: '") + PGN_FILE + "'\n")
            fuzz::Finding("a format not read was converted: %s", report.c_str());
        return 0;
    }
    if (CompressionOf(first)) {
        bool converted = false;
        ConvertAny(PGN_FILE, GAME_FILE, converted);
        CheckGameFile(fuzz::ReadFile(GAME_FILE));
        return 0;
    }
    // The first block read is judged, up to a Ctrl-Z, which ends the text.
    const char* const text = reinterpret_cast<const char*>(data);
    const size_t judged = std::min<size_t>(size, PgnReader::JUDGED);
    const char* const ctrlZ = static_cast<const char*>(std::memchr(text, 0x1A, judged));
    if (!LooksLikeText(std::string_view(text, ctrlZ ? static_cast<size_t>(ctrlZ - text) : judged))) {
        bool converted = true;
        const std::string report = ConvertAny(PGN_FILE, GAME_FILE, converted);
        if (converted || report != std::string("Not a PGN file: '") + PGN_FILE + "'\n")
            fuzz::Finding("bytes that are no text were converted: %s", report.c_str());
        if (!fuzz::ReadFile(GAME_FILE).empty() || std::fopen(GAME_FILE, "rb"))
            fuzz::Finding("bytes that are no text left a GAME file");
        return 0;
    }

    const std::string report = Convert(PGN_FILE, GAME_FILE);
    const std::string stored = fuzz::ReadFile(GAME_FILE);
    CheckGameFile(stored);

    Convert(PGN_FILE, GAME_FILE);
    if (fuzz::ReadFile(GAME_FILE) != stored) fuzz::Finding("converting the same text again changed the GAME file");

    GameToPgn(GAME_FILE, BACK_PGN_FILE);
    Convert(BACK_PGN_FILE, BACK_GAME_FILE);
    if (fuzz::ReadFile(BACK_GAME_FILE) != stored) fuzz::Finding("the game2pgn output does not read back to the GAME file");

    SetConversionJobs(2, FUZZ_PIECE_SIZE, true);
    const std::string jobsReport = Convert(PGN_FILE, OTHER_GAME_FILE);
    SetConversionJobs(1, JOB_PIECE_SIZE);
    if (fuzz::ReadFile(OTHER_GAME_FILE) != stored || jobsReport != report)
        fuzz::Finding("two jobs read otherwise than one: %s", jobsReport.c_str());

    for (const auto& [format, bytes] : Compressed(data, size)) {
        std::remove(OTHER_GAME_FILE);
        fuzz::WriteFile(PGN_FILE, bytes.data(), bytes.size());
        if (Convert(PGN_FILE, OTHER_GAME_FILE) != report || fuzz::ReadFile(OTHER_GAME_FILE) != stored)
            fuzz::Finding("the text compressed with %s reads otherwise", format);
    }
    return 0;
}
