#include "gamefiles/pgnjobs.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "gamefiles/input.h"
#include "gamefiles/progress.h"

namespace {

// ---- A window on the text ----

// The text of an input from offset base on, read as far as asked.
class TextWindow {
public:
    explicit TextWindow(Input& input) : input_(input) {}
    // Makes the text up to offset end available if there is that much;
    // false when the text ends (or fails) first.
    bool Reach(uint64_t end) {
        while (base_ + bytes_.size() < end && !ended_) {
            const size_t at = bytes_.size();
            bytes_.resize(at + READ_BLOCK);
            const size_t got = input_.Read(bytes_.data() + at, READ_BLOCK);
            bytes_.resize(at + got);
            ended_ = got == 0;
        }
        return base_ + bytes_.size() >= end;
    }
    // The text's length, once Reach has failed.
    uint64_t End() const { return base_ + bytes_.size(); }
    // The byte at offset, which Reach has made available.
    char At(uint64_t offset) const { return bytes_[offset - base_]; }
    const char* Data(uint64_t offset) const { return bytes_.data() + (offset - base_); }
    // Forgets the text before offset; passes over it in the input when it
    // was never read (up to the text's end, when that comes first).
    void Drop(uint64_t offset) {
        if (offset <= base_) return;
        if (offset >= End()) {
            const uint64_t skip = offset - End();
            const uint64_t passed = ended_ ? 0 : input_.Skip(skip);
            base_ = End() + passed;
            bytes_.clear();
            // Short of offset: the text ends before it.
            ended_ = ended_ || passed < skip;
            return;
        }
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(offset - base_));
        base_ = offset;
    }
    Input& Source() { return input_; }

private:
    static constexpr size_t READ_BLOCK = 1 << 16;
    Input& input_;
    std::vector<char> bytes_;
    uint64_t base_ = 0;
    bool ended_ = false;
};

