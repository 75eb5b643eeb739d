#pragma once
// The flags that the window thread and the worker share during a run. The window thread sets
// them through the commands; the worker polls them between objects.

#include <atomic>

namespace zentab {

// Thrown by the stop routine and caught only at the top of the worker: unwinding releases every
// statement, file and buffer the interrupted phase held.
struct RunStopped {};

class RunControl {
public:
    std::atomic<bool> running{false};
    std::atomic<bool> paused{false};
    std::atomic<bool> skipRequested{false};
    std::atomic<bool> skipAllowed{false};

    // Enable rules of the Pause, Resume, Skip and Stop commands.
    bool canPause() const { return running && !paused; }
    bool canResume() const { return running && paused; }
    bool canSkip() const { return running && skipAllowed && !paused; }
    bool canStop() const { return running; }

    // Taken by a data phase: true once per Skip command.
    bool takeSkip() { return skipRequested.exchange(false); }
};

} // namespace zentab
