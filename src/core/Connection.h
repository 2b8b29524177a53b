// Whether the add-in's connection still stands, for a command that waited on a modal form while the user could close the client.
#pragma once

#include <memory>

namespace tw {

/// A command's hold on the connection it started in. It outlives the add-in object, so a command
/// that comes back from a modal form asks it before it touches anything of the add-in.
class ConnectionToken {
public:
    ConnectionToken() = default;
    explicit ConnectionToken(std::shared_ptr<const bool> alive) : alive_(std::move(alive)) {}
    bool alive() const { return alive_ && *alive_; }

private:
    std::shared_ptr<const bool> alive_;
};

/// Owned by the add-in object: begins at start-up, ends at teardown (and with the object).
class ConnectionLife {
public:
    ConnectionLife() = default;
    ConnectionLife(const ConnectionLife&) = delete;
    ConnectionLife& operator=(const ConnectionLife&) = delete;
    ~ConnectionLife() { end(); }

    /// A new connection: tokens handed out in an earlier one stay ended.
    void begin() {
        end();
        alive_ = std::make_shared<bool>(true);
    }
    void end() {
        if (alive_) *alive_ = false;
    }
    ConnectionToken token() const { return ConnectionToken(alive_); }

private:
    std::shared_ptr<bool> alive_;
};

}  // namespace tw
