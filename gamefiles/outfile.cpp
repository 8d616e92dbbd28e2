#include "gamefiles/outfile.h"

#include <csignal>
#include <filesystem>
#include <system_error>

#include "gamefiles/gamefile.h"

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
}

bool OutputFile::Open(const char* name, const char* mode, const char* kind) {
    file_ = std::fopen(name, mode);
    if (!file_) return false;
    // The buffer here is the only one: after a failed write nothing is left
    // behind in the stream that a later close could still append.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    name_ = name;
    kind_ = kind;
    buffer_.resize(2 * FLUSH_SIZE);
    size_ = 0;
    unitEnds_.clear();
    units_ = 0;
    std::fseek(file_, 0, SEEK_END);
    const long size = std::ftell(file_);
    written_ = size > 0 ? static_cast<uint64_t>(size) : 0;
    return true;
}

void OutputFile::Flush() {
    if (!file_ || unitEnds_.empty()) return;
    const size_t whole = unitEnds_.back();
    // Reads of a "a+b" file may have moved the position; writes go to the end.
    std::fseek(file_, 0, SEEK_END);
    if (std::fwrite(buffer_.data(), 1, whole, file_) != whole) Fail();
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
    if (std::fclose(file) != 0) throw GameFileError("cannot write " + kind_ + " file '" + name_ + "'");
}

void OutputFile::Fail() {
    std::fclose(file_);
    file_ = nullptr;
    // Keep the units that reached the file whole and cut off the rest of the
    // last one. A file that is not a regular file has no size to cut.
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(name_, error);
    if (!error && size >= written_) {
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
    throw GameFileError("cannot write " + kind_ + " file '" + name_ + "'");
}

void ReportFileSizeLimitAsWriteFailure() { std::signal(SIGXFSZ, SIG_IGN); }

bool IsSameFile(const char* a, const char* b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

InputFile OpenInput(const char* name, const char* mode) {
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) return nullptr;
    return InputFile(std::fopen(name, mode));
}

InputFile OpenConversionInput(const char* name, const char* mode, const char* kind, const char* outName) {
    InputFile input = OpenInput(name, mode);
    if (!input) {
        std::printf("Cannot open %s input file: '%s'\n", kind, name);
    } else if (IsSameFile(name, outName)) {
        std::printf("Input and output are the same file: '%s'\n", outName);
        input.reset();
    }
    return input;
}

void FinishOutput(OutputFile& out, std::string& failure) {
    try {
        out.Close();
    } catch (const GameFileError& error) {
        failure = error.what();
    }
}
