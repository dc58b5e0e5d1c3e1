#pragma once
// Waits of the Qt tests: each one runs the event loop, so that timers, network replies and web
// views go on meanwhile, and each one ends after a time-out.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace tlx::testing {

// Runs the event loop for `ms` milliseconds.
inline void Pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds, looking every `stepMs`, for at most `timeoutMs`.
// True when it holds.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs, int stepMs = 20) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        Pause(stepMs);
    }
    return true;
}

// Calls `start` with a callback taking a `Result` (runJavaScript and the like) and runs the
// event loop until the callback comes, for at most `timeoutMs`. A callback coming later finds
// nothing gone.
template <typename Result, typename Start>
std::optional<Result> WaitForCallback(Start start, int timeoutMs) {
    struct State {
        std::optional<Result> result;
        QEventLoop loop;
    };
    const auto state = std::make_shared<State>();
    const std::weak_ptr<State> weak = state;
    start([weak](const Result& value) {
        if (const auto s = weak.lock()) {
            s->result = value;
            s->loop.quit();
        }
    });
    if (!state->result) {
        QTimer::singleShot(timeoutMs, &state->loop, &QEventLoop::quit);
        state->loop.exec();
    }
    return state->result;
}

} // namespace tlx::testing
