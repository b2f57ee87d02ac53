#pragma once
// A message port for the core's tests: keeps every message and answers from a script.

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/message_port.h"

namespace kestrave::test {

class ScriptedMessages : public MessagePort {
public:
    std::uint16_t show(const Message& message) override {
        shown.push_back(message);
        setMessageBoxChecked(checkBox);
        if (!answers.empty()) {
            const std::uint16_t next = answers.front();
            answers.pop_front();
            return next;
        }
        return answer != mrNone ? answer : firstButtonResult(message.buttons);
    }

    // The answers of the next messages, in order.
    std::deque<std::uint16_t> answers;
    // The answer once the script is used up; mrNone means the first button of the set.
    std::uint16_t answer = mrNone;
    // The "do not repeat" box as the user leaves it.
    bool checkBox = false;
    std::vector<Message> shown;
};

}  // namespace kestrave::test
