#include "ReaderProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "ByteCodec.h"
#include "ReaderExit.h"
#include "SceneDataFile.h"

extern char** environ;

namespace qm {

namespace {

constexpr std::uint64_t mebibyte = std::uint64_t(1) << 20;

std::uint64_t physicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) : 8 * 1024 * mebibyte;
}

// The environment the reader starts with: the viewer's; the allocator on
// huge pages, unless told otherwise (the reader fills hundreds of
// megabytes once: a third of the moor's read went to page faults); and in
// sanitizer builds options that make a finding end it by a signal, as a
// crash would, without a leak report (the process ends right after reading).
// Sanitizers cannot run under an address-space limit, so there the
// allocator refuses any one allocation beyond the memory limit instead: a
// damaged file's count asking for tens of gigabytes fails at once rather
// than after a minute of poisoning shadow memory.
std::vector<std::string> readerEnvironment([[maybe_unused]] std::uint64_t memoryLimit)
{
    std::vector<std::string> variables;
    for (char** v = environ; *v; ++v)
        variables.emplace_back(*v);
    if (!std::getenv("GLIBC_TUNABLES"))
        variables.emplace_back("GLIBC_TUNABLES=glibc.malloc.hugetlb=1");
#ifdef QM_SANITIZER_BUILD
    const std::string ours = "abort_on_error=1:detect_leaks=0:max_allocation_size_mb=" +
                             std::to_string(std::max<std::uint64_t>(memoryLimit / mebibyte, 1));
    const auto existing = std::find_if(variables.begin(), variables.end(),
                                       [](const std::string& v) { return v.starts_with("ASAN_OPTIONS="); });
    if (existing == variables.end())
        variables.push_back("ASAN_OPTIONS=" + ours);
    else
        *existing += ":" + ours;
#endif
    return variables;
}

class Pipe {
public:
    Pipe()
    {
        if (::pipe2(ends, O_CLOEXEC) != 0)
            ends[0] = ends[1] = -1;
    }
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }
    bool ok() const { return ends[0] >= 0; }
    int read() const { return ends[0]; }
    int write() const { return ends[1]; }
    void closeRead() { closeEnd(0); }
    void closeWrite() { closeEnd(1); }

private:
    void closeEnd(int i)
    {
        if (ends[i] >= 0)
            ::close(ends[i]);
        ends[i] = -1;
    }
    int ends[2];
};

// Starts the reader with the pipe as its standard output; -1 when it cannot.
pid_t startReader(const std::string& path, const ReaderSettings& settings, const Pipe& output, std::string& error)
{
    std::vector<std::string> arguments{settings.program, "--memory-limit", std::to_string(settings.memoryLimit),
                                       "--time-limit", std::to_string(settings.timeLimit)};
    if (settings.assimpOnly)
        arguments.insert(arguments.end(), {"--reader", "assimp"});
    arguments.push_back(path);
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = readerEnvironment(settings.memoryLimit);
    std::vector<char*> envp;
    for (std::string& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.write(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // Nothing else the viewer holds (its window, its GL device) reaches the reader.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    pid_t child = -1;
    const int failed = ::posix_spawn(&child, settings.program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        error = "the model reader could not be started (" + settings.program + ": " + std::strerror(failed) + ")";
        return -1;
    }
    return child;
}

// Waits for the reader to end; its wait status.
int waitForReader(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

void stopReader(pid_t child)
{
    ::kill(child, SIGKILL);
    waitForReader(child);
}

// What the reader's end means: nothing for a read, else why there is none.
std::string endOfReader(int status, const ReaderSettings& settings, const std::string& output)
{
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU)
            return "the model reader gave no answer within " + std::to_string(settings.timeLimit) + " s";
        return "the model reader crashed (signal " + std::to_string(signal) + ")";
    }
    switch (WEXITSTATUS(status)) {
    case readerExitRead: return {};
    case readerExitRefused: return output;
    case readerExitOutOfMemory: return "the model reader ran out of memory (limit " + memoryText(settings.memoryLimit) + ")";
    default: return "the model reader ended with exit status " + std::to_string(WEXITSTATUS(status));
    }
}

}  // namespace

std::string memoryText(std::uint64_t bytes)
{
    std::ostringstream text;
    const double gibibytes = double(bytes) / double(1024 * mebibyte);
    if (gibibytes >= 1.0)
        text << (std::floor(gibibytes * 10.0 + 0.5) / 10.0) << " GiB";
    else
        text << (bytes + mebibyte / 2) / mebibyte << " MiB";
    return text.str();
}

ReaderSettings readerSettings(std::string program, std::uint64_t largest)
{
    ReaderSettings settings;
    settings.program = std::move(program);
    settings.memoryLimit = std::min(physicalMemory() / 2, largest);
    if (const char* memory = std::getenv("QUILLMOOR_READER_MEMORY"); memory && std::atoll(memory) > 0)
        settings.memoryLimit = std::uint64_t(std::atoll(memory)) * mebibyte;
    if (const char* time = std::getenv("QUILLMOOR_READER_TIMEOUT"); time && std::atoi(time) > 0)
        settings.timeLimit = std::atoi(time);
    return settings;
}

ReaderOutcome readInReaderProcess(const std::string& path, const ReaderSettings& settings,
                                  const std::function<bool()>& keepWaiting)
{
    ReaderOutcome outcome;
    Pipe output;
    if (!output.ok()) {
        outcome.error = std::string("the model reader could not be started (") + std::strerror(errno) + ")";
        return outcome;
    }
    // Fewer, larger reads for scenes of hundreds of megabytes.
    ::fcntl(output.write(), F_SETPIPE_SZ, 1 << 20);
    const pid_t child = startReader(path, settings, output, outcome.error);
    if (child < 0)
        return outcome;
    output.closeWrite();

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(settings.timeLimit);
    std::string& bytes = outcome.sceneData;
    std::vector<char> chunk(1 << 20);
    for (;;) {
        pollfd ready{output.read(), POLLIN, 0};
        const int events = ::poll(&ready, 1, 50);
        if (events > 0) {
            const ssize_t got = ::read(output.read(), chunk.data(), chunk.size());
            if (got == 0)
                break;
            if (got > 0) {
                // The scene data's header gives its size: one buffer for it all.
                const bool headerWhole = bytes.size() < sceneDataHeaderSize;
                bytes.append(chunk.data(), std::size_t(got));
                if (headerWhole && bytes.size() >= sceneDataHeaderSize)
                    bytes.reserve(std::min(announcedSceneDataSize(asBytes(bytes)), settings.memoryLimit));
            }
            else if (errno != EINTR && errno != EAGAIN)
                break;
        }
        if (keepWaiting && !keepWaiting()) {
            stopReader(child);
            outcome.sceneData.clear();
            outcome.cancelled = true;
            outcome.error = "the read was cancelled";
            return outcome;
        }
        // A reader that writes more than it could hold is not answering either.
        if (Clock::now() > deadline || bytes.size() > settings.memoryLimit) {
            stopReader(child);
            outcome.sceneData.clear();
            outcome.error = "the model reader gave no answer within " + std::to_string(settings.timeLimit) + " s";
            return outcome;
        }
    }
    output.closeRead();
    outcome.error = endOfReader(waitForReader(child), settings, bytes);
    if (!outcome.error.empty())
        outcome.sceneData.clear();
    return outcome;
}

}  // namespace qm
