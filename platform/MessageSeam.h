// The one way the program puts a message box in front of the operator. The GUI installs a
// handler that shows a real modal box; tests install a recorder. Without a handler the message
// goes to standard error and the default answer comes back, so code below the GUI never blocks.
#pragma once

#include "WindowOwner.h"

#include <functional>
#include <string>

enum class MessageIcon { Error, Warning, Information, Question };
enum class MessageButtons {
    Ok,
    YesNo,
    YesNoDefaultNo, // Yes and No with No as the default button: Enter answers No
};

// Answers carry the numbers of the modal results they stand for.
enum class MessageAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Error;
    MessageButtons buttons = MessageButtons::Ok;
    // The window the box belongs to: it stays in front of that window and blocks it.
    WindowOwner owner;
};

using MessageHandler = std::function<MessageAnswer(const MessageRequest&)>;

// Shows the box and returns when the operator has answered it. Must run on the GUI thread
// once a GUI handler is installed.
MessageAnswer ShowMessage(const MessageRequest& request);

// Installs a handler (an empty one restores the standard-error fallback) and returns the
// handler it replaces.
MessageHandler SetMessageHandler(MessageHandler handler);
