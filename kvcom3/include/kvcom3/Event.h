#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace kvcom3 {

// An event its owner raises synchronously on the caller's thread; handlers receive the argument
// by reference, as the classic event interfaces pass it.
template <class Arg>
class Event {
  public:
    using Handler = std::function<void(Arg&)>;

    // Adds a handler, called after those connected before it; returns the id disconnect()
    // takes.
    std::size_t connect(Handler handler) {
        handlers_.emplace_back(++lastId_, std::move(handler));
        return lastId_;
    }
    // Removes the handler of `id`; an unknown id changes nothing.
    void disconnect(std::size_t id) {
        std::erase_if(handlers_, [id](const auto& h) { return h.first == id; });
    }
    // Calls every handler with `value` before returning; an exception of a handler ends the
    // raise and reaches the raiser.
    void raise(Arg& value) const {
        // A copy, so that a handler may connect or disconnect while the event runs.
        auto handlers = handlers_;
        for (auto& entry : handlers) entry.second(value);
    }
    void raise(Arg&& value) const { raise(value); }

  private:
    std::vector<std::pair<std::size_t, Handler>> handlers_;
    std::size_t lastId_ = 0;
};

}  // namespace kvcom3
