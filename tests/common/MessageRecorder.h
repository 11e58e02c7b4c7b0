#pragma once

// A window stand-in that keeps every numbered message sent or posted to it.

#include "framework/Message.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace korvel::test {

class MessageRecorder : public framework::MessageTarget {
public:
    std::intptr_t onMessage(const framework::Message& m) override {
        messages.push_back(m);
        return 0;
    }
    // The messages with `id`, in order.
    std::vector<framework::Message> of(int id) const {
        std::vector<framework::Message> found;
        std::ranges::copy_if(messages, std::back_inserter(found),
                             [id](const framework::Message& m) { return int(m.id) == id; });
        return found;
    }
    int count(int id) const { return static_cast<int>(of(id).size()); }

    std::vector<framework::Message> messages;
};

}  // namespace korvel::test
