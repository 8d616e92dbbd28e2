// UCI's options: one table that the handshake prints and "setoption" reads.
#pragma once

#include <cstdint>
#include <string_view>

namespace uci {

struct OptionValues {
    bool ponder = true;
    bool ownBook = true;
    int multiPv = 1;
    bool analyseMode = false;
    bool limitStrength = false;
    int elo = 0;  // set from the table's default
};
extern OptionValues options;

// Table changes asked for, made by the session once no search runs.
extern uint32_t hashMbWanted;
extern bool clearWanted;

// Every option back at its default, no table change pending.
void ResetOptions();
// The "option name ..." lines of the handshake.
void SendOptions();
// "setoption name NAME value VALUE": a note names a value out of range or an
// unknown option, which change nothing. True when a table option was set.
bool SetOption(std::string_view name, std::string_view value);

}  // namespace uci
