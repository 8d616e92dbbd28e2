// Shared set-up for the game-file tests: tables, a clean position, files in
// the scratch folder and captured standard output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "board/tables.h"
#include "gamefiles/setboard.h"

namespace gamefiles_test {

inline void PrepareEngine() {
    static bool tablesBuilt = false;
    if (!tablesBuilt) {
        InitTables();
        tablesBuilt = true;
    }
    currentPly = plyRecords;
}

inline std::string DataPath(const std::string& name) { return std::string(PELMOT_TEST_DATA) + "/pgn/" + name; }

inline void WriteText(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
}

inline std::string ReadText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline std::vector<unsigned char> ReadBytes(const std::string& name) {
    std::string text = ReadText(name);
    return {text.begin(), text.end()};
}

// Standard output of fn, the tools' printf lines included.
inline std::string CaptureOutput(const std::function<void()>& fn) {
    std::fflush(stdout);
    ::testing::internal::CaptureStdout();
    fn();
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

inline int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace gamefiles_test
