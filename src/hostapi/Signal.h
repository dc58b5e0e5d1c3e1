#pragma once
// A minimal event source: handlers connect and receive a Subscription that disconnects them
// when it is destroyed. Raising works on a copy of the handler list, so a handler may
// connect or disconnect handlers (itself included) while it runs.

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tlx {

class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    Subscription(Subscription&& other) noexcept
        : disconnect_(std::exchange(other.disconnect_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            disconnect_ = std::exchange(other.disconnect_, {});
        }
        return *this;
    }
    ~Subscription() { reset(); }

    void reset() {
        if (auto disconnect = std::exchange(disconnect_, {}))
            disconnect();
    }
    bool connected() const { return static_cast<bool>(disconnect_); }

private:
    std::function<void()> disconnect_;
};

template <typename... Args> class Signal {
public:
    using Handler = std::function<void(Args...)>;

    Signal() : state_(std::make_shared<State>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription connect(Handler handler) {
        const int id = ++state_->lastId;
        state_->handlers.push_back({id, std::make_shared<Handler>(std::move(handler))});
        std::weak_ptr<State> weak = state_;
        return Subscription([weak, id] {
            if (auto state = weak.lock())
                std::erase_if(state->handlers, [id](const Slot& slot) { return slot.id == id; });
        });
    }

    void raise(Args... args) const {
        const auto handlers = state_->handlers;
        for (const auto& slot : handlers) {
            // A handler disconnected by an earlier one in this round is not called.
            const bool stillConnected =
                std::any_of(state_->handlers.begin(), state_->handlers.end(),
                            [&](const Slot& s) { return s.id == slot.id; });
            if (stillConnected)
                (*slot.handler)(args...);
        }
    }

    std::size_t handlerCount() const { return state_->handlers.size(); }

private:
    struct Slot {
        int id;
        std::shared_ptr<Handler> handler;
    };
    struct State {
        int lastId = 0;
        std::vector<Slot> handlers;
    };
    std::shared_ptr<State> state_;
};

} // namespace tlx
