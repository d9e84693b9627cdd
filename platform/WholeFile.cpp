#include "WholeFile.h"

#include "SystemFile.h"

#include <algorithm>
#include <utility>

WholeFile ReadWholeFile(const std::string& path, std::size_t limit) {
    SystemFile file = SystemFile::OpenForReading(path);
    if (!file.IsOpen())
        return {file.Failure() == FileFailure::Missing ? WholeFileStatus::Missing
                                                       : WholeFileStatus::Failed,
                {}};
    FileFacts facts;
    if (!file.Facts(facts) || !facts.regular)
        return {WholeFileStatus::Failed, {}};
    if (facts.size > limit)
        return {WholeFileStatus::TooLarge, {}};
    // Asking for more than the measured size finds the end, or a file that has grown since.
    std::string bytes;
    std::size_t total = 0;
    std::size_t wanted = static_cast<std::size_t>(facts.size) + 1;
    for (;;) {
        bytes.resize(wanted);
        std::size_t got = 0;
        if (!file.ReadAt(total, bytes.data() + total, wanted - total, got))
            return {WholeFileStatus::Failed, {}};
        total += got;
        if (total < wanted)
            break;
        if (total > limit)
            return {WholeFileStatus::TooLarge, {}};
        wanted = std::min(limit + 1, wanted * 2);
    }
    bytes.resize(total);
    return {WholeFileStatus::Read, std::move(bytes)};
}
