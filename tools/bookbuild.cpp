// pelmot-bookbuild SOURCE OUTPUT: turns the readable opening lines into the
// binary book the engine loads. Every move must be legal where it is played;
// any fault stops the build and no book is written.
//
// Source format: one opening line per text line, moves in standard algebraic
// notation from the start position, move numbers optional ("1.e4 e5 2.Nf3").
// "#" starts a comment; blank lines are skipped. A move must be written the
// way a PGN writer would: no redundant disambiguation, castling as O-O/O-O-O.
// Check, mate and annotation marks (+ # ! ?) are ignored.
//
// The book is written to a new file beside OUTPUT, which replaces OUTPUT only
// once the engine's loader accepts it; on any fault OUTPUT stays as it was.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "board/tables.h"
#include "gamefiles/book.h"
#include "gamefiles/san.h"
#include "gamefiles/setboard.h"
#include "movegen/legality.h"

namespace {

// Drops a leading move number ("12." or "12...") and trailing marks.
std::string MoveTextOf(std::string token) {
    size_t digits = 0;
    while (digits < token.size() && token[digits] >= '0' && token[digits] <= '9') ++digits;
    if (digits > 0 && digits < token.size() && token[digits] == '.') {
        size_t end = digits;
        while (end < token.size() && token[end] == '.') ++end;
        token.erase(0, end);
    }
    while (!token.empty() && std::strchr("+#!?", token.back())) token.pop_back();
    return token;
}

struct SourceLine {
    int lineNumber;
    std::vector<Move> moves;
};

// Plays one source line from the start position, turning its text into moves.
// The position is restored before returning.
bool ReadOpeningLine(const char* sourceName, int lineNumber, const std::string& text, SourceLine& out) {
    std::istringstream tokens(text);
    std::string token;
    bool ok = true;
    while (ok && tokens >> token) {
        const std::string san = MoveTextOf(token);
        if (san.empty()) continue;
        if (static_cast<int>(out.moves.size()) == BOOK_MAX_LINE) {
            std::fprintf(stderr, "%s:%d: more than %d moves in one line\n", sourceName, lineNumber, BOOK_MAX_LINE);
            ok = false;
            break;
        }
        Move legal[MAX_LEGAL_MOVES];
        const int count = GenerateLegalMoves(legal);
        Move found = MOVE_NONE;
        for (int i = 0; i < count; ++i) {
            if (MoveToSan(legal[i], legal, count) == san) found = legal[i];
        }
        if (found == MOVE_NONE) {
            std::string choices;
            for (int i = 0; i < count; ++i) {
                choices += ' ';
                choices += MoveToSan(legal[i], legal, count);
            }
            std::fprintf(stderr, "%s:%d: \"%s\" (ply %zu) is not a legal move here; legal moves:%s\n", sourceName,
                         lineNumber, token.c_str(), out.moves.size() + 1, choices.c_str());
            ok = false;
            break;
        }
        SaveSnapshot(currentPly);
        MakeMove(found, currentPly);
        ++currentPly;
        out.moves.push_back(found);
    }
    for (size_t i = out.moves.size(); i-- > 0;) {
        --currentPly;
        UnmakeMove(out.moves[i], currentPly);
    }
    return ok;
}

bool WriteBook(std::FILE* out, const std::vector<SourceLine>& lines) {
    std::string bytes = std::to_string(lines.size()) + '\n';
    for (const SourceLine& line : lines) {
        bytes += static_cast<char>(line.moves.size());
        for (Move move : line.moves) {
            bytes += static_cast<char>(move & 0xFF);
            bytes += static_cast<char>(move >> 8);
        }
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

// The file the book goes to: the output itself, or what a link there names.
// Anything but a regular file (a device, a folder) is refused.
bool BookTarget(const char* outputName, std::filesystem::path& target) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(outputName, error);
    if (!std::filesystem::exists(status)) {
        target = outputName;
        return true;
    }
    if (!std::filesystem::is_regular_file(status)) return false;
    target = std::filesystem::canonical(outputName, error);
    return !error;
}

// A new file beside target, created here (never one that was there before).
std::FILE* CreateTemporary(const std::filesystem::path& target, std::string& name) {
    for (int n = 1; n <= 100; ++n) {
        name = target.string() + ".new" + std::to_string(n);
        if (std::FILE* file = std::fopen(name.c_str(), "wbx")) return file;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pelmot-bookbuild SOURCE OUTPUT\n");
        return 2;
    }
    const char* sourceName = argv[1];
    const char* outputName = argv[2];
    std::ifstream source(sourceName);
    if (!source) {
        std::fprintf(stderr, "%s: cannot open\n", sourceName);
        return 1;
    }
    InitTables();
    if (!SetBoard(START_FEN, false)) {
        std::fprintf(stderr, "cannot set up the start position\n");
        return 1;
    }

    std::vector<SourceLine> lines;
    std::string text;
    int lineNumber = 0, faults = 0;
    size_t plies = 0;
    while (std::getline(source, text)) {
        ++lineNumber;
        const size_t comment = text.find('#');
        if (comment != std::string::npos) text.erase(comment);
        SourceLine line{lineNumber, {}};
        if (!ReadOpeningLine(sourceName, lineNumber, text, line)) {
            ++faults;
            continue;
        }
        if (line.moves.empty()) continue;
        plies += line.moves.size();
        lines.push_back(std::move(line));
    }
    if (faults > 0) {
        std::fprintf(stderr, "%s: %d faulty line(s); no book written\n", sourceName, faults);
        return 1;
    }
    if (lines.empty()) {
        std::fprintf(stderr, "%s: no opening lines\n", sourceName);
        return 1;
    }
    // The new book is written beside the old one and replaces it only once
    // the engine loads it; a failure leaves the old book as it was.
    std::filesystem::path target;
    if (!BookTarget(outputName, target)) {
        std::fprintf(stderr, "%s: not a regular file; no book written\n", outputName);
        return 1;
    }
    std::string temporary;
    std::FILE* out = CreateTemporary(target, temporary);
    if (!out) {
        std::fprintf(stderr, "%s: cannot create a file beside it; no book written\n", outputName);
        return 1;
    }
    const char* fault = nullptr;
    if (!WriteBook(out, lines)) fault = "cannot write";
    else if (!SetBoard(START_FEN, false) || !BookLoad(temporary.c_str())) fault = "the engine does not load the written book";
    else if (std::rename(temporary.c_str(), target.c_str()) != 0) fault = "cannot replace";
    if (fault) {
        std::remove(temporary.c_str());
        std::fprintf(stderr, "%s: %s; no book written\n", outputName, fault);
        return 1;
    }
    std::printf("%s: %zu lines, %zu plies\n", outputName, lines.size(), plies);
    return 0;
}
