// Each option is declared once, as a row of the table: the handshake prints
// the rows and "setoption" looks them up.
#include "shell/ucioptions.h"

#include <algorithm>
#include <string>

#include "search/hashtable.h"
#include "search/search.h"
#include "shell/strength.h"
#include "shell/ucilines.h"

namespace uci {

OptionValues options;
uint32_t hashMbWanted = 0;
bool clearWanted = false;

namespace {

#ifdef PELMOT_FUZZ
// A fuzzing run plays many sessions a second in little memory.
constexpr int FUZZ_LARGEST_HASH_MB = 64;
#endif

enum class OptionType { SPIN, CHECK, BUTTON };

struct OptionRow {
    const char* name;
    OptionType type;
    int defaultValue;  // spin and check (0 or 1)
    int least, most;   // spin
    const char* unit;  // after the range in a note
    void (*set)(int value);
    bool table;        // a change of the transposition table, made once idle
};

void SetHash(int mb) {
#ifdef PELMOT_FUZZ
    mb = std::min(mb, FUZZ_LARGEST_HASH_MB);
#endif
    hashMbWanted = static_cast<uint32_t>(mb);
}

const OptionRow OPTIONS[] = {
    {"Hash", OptionType::SPIN, DEFAULT_HASH_MB, MIN_HASH_MB, MAX_HASH_MB, " MB", SetHash, true},
    // One search thread: the option is there because testing frameworks
    // set it for every engine.
    {"Threads", OptionType::SPIN, 1, 1, 1, "", [](int) {}, false},
    {"MultiPV", OptionType::SPIN, 1, 1, MAX_LINES, "", [](int v) { options.multiPv = v; }, false},
    {"Ponder", OptionType::CHECK, 1, 0, 0, "", [](int v) { options.ponder = v; }, false},
    {"OwnBook", OptionType::CHECK, 1, 0, 0, "", [](int v) { options.ownBook = v; }, false},
    {"UCI_AnalyseMode", OptionType::CHECK, 0, 0, 0, "", [](int v) { options.analyseMode = v; }, false},
    {"UCI_LimitStrength", OptionType::CHECK, 0, 0, 0, "", [](int v) { options.limitStrength = v; }, false},
    {"UCI_Elo", OptionType::SPIN, FULL_STRENGTH_ELO, WEAKEST_ELO, FULL_STRENGTH_ELO, "",
     [](int v) { options.elo = v; }, false},
    {"Clear Hash", OptionType::BUTTON, 0, 0, 0, "", [](int) { clearWanted = true; }, true},
};

bool ReadCheck(std::string_view value, bool& flag) {
    if (EqualsNoCase(value, "true")) flag = true;
    else if (EqualsNoCase(value, "false")) flag = false;
    else return false;
    return true;
}

}  // namespace

void ResetOptions() {
    for (const OptionRow& row : OPTIONS)
        if (row.type != OptionType::BUTTON && !row.table) row.set(row.defaultValue);
    hashMbWanted = 0;
    clearWanted = false;
}

void SendOptions() {
    for (const OptionRow& row : OPTIONS) {
        switch (row.type) {
        case OptionType::SPIN:
            Send("option name %s type spin default %d min %d max %d", row.name, row.defaultValue, row.least, row.most);
            break;
        case OptionType::CHECK:
            Send("option name %s type check default %s", row.name, row.defaultValue ? "true" : "false");
            break;
        case OptionType::BUTTON: Send("option name %s type button", row.name); break;
        }
    }
}

bool SetOption(std::string_view name, std::string_view value) {
    const auto row = std::find_if(std::begin(OPTIONS), std::end(OPTIONS),
                                  [name](const OptionRow& r) { return EqualsNoCase(name, r.name); });
    const std::string nameText = Echo(name), valueText = Echo(value);
    if (row == std::end(OPTIONS)) {
        Note("no option \"%s\": ignored", nameText.c_str());
        return false;
    }
    switch (row->type) {
    case OptionType::SPIN: {
        int64_t number;
        if (!ReadInteger(value, number) || number < row->least || number > row->most) {
            Note("%s takes %d to %d%s, not \"%s\": ignored", row->name, row->least, row->most, row->unit,
                 valueText.c_str());
            return false;
        }
        row->set(static_cast<int>(number));
        break;
    }
    case OptionType::CHECK: {
        bool flag;
        if (!ReadCheck(value, flag)) {
            Note("%s takes true or false, not \"%s\": ignored", row->name, valueText.c_str());
            return false;
        }
        row->set(flag);
        break;
    }
    case OptionType::BUTTON: row->set(0); break;
    }
    return row->table;
}

}  // namespace uci