// The text of a window from a place on, as an input of its own.
class WindowInput : public Input {
public:
    WindowInput(TextWindow& window, uint64_t start) : window_(window), at_(start) {}
    size_t Read(char* data, size_t size) override {
        if (!window_.Reach(at_ + 1)) {
            failure_ = window_.Source().Failure();
            return 0;
        }
        window_.Reach(at_ + size);
        const size_t got = static_cast<size_t>(std::min<uint64_t>(size, window_.End() - at_));
        std::memcpy(data, window_.Data(at_), got);
        at_ += got;
        return got;
    }

private:
    TextWindow& window_;
    uint64_t at_;
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// How long the parent waits for a job's word before it shows the progress.
constexpr int PROGRESS_WAIT_MS = 250;

// How far back the line before a tag line is looked at.
constexpr uint64_t LOOK_BACK = 256;

// True when a game almost always begins at p: a line that opens a tag ("["
// and a letter) after a line that does not end like a tag (a blank line, or
// the end of a movetext). Needs the text from p - LOOK_BACK to p + 2.
bool GameLikelyAt(const TextWindow& window, uint64_t p) {
    if (p == 0 || window.At(p) != '[' || !IsLetter(window.At(p + 1)) || window.At(p - 1) != '\n') return false;
    const uint64_t stop = p > LOOK_BACK ? p - LOOK_BACK : 0;
    for (uint64_t q = p - 1; q > stop; --q) {
        const char c = window.At(q - 1);
        if (c != '\n' && c != '\r' && c != ' ' && c != '\t') return c != ']';
    }
    return true;
}

// The likely game starts of a text, judged in order: what a stretch holds is
// remembered once it is judged, so that its text may go.
class StartFinder {
public:
    explicit StartFinder(TextWindow& window) : window_(window) {}
    // The first likely start at or after from, judging no further than upTo:
    // its place; UINT64_MAX when there is none up to upTo; the text's end
    // when the text ends first.
    uint64_t From(uint64_t from, uint64_t upTo) {
        for (const uint64_t start : found_)
            if (start >= from) return start <= upTo ? start : UINT64_MAX;
        for (; judged_ <= upTo; ++judged_) {
            if (!window_.Reach(judged_ + 2)) return window_.End();
            if (GameLikelyAt(window_, judged_)) {
                found_.push_back(judged_);
                if (judged_ >= from) return judged_++;
            }
        }
        return UINT64_MAX;
    }
    // The same however far; keep says whether the text judged may go.
    uint64_t From(uint64_t from, bool keep) {
        for (;;) {
            const uint64_t found = From(from, judged_ + SCAN_BLOCK);
            if (found != UINT64_MAX) return found;
            if (!keep) window_.Drop(Keep());
        }
    }
    // Nothing before to is asked for any more: it is neither judged nor held.
    void Pass(uint64_t to) {
        judged_ = std::max(judged_, to);
        size_t gone = 0;
        while (gone < found_.size() && found_[gone] < to) ++gone;
        found_.erase(found_.begin(), found_.begin() + static_cast<ptrdiff_t>(gone));
    }
    // The text from here on is still needed: for judging, and for reading
    // from the starts found.
    uint64_t Keep() const {
        const uint64_t judging = judged_ > LOOK_BACK ? judged_ - LOOK_BACK : 0;
        return found_.empty() ? judging : std::min(judging, found_.front());
    }

private:
    static constexpr uint64_t SCAN_BLOCK = 1 << 16;
    TextWindow& window_;
    uint64_t judged_ = 0;          // every place before it is judged or passed
    std::vector<uint64_t> found_;  // the likely starts judged, in order
};

// ---- The journal of a job ----

enum Entry : unsigned char { GAME_STORED = 1, GAME_SKIPPED = 2, PIECE_END = 3 };
enum PieceEndKind : unsigned char { NEXT = 0, TEXT_END = 1, READ_FAILED = 2 };

// The journals are written and read in blocks through their descriptors:
// a game is a few small fields.
constexpr size_t JOURNAL_BLOCK = 1 << 16;

class JournalWriter {
public:
    explicit JournalWriter(int fd) : fd_(fd) { bytes_.reserve(2 * JOURNAL_BLOCK); }
    ~JournalWriter() { close(fd_); }
    template <typename T>
    void Put(const T& value) {
        PutBytes(&value, sizeof value);
    }
    void PutBytes(const void* data, size_t size) {
        const char* from = static_cast<const char*>(data);
        bytes_.insert(bytes_.end(), from, from + size);
        if (bytes_.size() >= JOURNAL_BLOCK) Write();
    }
    void PutText(const std::string& text) {
        Put(static_cast<uint32_t>(text.size()));
        PutBytes(text.data(), text.size());
    }
    // Writes out what is held; false once a write failed.
    bool Flush() {
        Write();
        return ok_;
    }
    bool Ok() const { return ok_; }

private:
    void Write() {
        size_t done = 0;
        while (ok_ && done < bytes_.size()) {
            const ssize_t written = ::write(fd_, bytes_.data() + done, bytes_.size() - done);
            if (written < 0 && errno == EINTR) continue;
            ok_ = written > 0;
            if (ok_) done += static_cast<size_t>(written);
        }
        bytes_.clear();
    }
    int fd_;
    std::vector<char> bytes_;
    bool ok_ = true;
};

class JournalReader {
public:
    explicit JournalReader(int fd) : fd_(fd), bytes_(2 * JOURNAL_BLOCK) {}
    ~JournalReader() { close(fd_); }
    template <typename T>
    T Get() {
        T value{};
        GetBytes(&value, sizeof value);
        return value;
    }
    void GetBytes(void* data, size_t size) {
        if (!Have(size)) {
            ok_ = false;
            return;
        }
        std::memcpy(data, bytes_.data() + at_, size);
        at_ += size;
    }
    std::string GetText() {
        const uint32_t size = Get<uint32_t>();
        std::string text(ok_ && size <= JOURNAL_BLOCK ? size : 0, '\0');
        GetBytes(text.data(), text.size());
        return text;
    }
    bool Ok() const { return ok_; }

private:
    // At least size bytes held (size at most a block); false when the file
    // has fewer.
    bool Have(size_t size) {
        if (end_ - at_ >= size) return true;
        std::memmove(bytes_.data(), bytes_.data() + at_, end_ - at_);
        end_ -= at_;
        at_ = 0;
        while (end_ < size) {
            const ssize_t got = ::read(fd_, bytes_.data() + end_, bytes_.size() - end_);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            end_ += static_cast<size_t>(got);
        }
        return true;
    }
    int fd_;
    std::vector<char> bytes_;
    size_t at_ = 0, end_ = 0;
    bool ok_ = true;
};

// What the jobs show of their progress, in memory shared with the parent.
struct JobProgress {
    std::atomic<int64_t> games;
    std::atomic<uint64_t> fileBytes;
    std::atomic<uint64_t> pieces;  // pieces whose journal is whole in the file
};

// ---- One job ----

// A reader of the text from a game start on, with the start of its next game.
struct PieceReader {
    std::unique_ptr<WindowInput> input;
    std::unique_ptr<PgnReader> reader = std::make_unique<PgnReader>();
    uint64_t start = 0;  // where the reader began
    bool ended = false;  // the text ended before another game

