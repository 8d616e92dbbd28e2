#include "gamefiles/outfile.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <system_error>

#include "gamefiles/console.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/input.h"

OutputFile::~OutputFile() {
    if (file_ && !standardOutput_) std::fclose(file_);
}

bool OutputFile::Open(const char* name, const char* mode, const char* kind, bool standardOutput) {
    standardOutput_ = IsStandardStream(name, standardOutput);
    file_ = standardOutput_ ? stdout : std::fopen(name, mode);
    name_ = name;
    if (!file_) {
        reason_ = std::strerror(errno);
        return false;
    }
    // The buffer here is the only one: after a failed write nothing is left
    // behind in the stream that a later close could still append.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    kind_ = kind;
    buffer_.resize(2 * FLUSH_SIZE);
    size_ = 0;
    unitEnds_.clear();
    units_ = 0;
    written_ = 0;
    if (!standardOutput_) {
        std::fseek(file_, 0, SEEK_END);
        const long size = std::ftell(file_);
        written_ = size > 0 ? static_cast<uint64_t>(size) : 0;
    }
    return true;
}

void OutputFile::Flush() {
    if (!file_ || unitEnds_.empty()) return;
    const size_t whole = unitEnds_.back();
    // Reads of a "a+b" file may have moved the position; writes go to the end.
    if (!standardOutput_) std::fseek(file_, 0, SEEK_END);
    if (std::fwrite(buffer_.data(), 1, whole, file_) != whole) {
        reason_ = std::strerror(errno);
        Fail();
    }
    written_ += whole;
    units_ += static_cast<int64_t>(unitEnds_.size());
    std::memmove(buffer_.data(), buffer_.data() + whole, size_ - whole);
    size_ -= whole;
    unitEnds_.clear();
}

void OutputFile::Close() {
    if (!file_) return;
    Flush();
    std::FILE* file = file_;
    file_ = nullptr;
    const bool closed = standardOutput_ ? std::fflush(file) == 0 && !std::ferror(file) : std::fclose(file) == 0;
    if (!closed) throw FileAccessError("write", kind_, name_, std::strerror(errno));
}

void OutputFile::Fail() {
    if (!standardOutput_) std::fclose(file_);
    file_ = nullptr;
    // Keep the units that reached the file whole and cut off the rest of the
    // last one. A file that is not a regular file has no size to cut.
    std::error_code error;
    const uintmax_t size = standardOutput_ ? 0 : std::filesystem::file_size(name_, error);
    if (!standardOutput_ && !error && size >= written_) {
        uint64_t end = written_;
        for (size_t unitEnd : unitEnds_) {
            if (written_ + unitEnd > size) break;
            end = written_ + unitEnd;
            ++units_;
        }
        if (size > end) std::filesystem::resize_file(name_, end, error);
        written_ = end;
    }
    size_ = 0;
    unitEnds_.clear();
    throw FileAccessError("write", kind_, name_, reason_);
}

void ReportFileSizeLimitAsWriteFailure() { std::signal(SIGXFSZ, SIG_IGN); }

bool IsSameFile(const char* a, const char* b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

std::unique_ptr<Input> OpenConversionInput(const char* name, const char* kind, const char* outName) {
    OpenedInput opened = OpenInput(name, ToolConsole());
    if (!opened.input) {
        SayFailure(std::string("Cannot open ") + kind + " input file: '" + name + "'",
                   std::string("pelmot-games: cannot open '") + name + "': " + opened.error);
    } else if (!IsStandardStream(name, ToolConsole()) && IsSameFile(name, outName)) {
        const std::string text = std::string("Input and output are the same file: '") + outName + "'";
        SayFailure(text, "pelmot-games: " + text);
        opened.input.reset();
    }
    return std::move(opened.input);
}

void SayCannotCreate(const char* typedFormat, const OutputFile& out) {
    char typed[600];
    std::snprintf(typed, sizeof typed, typedFormat, out.Name().c_str());
    std::string text = typed;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    SayFailure(text, "pelmot-games: cannot create '" + out.Name() + "': " + out.OpenFailure());
}

void FinishOutput(OutputFile& out, std::string& failure, std::string& words) {
    try {
        out.Close();
    } catch (const GameFileError& error) {
        failure = error.what();
        words = error.Words();
    }
}
