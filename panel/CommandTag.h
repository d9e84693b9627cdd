// The Tag of a control that sends a one-register command: (command code × 256) + value.
// CommandBtnClick takes it apart again.
#pragma once

constexpr int CommandTag(int commandCode, int value) {
    return commandCode * 256 + value;
}
