#include "StandardOutput.h"

#include <cerrno>
#include <unistd.h>
#if !defined(_WIN32)
#include <poll.h>
#endif

namespace orqsyv::cli {

namespace {

int firstError = 0;

// Writes all of `text` to `fd` unbuffered; the error number of a failure, or 0.
int WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

bool PrintOut(std::string_view text) {
    if (firstError == 0)
        firstError = WriteAll(STDOUT_FILENO, text);
    return firstError == 0;
}

void PrintErr(std::string_view text) {
    WriteAll(STDERR_FILENO, text);
}

int OutputError() {
    return firstError;
}

bool OutputHungUp() {
#if defined(_WIN32)
    // Windows tells of a pipe whose reader has gone only at the next write.
    return false;
#else
    pollfd out{STDOUT_FILENO, 0, 0};
    return poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP)) != 0;
#endif
}

std::string JsonText(const nlohmann::ordered_json& json, int indent) {
    return json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace orqsyv::cli
