// pelmot-games: the engine's four game-file conversions as a command, for
// scripts and large collections, and the joining of GAME files. It runs the
// same conversions as the commands typed to the engine; standard output
// carries data only (game2pgn and game2pos to "-"), everything it says goes
// to standard error, and the exit status tells the outcome.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "board/plyrecord.h"
#include "board/tables.h"
#include "gamefiles/console.h"
#include "gamefiles/game2pos.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/merge.h"
#include "gamefiles/outfile.h"
#include "gamefiles/pgn2game.h"
#include "gamefiles/pgnjobs.h"
#include "gamefiles/progress.h"

namespace {

constexpr int EXIT_CONVERTED = 0;      // every file, skipped games included
constexpr int EXIT_NOT_CONVERTED = 1;  // a file not opened or not read, or an "ERROR:" line
constexpr int EXIT_BAD_ARGUMENTS = 2;
// More processes than this would only wait for one another.
constexpr unsigned long long MAX_JOBS = 256;

constexpr char USAGE[] =
    "Usage: pelmot-games [-j N] [--quiet] COMMAND INPUT... OUTPUT\n"
    "Converts chess game files; the output file is appended to.\n"
    "\n"
    "  pgn2game GAMES.pgn OUT.game       the games of a PGN file into a GAME file\n"
    "  pgnlist2game LIST.txt OUT.game    the same for every PGN file named in LIST.txt, one a line\n"
    "  game2pgn IN.game OUT.pgn          the games of a GAME file as PGN\n"
    "  game2pos IN.game OUT.txt          every position of every game, one a line\n"
    "  merge IN.game... OUT.game         the games of GAME files that OUT.game does not hold\n"
    "\n"
    "PGN files may be compressed with gzip, bzip2, zstd or xz. \"-\" is standard\n"
    "input for an input, and standard output for game2pgn and game2pos.\n"
    "  -j N        read a PGN file with N processes (default: the number of cores);\n"
    "              the GAME file is the same as with one\n"
    "  --quiet     say only errors and the summary\n"
    "  --piece-size BYTES\n"
    "              the text each job reads at a time (4 MB; smaller for tests)\n"
    "Warnings, counters, errors, the summary and the progress (when standard\n"
    "error is a terminal) go to standard error.\n"
    "\n"
    "Exit status: 0 when every file was converted (skipped games included),\n"
    "1 when a file could not be opened or read or its conversion ended with\n"
    "\"ERROR:\", 2 for bad arguments.\n";

bool ConvertOnePgnFile(const char* pgnName, const char* gameName) {
    int total = 0;
    return ConvertPgnFile(pgnName, gameName, total);
}

struct Conversion {
    const char* command;
    bool (*convert)(const char* inName, const char* outName);
    bool writesGames;        // the output is a GAME file, which is read back
    const char* storedWord;  // of the summary
};

constexpr Conversion CONVERSIONS[] = {
    {"pgn2game", ConvertOnePgnFile, true, "stored"},
    {"pgnlist2game", ConvertPgnList, true, "stored"},
    {"game2pgn", GameToPgn, false, "written"},
    {"game2pos", GameToPositions, false, "written"},
    {"merge", nullptr, true, "stored"},
};

int BadArguments(const char* problem, const char* word) {
    std::fprintf(stderr, "pelmot-games: ");
    std::fprintf(stderr, problem, word);
    std::fprintf(stderr, "\n%s", USAGE);
    return EXIT_BAD_ARGUMENTS;
}

// A whole positive number, or 0.
unsigned long long Count(const char* text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0' && text[0] != '-' ? value : 0;
}

}  // namespace

int main(int argc, char** argv) {
    ReportFileSizeLimitAsWriteFailure();
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::fputs(USAGE, stdout);
        return EXIT_CONVERTED;
    }
    // Options anywhere before the file names; "-" alone is a file name.
    ConsoleSettings console;
    console.tool = true;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    unsigned long long pieceSize = JOB_PIECE_SIZE;
    std::vector<const char*> words;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--quiet") || !std::strcmp(arg, "-q")) {
            console.quiet = true;
        } else if (!std::strcmp(arg, "-j") || !std::strcmp(arg, "--jobs") || !std::strcmp(arg, "--piece-size")) {
            if (i + 1 == argc || Count(argv[i + 1]) == 0) return BadArguments("%s takes a number above 0", arg);
            const unsigned long long value = Count(argv[++i]);
            if (!std::strcmp(arg, "--piece-size")) pieceSize = value;
            else jobs = static_cast<int>(std::min<unsigned long long>(value, MAX_JOBS));
        } else if (!std::strncmp(arg, "-j", 2) && Count(arg + 2) > 0) {
            jobs = static_cast<int>(std::min<unsigned long long>(Count(arg + 2), MAX_JOBS));
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return BadArguments("no option '%s'", arg);
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) return BadArguments("no command%s", "");
    const Conversion* conversion = nullptr;
    for (const Conversion& candidate : CONVERSIONS)
        if (!std::strcmp(words[0], candidate.command)) conversion = &candidate;
    if (!conversion) return BadArguments("no command '%s'", words[0]);
    const bool merge = conversion->convert == nullptr;
    if (merge ? words.size() < 3 : words.size() != 3)
        return BadArguments(merge ? "%s takes GAME files and an output file name"
                                  : "%s takes an input and an output file name",
                            words[0]);
    // The duplicate test reads the GAME file back.
    if (conversion->writesGames && !std::strcmp(words.back(), "-"))
        return BadArguments("%s cannot write its GAME file to standard output", words[0]);

    SetConsole(console);
    SetConversionJobs(jobs, pieceSize);
    ShowConversionProgress(isatty(STDERR_FILENO) && !console.quiet);
    InitTables();
    currentPly = plyRecords;
    const bool converted =
        merge ? MergeGameFiles(words.data() + 1, static_cast<int>(words.size()) - 2, words.back())
              : conversion->convert(words[1], words[2]);
    SaySummary(conversion->storedWord);
    // The data is the result: output that cannot be written is a failure.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "pelmot-games: cannot write standard output\n");
        return EXIT_NOT_CONVERTED;
    }
    return converted ? EXIT_CONVERTED : EXIT_NOT_CONVERTED;
}
