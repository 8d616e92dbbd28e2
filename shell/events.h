// Signals between the command loop and the engine thread, in the manner of
// operating-system events: a manual-reset event stays set until reset, an
// auto-reset event releases one wait and clears itself.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

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