    void Begin(TextWindow& window, uint64_t at, bool first) {
        start = at;
        input = std::make_unique<WindowInput>(window, at);
        reader->Open(*input);
        if (first) SkipByteOrderMark(*reader);
        SkipToTags(*reader);
        ended = reader->AtTextEnd();
    }
    uint64_t Next() const { return start + reader->BytesRead(); }
};

// Piece number n begins at the first likely game start at or after
// n x pieceSize (piece 0 at the text's start); a piece may be empty.
class Job {
public:
    Job(TextWindow& window, uint64_t pieceSize, JournalWriter& journal, JobProgress& progress)
        : window_(window), starts_(window), pieceSize_(pieceSize), journal_(journal), progress_(progress) {}

    // Reads piece number piece and writes its journal; false when the text
    // ends before the piece or within its reading.
    bool ReadPiece(uint64_t piece) {
        // The pieces of the other jobs are passed over unread where the input
        // can seek.
        const uint64_t from = piece * pieceSize_;
        starts_.Pass(from);
        window_.Drop(from > LOOK_BACK ? from - LOOK_BACK : 0);
        const uint64_t start = piece == 0 ? 0 : starts_.From(from, false);
        window_.Drop(std::min(start, starts_.Keep()));
        if (piece > 0 && !window_.Reach(start + 1)) {
            EndPiece(start, 0, 0, window_.Source().Failure().empty() ? TEXT_END : READ_FAILED);
            return false;
        }
        PieceReader a;
        a.Begin(window_, start, piece == 0);
        // The piece's end is looked for behind the reader, so that the text
        // held stays small whatever the piece's length.
        const uint64_t nextPiece = (piece + 1) * pieceSize_;
        uint64_t end = UINT64_MAX;
        while (!a.ended) {
            const uint64_t at = a.Next();
            if (end == UINT64_MAX && at >= nextPiece) {
                starts_.Pass(nextPiece);
                end = starts_.From(nextPiece, at);
            }
            if (at >= end) break;
            ReadGame(a, true);
            window_.Drop(std::min(a.Next() > LOOK_BACK ? a.Next() - LOOK_BACK : 0, starts_.Keep()));
        }
        if (a.ended) {
            // The end is told all the same: the reading before may have
            // met the next piece's, which then is not this one's to end.
            if (end == UINT64_MAX) {
                starts_.Pass(nextPiece);
                end = starts_.From(nextPiece, true);
            }
            EndPiece(end, 0, 0, a.reader->Failed() ? READ_FAILED : TEXT_END);
            return true;
        }
        if (a.Next() != end) Meet(a, piece + 1, end);
        if (a.ended) EndPiece(end, 0, 0, a.reader->Failed() ? READ_FAILED : TEXT_END);
        else EndPiece(end, a.Next(), a.reader->Line(), NEXT);
        return true;
    }

private:
    // Reads one game of r; with record, writes it to the journal.
    void ReadGame(PieceReader& r, bool record) {
        const uint64_t at = r.Next();
        const int64_t line = r.reader->Line();
        SkipReason why;
        unsigned char bytes[2 * (GAME_MAX_MOVES + 1)];
        const size_t size = ReadPgnRecord(*r.reader, bytes, why);
        r.ended = r.reader->AtTextEnd();
        if (!record) return;
        if (size != 0) {
            journal_.Put(GAME_STORED);
            journal_.Put(at);
            journal_.Put(line);
            journal_.Put(static_cast<uint16_t>(size));
            journal_.PutBytes(bytes, size);
        } else {
            journal_.Put(GAME_SKIPPED);
            journal_.Put(at);
            journal_.Put(line);
            journal_.Put(static_cast<int32_t>(why.ply));
            journal_.PutText(why.text);
            journal_.PutText(why.detail);
        }
        progress_.games.fetch_add(1, std::memory_order_relaxed);
        progress_.fileBytes.store(window_.Source().FileBytesRead(), std::memory_order_relaxed);
    }

