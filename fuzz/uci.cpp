// The UCI command loop fed arbitrary bytes after the first line "uci", one
// session per input from the state of a fresh process, with every timed
// wait cut short (the fuzz build's events and deadlines) and the table kept
// small. The checks after the session are the xboard target's. The session
// finds the book in the scratch folder; UCI mode writes no files.
#include <string>

#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Prepare();
    static const bool bookCopied = [] {
        const std::string book = fuzz::ReadFile("../Pelmot.book");
        fuzz::WriteFile("Pelmot.book", book.data(), book.size());
        return true;
    }();
    (void)bookCopied;

    std::string input = "uci\n";
    input.append(reinterpret_cast<const char*>(data), size);
    fuzz::RunSession(input.data(), input.size());
    return 0;
}
