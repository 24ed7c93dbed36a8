#include "FileWatch.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>

namespace qm {

FileWatch::FileWatch(std::vector<std::string> watched, std::int64_t since) : files(std::move(watched))
{
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    reported = previous = look();
    const std::int64_t from = since - 20'000'000;
    if (std::any_of(reported.begin(), reported.end(), [from](const Stamp& s) { return s.modified >= from; }))
        reported.clear();  // differs from any look: the next settled one reports it
}

std::int64_t FileWatch::now()
{
    timespec time{};
    clock_gettime(CLOCK_REALTIME, &time);
    return std::int64_t(time.tv_sec) * 1000000000 + time.tv_nsec;
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
