#pragma once

#include "engine/DatabaseError.h"

#include <utility>

namespace engine {

// Runs a clean-up when the scope ends, on every path: a normal return, an
// early return or an exception. Used to put back what an operation changed
// for its own work (a dataset's filter, range or open state, a printer's
// font) and to close what it opened.
//
// The clean-up runs from a destructor, possibly while another error is
// unwinding the stack, so it must not throw: a database error raised while
// restoring is dropped, because the error that is already on its way (or the
// result the operation produced) is the one the caller needs to see. Only
// restoring goes in a guard, never a write whose failure matters.
template <class F>
class ScopeGuard {
public:
    explicit ScopeGuard(F f) : f_(std::move(f)) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard()
    {
        if (!active_) return;
        try {
            f_();
        } catch (const DatabaseError&) {
            // See above: a failed restore must not mask the operation's outcome.
        }
    }
    // The clean-up will not run (the operation kept what it changed).
    void dismiss() { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

template <class F>
ScopeGuard(F) -> ScopeGuard<F>;

}  // namespace engine
