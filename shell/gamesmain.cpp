// pelmot-games: the engine's four game-file conversions as a command, for
// scripts and large collections. It runs the same conversions and prints the
// same lines as the commands typed to the engine, and tells the outcome by
// its exit status.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "board/plyrecord.h"
#include "board/tables.h"
#include "gamefiles/game2pos.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/outfile.h"
#include "gamefiles/pgn2game.h"
#include "gamefiles/progress.h"

namespace {

constexpr int EXIT_CONVERTED = 0;      // every file, skipped games included
constexpr int EXIT_NOT_CONVERTED = 1;  // a file not opened, or an "ERROR:" line
constexpr int EXIT_BAD_ARGUMENTS = 2;

constexpr char USAGE[] =
    "Usage: pelmot-games COMMAND INPUT OUTPUT\n"
    "Converts chess game files; the output file is appended to.\n"
    "\n"
    "  pgn2game GAMES.pgn OUT.game       the games of a PGN file into a GAME file\n"
    "  pgnlist2game LIST.txt OUT.game    the same for every PGN file named in LIST.txt, one a line\n"
    "  game2pgn IN.game OUT.pgn          the games of a GAME file as PGN\n"
    "  game2pos IN.game OUT.txt          every position of every game, one a line\n"
    "\n"
    "Exit status: 0 when every file was converted (skipped games included),\n"
    "1 when a file could not be opened or its conversion ended with \"ERROR:\",\n"
    "2 for bad arguments. Progress is shown when standard error is a terminal.\n";

bool ConvertOnePgnFile(const char* pgnName, const char* gameName) {
    int total = 0;
    return ConvertPgnFile(pgnName, gameName, total);
}

struct Conversion {
    const char* command;
    bool (*convert)(const char* inName, const char* outName);
};

constexpr Conversion CONVERSIONS[] = {
    {"pgn2game", ConvertOnePgnFile},
    {"pgnlist2game", ConvertPgnList},
    {"game2pgn", GameToPgn},
    {"game2pos", GameToPositions},
};

int BadArguments(const char* problem, const char* word) {
    std::fprintf(stderr, "pelmot-games: ");
    std::fprintf(stderr, problem, word);
    std::fprintf(stderr, "\n%s", USAGE);
    return EXIT_BAD_ARGUMENTS;
}

}  // namespace

int main(int argc, char** argv) {
    ReportFileSizeLimitAsWriteFailure();
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::fputs(USAGE, stdout);
        return EXIT_CONVERTED;
    }
    if (argc < 2) return BadArguments("no command%s", "");
    const Conversion* conversion = nullptr;
    for (const Conversion& candidate : CONVERSIONS)
        if (!std::strcmp(argv[1], candidate.command)) conversion = &candidate;
    if (!conversion) return BadArguments("no command '%s'", argv[1]);
    if (argc != 4) return BadArguments("%s takes an input and an output file name", argv[1]);

    ShowConversionProgress(isatty(STDERR_FILENO));
    InitTables();
    currentPly = plyRecords;
    const bool converted = conversion->convert(argv[2], argv[3]);
    // The report is the result: one that cannot be written is a failure.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "pelmot-games: cannot write standard output\n");
        return EXIT_NOT_CONVERTED;
    }
    return converted ? EXIT_CONVERTED : EXIT_NOT_CONVERTED;
}
