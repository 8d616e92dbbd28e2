// The command loop fed arbitrary bytes as the front end's input, one session
// per input from the state of a fresh process, with every timed wait cut
// short (the fuzz build's events). Afterwards the engine thread has ended,
// the position is consistent and is the game's position (no pondered move
// left on the board).
//
// The session works in the scratch folder, which before every input holds
// only the files the target was given in the folder it started in (the
// book and a few game files). File names come from the input; a "/" in the
// two words after a tool's name becomes "_", so every file the engine opens
// by a name from the input is in the scratch folder.
#include <dirent.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "support.h"

namespace {

// Files copied into the scratch folder for every session.
constexpr const char* SESSION_FILES[] = {"Pelmot.book", "games.pgn", "games.game", "games.list"};

struct SessionFile {
    std::string name;
    std::string bytes;
};

const std::vector<SessionFile>& SessionFiles() {
    static const std::vector<SessionFile> files = [] {
        std::vector<SessionFile> read;
        for (const char* name : SESSION_FILES) {
            const std::string path = std::string("../") + name;
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (!file) fuzz::Finding("the session file %s is missing beside the scratch folder", name);
            std::fclose(file);
            read.push_back({name, fuzz::ReadFile(path.c_str())});
        }
        return read;
    }();
    return files;
}

void ResetScratchFolder() {
    if (DIR* folder = opendir(".")) {
        std::vector<std::string> names;
        while (const dirent* entry = readdir(folder))
            if (entry->d_type == DT_REG) names.push_back(entry->d_name);
        closedir(folder);
        for (const std::string& name : names) std::remove(name.c_str());
    }
    for (const SessionFile& file : SessionFiles()) fuzz::WriteFile(file.name.c_str(), file.bytes.data(), file.bytes.size());
}

// The input with "/" replaced in the two words after every word that
// contains a tool's name ("time 5pgn2game" reads as a clock and the tool).
std::vector<char> ConfinedInput(const uint8_t* data, size_t size) {
    std::vector<char> text(data, data + size);
    int namesLeft = 0;
    size_t at = 0;
    while (at < size) {
        while (at < size && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        const size_t start = at;
        while (at < size && !std::isspace(static_cast<unsigned char>(text[at]))) {
            if (namesLeft > 0 && text[at] == '/') text[at] = '_';
            ++at;
        }
        if (at == start) break;
        const std::string word(text.data() + start, at - start);
        if (namesLeft > 0) --namesLeft;
        for (const char* tool : {"2game", "2pgn", "2pos"})
            if (word.find(tool) != std::string::npos) namesLeft = 2;
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Prepare();
    ResetScratchFolder();
    const std::vector<char> input = ConfinedInput(data, size);
    fuzz::RunSession(input.data(), input.size());
    return 0;
}
