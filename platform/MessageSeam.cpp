#include "MessageSeam.h"

#include <cstdio>
#include <utility>

namespace {

MessageHandler& CurrentHandler() {
    static MessageHandler handler;
    return handler;
}

MessageAnswer FallbackAnswer(const MessageRequest& request) {
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}

} // namespace

MessageAnswer ShowMessage(const MessageRequest& request) {
    const MessageHandler& handler = CurrentHandler();
    return handler ? handler(request) : FallbackAnswer(request);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}
