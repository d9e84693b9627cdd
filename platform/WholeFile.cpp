#include "WholeFile.h"

#include "SystemFile.h"
#include "Utf8Path.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace {

std::string Message(std::errc error) {
    return std::make_error_code(error).message();
}

// Why a file that exists cannot be opened, or what stands in its way: the system's own answer
// for the path where it has one.
std::string WhyNotOpened(const std::string& path, FileFailure failure) {
    std::error_code error;
    (void)std::filesystem::status(PathFromUtf8(path), error);
    if (error)
        return error.message();
    return Message(failure == FileFailure::Refused ? std::errc::permission_denied
                                                   : std::errc::io_error);
}

std::string WhyNotRegular(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(PathFromUtf8(path), error)
               ? Message(std::errc::is_a_directory)
               : "not a regular file";
}

WholeFile Failed(WholeFileStatus status, std::string why) {
    return {status, {}, std::move(why)};
}

} // namespace

WholeFile ReadWholeFile(const std::string& path, std::size_t limit) {
    SystemFile file = SystemFile::OpenForReading(path);
    if (!file.IsOpen())
        return Failed(file.Failure() == FileFailure::Missing ? WholeFileStatus::Missing
                                                             : WholeFileStatus::Failed,
                      WhyNotOpened(path, file.Failure()));
    FileFacts facts;
    if (!file.Facts(facts))
        return Failed(WholeFileStatus::Failed, Message(std::errc::io_error));
    if (!facts.regular)
        return Failed(WholeFileStatus::Failed, WhyNotRegular(path));
    const std::string tooLarge = "larger than " + std::to_string(limit) + " bytes";
    if (facts.size > limit)
        return Failed(WholeFileStatus::TooLarge, tooLarge);
    // Asking for more than the measured size finds the end, or a file that has grown since.
    std::string bytes;
    std::size_t total = 0;
    std::size_t wanted = static_cast<std::size_t>(facts.size) + 1;
    for (;;) {
        bytes.resize(wanted);
        std::size_t got = 0;
        if (!file.ReadAt(total, bytes.data() + total, wanted - total, got))
            return Failed(WholeFileStatus::Failed, Message(std::errc::io_error));
        total += got;
        if (total < wanted)
            break;
        if (total > limit)
            return Failed(WholeFileStatus::TooLarge, tooLarge);
        wanted = std::min(limit + 1, wanted * 2);
    }
    bytes.resize(total);
    return {WholeFileStatus::Read, std::move(bytes), {}};
}
