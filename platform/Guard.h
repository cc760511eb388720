#pragma once

#include <QObject>
#include <concepts>
#include <functional>
#include <utility>

namespace zlt::platform {

// Runs a handler of the user interface. Whatever it throws ends it at the failing step and
// is shown in the general error message; the program then waits for the next input.
// Returns true when the handler ran to its end.
bool runGuarded(const std::function<void()>& handler);

// A handler that runs guarded, taking as many of a signal's arguments as it can.
template <typename Handler>
struct GuardedHandler {
    Handler handler;
    template <typename... Args>
    requires std::invocable<Handler&, Args...>
    void operator()(Args... args) {
        runGuarded([&] { handler(std::forward<Args>(args)...); });
    }
};

// Connects a handler to a signal, run guarded. Every handler of the windows is connected
// this way; only the grid guards the key handler itself, since what the grid does with
// the key next depends on whether the handler ran to its end.
// The handler takes as many of the signal's arguments as it needs, none included.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection onSignal(Sender* sender, Signal signal, QObject* context, Handler handler) {
    return QObject::connect(sender, signal, context, GuardedHandler<Handler>{std::move(handler)});
}

}  // namespace zlt::platform
