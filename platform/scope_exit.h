#pragma once
// Runs a piece of code when the scope ends, whichever way it ends: a return, a thrown
// exit of the simulated machine, or falling off the end. For state a function sets for the
// time it runs (a re-entry flag, a modal mark), so that it cannot stay set by mistake.

#include <utility>

namespace keldra::platform {

template <typename Action>
class [[nodiscard]] ScopeExit {
  public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    Action action_;
};

// Sets `flag` for the life of the guard and clears it at the end.
class [[nodiscard]] FlagWhile {
  public:
    explicit FlagWhile(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagWhile() { flag_ = false; }
    FlagWhile(const FlagWhile&) = delete;
    FlagWhile& operator=(const FlagWhile&) = delete;

  private:
    bool& flag_;
};

}  // namespace keldra::platform
