#include "gamefiles/input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Each decompressor is built when its library was found: the engine itself
// needs none of them.
#ifdef PELMOT_WITH_ZLIB
#include <zlib.h>
#endif
#ifdef PELMOT_WITH_BZIP2
#include <bzlib.h>
#endif
#ifdef PELMOT_WITH_ZSTD
#include <zstd.h>
#endif
#ifdef PELMOT_WITH_LZMA
#include <lzma.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Bytes of the file taken at a time by a decompressor.
constexpr size_t FILE_BLOCK = 1 << 17;
// The longest magic number looked at.
constexpr size_t MAGIC_SIZE = 6;

// The file itself: a descriptor, the first bytes already read for the magic
// number handed out first.
class RawFile {
public:
    RawFile(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~RawFile() {
        if (owned_) close(fd_);
    }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // Reads the first bytes, which stay to be read again.
    std::string_view Peek(size_t size, std::string& failure) {
        while (head_.size() < size) {
            char bytes[MAGIC_SIZE];
            const ssize_t got = ReadSome(bytes, size - head_.size(), failure);
            if (got <= 0) break;
            head_.append(bytes, static_cast<size_t>(got));
        }
        return head_;
    }
    // Up to size bytes; 0 at the end, -1 on failure (the reason in failure).
    ssize_t Read(char* data, size_t size, std::string& failure) {
        if (headAt_ < head_.size()) {
            const size_t part = std::min(size, head_.size() - headAt_);
            std::memcpy(data, head_.data() + headAt_, part);
            headAt_ += part;
            // The rest of the block from the file, as if nothing were put back.
            const ssize_t more = part < size ? ReadSome(data + part, size - part, failure) : 0;
            return static_cast<ssize_t>(part) + std::max<ssize_t>(more, 0);
        }
        return ReadSome(data, size, failure);
    }
    // Seeks forward when the file can; false otherwise (nothing done).
    bool SeekForward(uint64_t size) {
        if (headAt_ < head_.size() || !regular_) return false;
        return lseek(fd_, static_cast<off_t>(size), SEEK_CUR) != static_cast<off_t>(-1);
    }
    void SetRegular(bool regular) { regular_ = regular; }

private:
    ssize_t ReadSome(char* data, size_t size, std::string& failure) {
        for (;;) {
            const ssize_t got = ::read(fd_, data, size);
            if (got >= 0) return got;
            if (errno == EINTR) continue;
            failure = std::strerror(errno);
            return -1;
        }
    }
    int fd_;
    bool owned_;
    bool regular_ = false;
    std::string head_;
    size_t headAt_ = 0;
};

class PlainInput : public Input {
public:
    PlainInput(std::unique_ptr<RawFile> file, uint64_t size) : file_(std::move(file)) { fileSize_ = size; }
    size_t Read(char* data, size_t size) override {
        if (!failure_.empty()) return 0;
        const ssize_t got = file_->Read(data, size, failure_);
        if (got <= 0) return 0;
        fileBytesRead_ += static_cast<uint64_t>(got);
        return static_cast<size_t>(got);
    }
    uint64_t Skip(uint64_t size) override {
        if (size > 0 && failure_.empty() && fileSize_ > 0 && fileBytesRead_ + size <= fileSize_ &&
            file_->SeekForward(size)) {
            fileBytesRead_ += size;
            return size;
        }
        return Input::Skip(size);
    }

private:
    std::unique_ptr<RawFile> file_;
};

// The frame of every decompressor: the compressed bytes come from the file a
// block at a time; Decode turns them into text.
class Decompressor : public Input {
public:
    Decompressor(std::unique_ptr<RawFile> file, uint64_t size) : file_(std::move(file)), in_(FILE_BLOCK) {
        fileSize_ = size;
    }
    size_t Read(char* data, size_t size) override {
        size_t done = 0;
        while (done == 0 && failure_.empty() && !ended_) {
            if (next_ == end_ && !fileEnded_) Refill();
            const bool noInput = next_ == end_;
            const Step step = Decode(data, size, done);
            if (step == Step::FAULT) {
                Fail("damaged");
            } else if (step == Step::STREAM_END) {
                // Several streams one after the other make one text.
                if (next_ == end_ && !fileEnded_) Refill();
                if (next_ == end_) ended_ = true;
                else if (!Restart()) Fail("damaged");
            } else if (noInput && fileEnded_ && done == 0) {
                if (CleanEnd()) ended_ = true;
                else Fail("cut off");
            }
        }
        return done;
    }

protected:
    enum class Step { MORE, STREAM_END, FAULT };
    // Decodes from [next_, end_) into data, advancing next_ and adding the
    // bytes written to done.
    virtual Step Decode(char* data, size_t size, size_t& done) = 0;
    // Begins the next stream of the file.
    virtual bool Restart() = 0;
    // True when the file may end where the decoder stands.
    virtual bool CleanEnd() const { return false; }

