#include "FileWatch.h"

#include <sys/stat.h>

#include <algorithm>

namespace qm {

FileWatch::FileWatch(std::vector<std::string> watched) : files(std::move(watched))
{
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    reported = previous = look();
}

std::vector<FileWatch::Stamp> FileWatch::look() const
{
    std::vector<Stamp> stamps(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        struct stat status {};
        if (stat(files[i].c_str(), &status) != 0)
            continue;  // gone, or not there yet: a stamp of its own
        stamps[i] = {std::uint64_t(status.st_dev), std::uint64_t(status.st_ino), std::int64_t(status.st_size),
                     std::int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
    }
    return stamps;
}

bool FileWatch::changed()
{
    std::vector<Stamp> now = look();
    const bool settled = now == previous && now != reported;
    previous = now;
    if (settled)
        reported = std::move(now);
    return settled;
}

}  // namespace qm