    // Where piece number piece (at least next, which begins at nextStart)
    // begins: the text before nextStart holds no likely game start, and the
    // text from there on is still held.
    uint64_t StartAfter(uint64_t piece, uint64_t next, uint64_t nextStart) {
        if (piece == next || piece * pieceSize_ <= nextStart) return nextStart;
        return starts_.From(piece * pieceSize_, true);
    }

    // Reads on with a past the end of its piece until it stands at a game
    // start that the job of the piece holding that start reads as well (the
    // next piece is number next and begins at nextStart).
    void Meet(PieceReader& a, uint64_t next, uint64_t nextStart) {
        PieceReader b;
        uint64_t bPiece = UINT64_MAX, bEnd = 0;
        while (!a.ended) {
            const uint64_t at = a.Next();
            uint64_t piece = std::max(next, at / pieceSize_);
            while (piece > next && StartAfter(piece, next, nextStart) > at) --piece;
            while (StartAfter(piece + 1, next, nextStart) <= at) ++piece;
            if (piece != bPiece) {
                bPiece = piece;
                bEnd = StartAfter(piece + 1, next, nextStart);
                b.Begin(window_, StartAfter(piece, next, nextStart), false);
            }
            while (!b.ended && b.Next() < at && b.Next() < bEnd) ReadGame(b, false);
            if (!b.ended && b.Next() == at) return;
            ReadGame(a, true);
        }
    }

    void EndPiece(uint64_t end, uint64_t next, int64_t line, PieceEndKind kind) {
        journal_.Put(PIECE_END);
        journal_.Put(end);
        journal_.Put(next);
        journal_.Put(line);
        journal_.Put(kind);
        journal_.PutText(kind == READ_FAILED ? window_.Source().Failure() : std::string());
    }