    const char* next_ = nullptr;
    const char* end_ = nullptr;
    bool fileEnded_ = false;

private:
    void Fail(const char* how) {
        if (failure_.empty()) failure_ = std::string("the ") + Compression() + " data is " + how;
    }
    void Refill() {
        const ssize_t got = file_->Read(in_.data(), in_.size(), failure_);
        if (got <= 0) {
            fileEnded_ = true;
            next_ = end_ = in_.data();
            return;
        }
        fileBytesRead_ += static_cast<uint64_t>(got);
        next_ = in_.data();
        end_ = next_ + got;
    }
    std::unique_ptr<RawFile> file_;
    std::vector<char> in_;
    bool ended_ = false;
};

#ifdef PELMOT_WITH_ZLIB
class GzipInput : public Decompressor {
public:
    GzipInput(std::unique_ptr<RawFile> file, uint64_t size) : Decompressor(std::move(file), size) {
        // 32 added to the window bits reads the gzip header.
        if (inflateInit2(&stream_, 15 + 32) != Z_OK) failure_ = "out of memory";
    }
    ~GzipInput() override { inflateEnd(&stream_); }
    const char* Compression() const override { return "gzip"; }

protected:
    Step Decode(char* data, size_t size, size_t& done) override {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(next_));
        stream_.avail_in = static_cast<uInt>(end_ - next_);
        stream_.next_out = reinterpret_cast<Bytef*>(data + done);
        stream_.avail_out = static_cast<uInt>(size - done);
        const int status = inflate(&stream_, Z_NO_FLUSH);
        next_ = reinterpret_cast<const char*>(stream_.next_in);
        done = size - stream_.avail_out;
        if (status == Z_STREAM_END) return Step::STREAM_END;
        if (status == Z_OK || (status == Z_BUF_ERROR && next_ == end_)) return Step::MORE;
        return Step::FAULT;
    }
    bool Restart() override { return inflateReset(&stream_) == Z_OK; }

private:
    z_stream stream_{};
};
#endif

#ifdef PELMOT_WITH_BZIP2
class Bzip2Input : public Decompressor {
public:
    Bzip2Input(std::unique_ptr<RawFile> file, uint64_t size) : Decompressor(std::move(file), size) {
        if (BZ2_bzDecompressInit(&stream_, 0, 0) != BZ_OK) failure_ = "out of memory";
    }
    ~Bzip2Input() override { BZ2_bzDecompressEnd(&stream_); }
    const char* Compression() const override { return "bzip2"; }

protected:
    Step Decode(char* data, size_t size, size_t& done) override {
        stream_.next_in = const_cast<char*>(next_);
        stream_.avail_in = static_cast<unsigned>(end_ - next_);
        stream_.next_out = data + done;
        stream_.avail_out = static_cast<unsigned>(size - done);
        const int status = BZ2_bzDecompress(&stream_);
        next_ = stream_.next_in;
        done = size - stream_.avail_out;
        if (status == BZ_STREAM_END) return Step::STREAM_END;
        return status == BZ_OK ? Step::MORE : Step::FAULT;
    }
    bool Restart() override {
        BZ2_bzDecompressEnd(&stream_);
        stream_ = bz_stream{};
        return BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK;
    }

private:
    bz_stream stream_{};
};
#endif

#ifdef PELMOT_WITH_ZSTD
class ZstdInput : public Decompressor {
public:
    ZstdInput(std::unique_ptr<RawFile> file, uint64_t size) : Decompressor(std::move(file), size) {
        if (!stream_) failure_ = "out of memory";
    }
    ~ZstdInput() override { ZSTD_freeDStream(stream_); }
    const char* Compression() const override { return "zstd"; }

protected:
    Step Decode(char* data, size_t size, size_t& done) override {
        // The frames of a file follow one another in one stream.
        ZSTD_inBuffer in{next_, static_cast<size_t>(end_ - next_), 0};
        ZSTD_outBuffer out{data, size, done};
        const size_t status = ZSTD_decompressStream(stream_, &out, &in);
        next_ += in.pos;
        done = out.pos;
        if (ZSTD_isError(status)) return Step::FAULT;
        if (in.pos > 0 || out.pos > 0) frameEnded_ = status == 0;
        return Step::MORE;
    }
    bool Restart() override { return true; }
    // 0 from the decoder: the last frame ended whole.
    bool CleanEnd() const override { return frameEnded_; }

private:
    ZSTD_DStream* stream_ = ZSTD_createDStream();
    bool frameEnded_ = false;
};
#endif

#ifdef PELMOT_WITH_LZMA
class XzInput : public Decompressor {
public:
    XzInput(std::unique_ptr<RawFile> file, uint64_t size) : Decompressor(std::move(file), size) {
        if (lzma_stream_decoder(&stream_, UINT64_MAX, LZMA_CONCATENATED) != LZMA_OK) failure_ = "out of memory";
    }
    ~XzInput() override { lzma_end(&stream_); }
    const char* Compression() const override { return "xz"; }

protected:
    Step Decode(char* data, size_t size, size_t& done) override {
        stream_.next_in = reinterpret_cast<const uint8_t*>(next_);
        stream_.avail_in = static_cast<size_t>(end_ - next_);
        stream_.next_out = reinterpret_cast<uint8_t*>(data + done);
        stream_.avail_out = size - done;
        // With the file read whole, the decoder is told so that it can check
        // the end of the last stream.
        const lzma_ret status = lzma_code(&stream_, fileEnded_ ? LZMA_FINISH : LZMA_RUN);
        next_ = reinterpret_cast<const char*>(stream_.next_in);
        done = size - stream_.avail_out;
        if (status == LZMA_STREAM_END) return Step::STREAM_END;
        if (status == LZMA_OK || status == LZMA_BUF_ERROR) return Step::MORE;
        return Step::FAULT;
    }
    bool Restart() override { return false; }

private:
    lzma_stream stream_ = LZMA_STREAM_INIT;
};
#endif

