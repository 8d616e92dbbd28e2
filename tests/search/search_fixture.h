// Shared set-up of the search tests: tables built once, a position set up
// with cleared search tables, and a search run to a fixed depth.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/tables.h"
#include "gamefiles/setboard.h"
#include "search/search.h"
#include "shell/engine.h"
#include "shell/report.h"

class SearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitTables();
        // The thinking lines are xboard's.
        searchReporter = XboardThinkingLine;
    }
    void SetUp() override {
        engineState = Idle;
        stopSearch = 0;
        currentPly = plyRecords;
    }
    void TearDown() override {
        stopSearch = 0;
        currentPly = plyRecords;
    }
    static void Setup(const char* fen) { ASSERT_TRUE(SetBoard(fen, false)) << fen; }
    static Move Search(int depth) {
        currentPly = plyRecords;
        searchLimits = SearchLimits{};
        searchLimits.depth = depth;
        searchBegan = ProcessClock();
        return IterativeSearch();
    }
    // Search with the thinking lines captured.
    static Move SearchQuietly(int depth, std::string* output = nullptr) {
        ::testing::internal::CaptureStdout();
        const Move move = Search(depth);
        const std::string text = ::testing::internal::GetCapturedStdout();
        if (output) *output = text;
        return move;
    }
    static std::string Text(Move move) {
        char buffer[16];
        MoveToText(buffer, move);
        return buffer;
    }
};
