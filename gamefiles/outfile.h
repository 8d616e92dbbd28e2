// Output files of the conversions: appended to in whole units (a GAME record,
// the PGN of a game, the position lines of a game), with every write and the
// close checked. When a write fails the file is cut back to the end of its
// last whole unit, so that what it holds stays readable and later appends
// line up, and GameFileError is raised.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

class OutputFile {
public:
    ~OutputFile();
    // Opens name for appending with the stdio mode given ("a", "ab", "a+b");
    // false when it cannot be opened (OpenFailure() says why). kind names
    // the file in the error message ("GAME", "PGN", "DB"). With
    // standardOutput, "-" is standard output.
    bool Open(const char* name, const char* mode, const char* kind, bool standardOutput = false);
    const std::string& OpenFailure() const { return reason_; }
    const std::string& Name() const { return name_; }
    // The stream, for reading a file opened with "a+b".
    std::FILE* Stream() const { return file_; }
    // Bytes of the file that are on disk: everything before the buffer.
    uint64_t WrittenSize() const { return written_; }
    // Offset in the file of the next byte written.
    uint64_t EndOffset() const { return written_ + size_; }

    void Put(char c) { *Reserve(1) = c; ++size_; }
    void Write(const void* data, size_t size) {
        std::memcpy(Reserve(size), data, size);
        size_ += size;
    }
    // Room for at most size bytes at the end of the buffer; Commit(end) keeps
    // what was written up to end.
    char* Reserve(size_t size) {
        if (size_ + size > buffer_.size()) buffer_.resize(2 * (size_ + size));
        return buffer_.data() + size_;
    }
    void Commit(const char* end) { size_ = static_cast<size_t>(end - buffer_.data()); }
    // Ends a unit; the buffer goes to the file once it is large.
    void EndUnit() {
        unitEnds_.push_back(size_);
        if (size_ >= FLUSH_SIZE) Flush();
    }
    // Writes every whole unit out; raises GameFileError on failure.
    void Flush();
    // Flushes and closes; raises GameFileError on failure. Nothing is left open.
    void Close();
    // Whole units known to be in the file since it was opened.
    int64_t UnitsWritten() const { return units_; }

private:
    static constexpr size_t FLUSH_SIZE = 1 << 16;
    [[noreturn]] void Fail();

    std::FILE* file_ = nullptr;
    bool standardOutput_ = false;
    std::string name_;
    std::string reason_;
    std::string kind_;
    std::vector<char> buffer_;      // bytes not yet written: the first size_ of it
    size_t size_ = 0;
    std::vector<size_t> unitEnds_;  // end of each whole unit in the buffer
    uint64_t written_ = 0;          // file size up to the buffer
    int64_t units_ = 0;
};

// Ends the output of a conversion: flushes and closes out. A failed write is
// the failure to report (it is what the count shows), so it replaces an
// earlier one in failure.
void FinishOutput(OutputFile& out, std::string& failure, std::string& words);

// Makes a write past the file-size limit (ulimit -f) fail like any other
// write, so that it is reported and the file cut back to its last whole
// unit, instead of the limit's signal ending the process without a word.
void ReportFileSizeLimitAsWriteFailure();

// True when both names exist and are one file (links and spellings included).
bool IsSameFile(const char* a, const char* b);

class Input;
// The input of a conversion writing to outName (with the tool's console, "-"
// is standard input): refused with a message (the "Cannot open" line for the
// kind of input, or the same-file line, since appending to the input would
// break it) and an empty owner.
std::unique_ptr<Input> OpenConversionInput(const char* name, const char* kind, const char* outName);
// The message of an output that cannot be created, in either voice.
void SayCannotCreate(const char* typedFormat, const OutputFile& out);
