// Events raised by the platform objects, and subscriptions that disconnect when they end.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace tw {

/// A live connection to an event; destroying it (or calling reset) stops the handler being called.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    Subscription(Subscription&& other) noexcept : disconnect_(std::move(other.disconnect_)) { other.disconnect_ = nullptr; }
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            disconnect_ = std::move(other.disconnect_);
            other.disconnect_ = nullptr;
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset() {
        if (disconnect_) {
            auto d = std::move(disconnect_);
            disconnect_ = nullptr;
            d();
        }
    }
    bool connected() const { return static_cast<bool>(disconnect_); }

private:
    std::function<void()> disconnect_;
};

/// An event source. Handlers may connect or disconnect while the event is being raised;
/// a handler disconnected during a raise is not called afterwards.
template <typename... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event() : handlers_(std::make_shared<Handlers>()) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    [[nodiscard]] Subscription connect(Handler handler) {
        int id = handlers_->nextId++;
        handlers_->byId.emplace(id, std::make_shared<Handler>(std::move(handler)));
        std::weak_ptr<Handlers> weak = handlers_;
        return Subscription([weak, id] {
            if (auto h = weak.lock()) h->byId.erase(id);
        });
    }

    void raise(Args... args) {
        auto keep = handlers_;
        std::vector<int> ids;
        for (auto& entry : keep->byId) ids.push_back(entry.first);
        for (int id : ids) {
            auto it = keep->byId.find(id);
            if (it == keep->byId.end()) continue;
            auto handler = it->second;
            (*handler)(args...);
        }
    }

    size_t handlerCount() const { return handlers_->byId.size(); }

private:
    struct Handlers {
        int nextId = 0;
        std::map<int, std::shared_ptr<Handler>> byId;
    };
    std::shared_ptr<Handlers> handlers_;
};

}  // namespace tw
