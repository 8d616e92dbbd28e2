// Signals between the command loop and the engine thread, in the manner of
// operating-system events: a manual-reset event stays set until reset, an
// auto-reset event releases one wait and clears itself.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// A fuzzing run plays many sessions a second: every timed wait is cut short.
inline uint64_t ShortenedForFuzzing(uint64_t ms) {
#ifdef PELMOT_FUZZ
    constexpr uint64_t FUZZ_LONGEST_WAIT_MS = 2;
    return ms < FUZZ_LONGEST_WAIT_MS ? ms : FUZZ_LONGEST_WAIT_MS;
#else
    return ms;
#endif
}

class Event {
public:
    enum Mode { MANUAL_RESET, AUTO_RESET };

    explicit Event(Mode mode) : autoReset(mode == AUTO_RESET) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits until the event is set; an auto-reset event is cleared by the wait.
    void Wait();
    // As Wait, but gives up after timeoutMs milliseconds; true when it was set.
    bool WaitFor(uint64_t timeoutMs);

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;
    const bool autoReset;
};
