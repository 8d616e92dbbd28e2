#include "shell/events.h"

#include <chrono>

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        signalled = true;
    }
    // An auto-reset event releases a single waiter; a manual one releases all.
    if (autoReset)
        changed.notify_one();
    else
        changed.notify_all();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(mutex);
    signalled = false;
}

void Event::Wait() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return signalled; });
    if (autoReset) signalled = false;
}

bool Event::WaitFor(uint64_t timeoutMs) {
    // A search's time budget and its extra time.
    timeoutMs = ShortenedForFuzzing(timeoutMs);
    std::unique_lock<std::mutex> lock(mutex);
    if (!changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return signalled; }))
        return false;
    if (autoReset) signalled = false;
    return true;
}
