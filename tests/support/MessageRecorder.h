// Replaces the message-box seam for the life of the object: every box is recorded and answered
// with a fixed answer at once.
#pragma once

#include "MessageSeam.h"

#include <utility>
#include <vector>

class MessageRecorder {
public:
    explicit MessageRecorder(MessageAnswer answer = MessageAnswer::Ok)
        : previous_(SetMessageHandler([this, answer](const MessageRequest& request) {
              shown.push_back(request);
              return answer;
          })) {}
    ~MessageRecorder() { SetMessageHandler(std::move(previous_)); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<MessageRequest> shown;

private:
    MessageHandler previous_;
};