    TextWindow& window_;
    StartFinder starts_;
    uint64_t pieceSize_;
    JournalWriter& journal_;
    JobProgress& progress_;
};

// Runs job number job; every piece written whole is counted in progress and
// told with a byte on notify (when it is a descriptor).
bool RunJob(const char* name, int job, int jobs, uint64_t pieceSize, int journalFd, JobProgress& progress,
            int notify) {
    JournalWriter journal(journalFd);
    OpenedInput opened = OpenInput(name, false);
    if (!opened.input) return false;
    TextWindow window(*opened.input);
    Job reader(window, pieceSize, journal, progress);
    // The parent takes each piece once its journal is whole in the file.
    for (uint64_t piece = static_cast<uint64_t>(job);; piece += static_cast<uint64_t>(jobs)) {
        const bool more = reader.ReadPiece(piece);
        if (!journal.Flush()) return false;
        progress.pieces.fetch_add(1, std::memory_order_release);
        if (notify >= 0 && ::write(notify, "p", 1) != 1) return false;
        if (!more) return true;
    }
}

// A journal in folder that goes with its last descriptor, open twice: for
// the job's writing and the parent's reading, each at its own place.
struct Journal {
    int write = -1;
    int read = -1;
};
Journal MakeJournal(const std::string& folder, std::string& reason) {
    std::string name = folder + "/.pelmot-games-job-XXXXXX";
    Journal journal;
    journal.write = mkstemp(name.data());
    if (journal.write >= 0) {
        journal.read = open(name.c_str(), O_RDONLY | O_CLOEXEC);
        unlink(name.c_str());
    }
    if (journal.read < 0) {
        reason = "cannot create a file in '" + folder + "': " + std::strerror(errno);
        if (journal.write >= 0) close(journal.write);
        journal.write = -1;
    }
    return journal;
}

// The job processes, ended and reaped when they are no longer waited for.
class Children {
public:
    ~Children() {
        for (size_t k = 0; k < pids_.size(); ++k) {
            if (done_[k]) continue;
            kill(pids_[k], SIGKILL);
            waitpid(pids_[k], nullptr, 0);
        }
    }
    void Add(pid_t pid) {
        pids_.push_back(pid);
        done_.push_back(false);
    }
    // Waits for every job; false when one failed.
    bool Reap() {
        for (size_t k = 0; k < pids_.size(); ++k) {
            if (done_[k]) continue;
            int status = 0;
            const pid_t ended = waitpid(pids_[k], &status, 0);
            done_[k] = true;
            ok_ = ok_ && ended > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        return ok_;
    }

private:
    std::vector<pid_t> pids_;
    std::vector<bool> done_;
    bool ok_ = true;
};

}  // namespace

JobsEnd ReadGamesInJobs(const char* name, int jobs, uint64_t pieceSize, const std::string& folder,
                        const TakeGame& take, bool oneProcess) {
    JobsEnd end;
    std::vector<Journal> journals;
    auto closeAll = [&] {
        for (const Journal& journal : journals) {
            if (journal.write >= 0) close(journal.write);
            close(journal.read);
        }
        journals.clear();
    };
    for (int k = 0; k < jobs; ++k) {
        const Journal journal = MakeJournal(folder, end.words);
        if (journal.read < 0) {
            closeAll();
            end.failure = "cannot start the jobs";
            return end;
        }
        journals.push_back(journal);
    }
    const size_t sharedSize = sizeof(JobProgress) * static_cast<size_t>(jobs);
    void* shared = mmap(nullptr, sharedSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        closeAll();
        end.failure = "cannot start the jobs";
        end.words = std::string("cannot start the jobs: ") + std::strerror(errno);
        return end;
    }
    JobProgress* const progress = static_cast<JobProgress*>(shared);
    for (int k = 0; k < jobs; ++k) new (&progress[k]) JobProgress{};
    struct Unmap {
        void* memory;
        size_t size;
        ~Unmap() { munmap(memory, size); }
    } unmap{shared, sharedSize};
    std::fflush(stdout);
    std::fflush(stderr);
    bool jobsOk = true;
    for (int k = 0; k < jobs && oneProcess; ++k) {
        jobsOk = jobsOk && RunJob(name, k, jobs, pieceSize, journals[k].write, progress[k], -1);
        journals[k].write = -1;
    }
    // The jobs tell every piece on a pipe; its end tells that all have ended.
    int notify[2] = {-1, -1};
    if (!oneProcess && pipe2(notify, O_CLOEXEC) != 0) {
        end.words = std::string("cannot start the jobs: ") + std::strerror(errno);
        jobsOk = false;
    }
    struct ClosePipe {
        int* ends;
        ~ClosePipe() {
            for (int i = 0; i < 2; ++i)
                if (ends[i] >= 0) close(ends[i]);
        }
    } closePipe{notify};
    Children children;
    for (int k = 0; k < jobs && !oneProcess && jobsOk; ++k) {
        const pid_t child = fork();
        if (child == 0) _exit(RunJob(name, k, jobs, pieceSize, journals[k].write, progress[k], notify[1]) ? 0 : 1);
        if (child < 0) {
            end.words = std::string("cannot start the jobs: ") + std::strerror(errno);
            jobsOk = false;
            break;
        }
        children.Add(child);
    }
    if (!jobsOk) {
        closeAll();
        end.failure = "cannot start the jobs";
        if (end.words.empty()) end.words = "a job of the conversion failed (no room for its journal in '" + folder + "'?)";
        return end;
    }

    // The jobs hold the writing ends.
    if (notify[1] >= 0) close(notify[1]);
    notify[1] = -1;
    std::vector<std::unique_ptr<JournalReader>> readers;
    for (const Journal& journal : journals) {
        if (journal.write >= 0) close(journal.write);
        readers.push_back(std::make_unique<JournalReader>(journal.read));
    }
    journals.clear();
    // Waits until job k has written count pieces whole, showing the jobs'
    // progress meanwhile; false when it ended without them.
    bool allEnded = oneProcess;
    auto waitFor = [&](size_t k, uint64_t count) {
        for (;;) {
            if (progress[k].pieces.load(std::memory_order_acquire) >= count) return true;
            if (allEnded) return false;
            pollfd told{notify[0], POLLIN, 0};
            if (poll(&told, 1, PROGRESS_WAIT_MS) > 0) {
                char bytes[64];
                const ssize_t got = ::read(notify[0], bytes, sizeof bytes);
                allEnded = got == 0;
            }
            int64_t games = 0;
            uint64_t read = UINT64_MAX;
            for (int j = 0; j < jobs; ++j) {
                games += progress[j].games.load(std::memory_order_relaxed);
                read = std::min(read, progress[j].fileBytes.load(std::memory_order_relaxed));
            }
            ProgressGame(games, read);
        }
    };
    auto failed = [&](const char* words) {
        end.ran = false;
        end.failure = "a job of the conversion failed";
        end.words = words;
        return end;
    };

    // The games in input order, each piece from its job's journal as soon as
    // the job has written it, from the start where the reading before it
    // stopped.
    uint64_t next = 0;       // the start of the next game to take
    int64_t nextLine = 1;    // its line
    bool first = true;
    end.ran = true;
    for (uint64_t piece = 0;; ++piece) {
        const size_t k = piece % static_cast<uint64_t>(jobs);
        if (!waitFor(k, piece / static_cast<uint64_t>(jobs) + 1)) return failed("a job of the conversion failed");
        JournalReader& journal = *readers[k];
        bool taking = first;
        int64_t lineShift = 0;  // the text's line of a line of this piece
        for (;;) {
            const Entry entry = journal.Get<Entry>();
            if (!journal.Ok()) return failed("a job's journal cannot be read");
            if (entry == PIECE_END) {
                const uint64_t pieceEnd = journal.Get<uint64_t>();
                const uint64_t pieceNext = journal.Get<uint64_t>();
                const int64_t line = journal.Get<int64_t>();
                const PieceEndKind kind = journal.Get<PieceEndKind>();
                const std::string failure = journal.GetText();
                // A piece before the next game is passed over whole.
                if (!first && !taking) {
                    if (next >= pieceEnd) break;
                    return failed("the jobs of the conversion disagree");
                }
                if (kind != NEXT) {
                    if (kind == READ_FAILED) {
                        const GameFileError error = FileAccessError("read", "PGN", name, failure);
                        end.failure = error.what();
                        end.words = error.Words();
                    }
                    if (!children.Reap()) return failed("a job of the conversion failed");
                    return end;
                }
                next = pieceNext;
                nextLine = line + lineShift;
                first = false;
                break;
            }
            const uint64_t at = journal.Get<uint64_t>();
            const int64_t line = journal.Get<int64_t>();
            unsigned char bytes[2 * (GAME_MAX_MOVES + 1)];
            uint16_t size = 0;
            SkipReason why;
            std::string text;
            if (entry == GAME_STORED) {
                size = journal.Get<uint16_t>();
                journal.GetBytes(bytes, std::min<size_t>(size, sizeof bytes));
            } else {
                why.ply = journal.Get<int32_t>();
                text = journal.GetText();
                why.detail = journal.GetText();
                why.text = text.c_str();
            }
            if (!taking && at == next) {
                taking = true;
                lineShift = nextLine - line;
            }
            if (taking) {
                take(bytes, size, why, line + lineShift);
                end.taken = true;
            }
        }
    }
}