bool StartsWith(std::string_view bytes, std::string_view magic) { return bytes.substr(0, magic.size()) == magic; }

// Formats recognised but not read, by their magic numbers.
struct Unread {
    std::string_view magic;
    const char* what;
};
constexpr Unread UNREAD[] = {
    {{"PK\x03\x04", 4}, "a zip archive"},
    {{"7z\xBC\xAF\x27\x1C", 6}, "a 7-Zip archive"},
    {{"Rar!\x1A\x07", 6}, "a RAR archive"},
    {{"\x04\x22\x4D\x18", 4}, "compressed with lz4"},
    {{"LZIP", 4}, "compressed with lzip"},
    {{"\x1F\x9D", 2}, "compressed with compress (.Z)"},
    {{"\x5D\x00\x00", 3}, "compressed with lzma"},
};

}  // namespace

uint64_t Input::Skip(uint64_t size) {
    char scrap[1 << 16];
    uint64_t passed = 0;
    while (passed < size) {
        const size_t got = Read(scrap, static_cast<size_t>(std::min<uint64_t>(size - passed, sizeof scrap)));
        if (got == 0) break;
        passed += got;
    }
    return passed;
}

OpenedInput OpenInput(const char* name, bool standardInput) {
    OpenedInput opened;
    int fd = STDIN_FILENO;
    const bool fromStandardInput = IsStandardStream(name, standardInput);
    if (!fromStandardInput) {
        fd = open(name, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            opened.error = std::strerror(errno);
            return opened;
        }
    }
    auto file = std::make_unique<RawFile>(fd, !fromStandardInput);
    struct stat status;
    uint64_t size = 0;
    if (fstat(fd, &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            opened.error = std::strerror(EISDIR);
            return opened;
        }
        if (S_ISREG(status.st_mode)) {
            size = static_cast<uint64_t>(status.st_size);
            file->SetRegular(true);
        }
    }
    std::string failure;
    const std::string_view magic = file->Peek(MAGIC_SIZE, failure);
    if (!failure.empty()) {
        opened.error = failure;
        return opened;
    }
    if (const char* what = UnreadFormatOf(magic)) {
        opened.error = std::string("it is ") + what + ", which is not read: unpack it first";
        return opened;
    }
    const std::string_view compression = CompressionOf(magic) ? CompressionOf(magic) : "";
    if (compression.empty()) {
        opened.input = std::make_unique<PlainInput>(std::move(file), size);
        return opened;
    }
#ifdef PELMOT_WITH_ZLIB
    if (compression == "gzip") opened.input = std::make_unique<GzipInput>(std::move(file), size);
#endif
#ifdef PELMOT_WITH_BZIP2
    if (compression == "bzip2") opened.input = std::make_unique<Bzip2Input>(std::move(file), size);
#endif
#ifdef PELMOT_WITH_ZSTD
    if (compression == "zstd") opened.input = std::make_unique<ZstdInput>(std::move(file), size);
#endif
#ifdef PELMOT_WITH_LZMA
    if (compression == "xz") opened.input = std::make_unique<XzInput>(std::move(file), size);
#endif
    if (!opened.input)
        opened.error = "it is compressed with " + std::string(compression) +
                       ", which this build cannot read (its library was missing): unpack it first";
    return opened;
}

const char* CompressionOf(std::string_view firstBytes) {
    if (StartsWith(firstBytes, "\x1F\x8B")) return "gzip";
    if (StartsWith(firstBytes, "BZh")) return "bzip2";
    if (StartsWith(firstBytes, "\x28\xB5\x2F\xFD")) return "zstd";
    if (StartsWith(firstBytes, {"\xFD" "7zXZ\x00", 6})) return "xz";
    return nullptr;
}

const char* UnreadFormatOf(std::string_view firstBytes) {
    for (const Unread& unread : UNREAD)
        if (StartsWith(firstBytes, unread.magic)) return unread.what;
    return nullptr;
}

bool LooksLikeText(std::string_view firstBytes) {
    size_t control = 0;
    for (const char c : firstBytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u == 0) return false;
        // Ctrl-Z ends a text in old files; escape starts terminal colours.
        if (u < ' ' && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != '\v' && u != 0x1A && u != 0x1B)
            ++control;
    }
    // A stray control character is tolerated; text has few of them.
    constexpr size_t CONTROL_SHARE = 32;
    return control <= 1 || control * CONTROL_SHARE <= firstBytes.size();
}
