// The inputs of the game tools: a plain file, standard input, or a file
// compressed with gzip, bzip2, zstd or xz, told apart by its first bytes and
// read through the standard library of its format. Every reader (PGN, list,
// GAME) takes an Input, so each format is read in one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class Input {
public:
    virtual ~Input() = default;
    // Up to size bytes of the text (decompressed) into data; 0 at the end of
    // the input or when reading failed (Failure() then says why).
    virtual size_t Read(char* data, size_t size) = 0;
    // Passes over size bytes of the text; returns the bytes passed over,
    // fewer when the input ends first. A plain file seeks; everything else
    // reads and drops.
    virtual uint64_t Skip(uint64_t size);
    // Empty unless reading failed: the reason in plain words.
    const std::string& Failure() const { return failure_; }
    // Bytes of the file itself read so far, and its size (0 when unknown, as
    // for a pipe): the share of a compressed file read, for progress.
    uint64_t FileBytesRead() const { return fileBytesRead_; }
    uint64_t FileSize() const { return fileSize_; }
    // "gzip", "bzip2", "zstd", "xz", or nullptr for plain text.
    virtual const char* Compression() const { return nullptr; }

protected:
    std::string failure_;
    uint64_t fileBytesRead_ = 0;
    uint64_t fileSize_ = 0;
};

// What opening an input gives: the input, or the reason it cannot be read.
struct OpenedInput {
    std::unique_ptr<Input> input;
    std::string error;  // "No such file or directory", "Is a directory", ...
};

// Opens name for reading. With standardInput, "-" is standard input (the
// typed commands of the engine read their protocol there, so for them "-"
// is a file name like any other). A file that begins like an archive or a
// compression this program does not read is refused with its format named.
OpenedInput OpenInput(const char* name, bool standardInput);

// True when the name stands for standard input or output.
inline bool IsStandardStream(const char* name, bool standardStreams) {
    return standardStreams && name[0] == '-' && name[1] == '\0';
}

// What the first bytes of a file say it is: "gzip", "bzip2", "zstd" or
// "xz" for the compressions read, else nullptr.
const char* CompressionOf(std::string_view firstBytes);
// A format recognised but not read ("a zip archive", ...), else nullptr.
const char* UnreadFormatOf(std::string_view firstBytes);

// True when the first bytes of a text look like text: no NUL byte, and few
// control characters other than white space. Binary data fails at once.
bool LooksLikeText(std::string_view firstBytes);
