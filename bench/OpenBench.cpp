// Time to the first picture of a large binary model file, where that time
// goes, and the viewer's peak memory: the release viewer renders one
// --screenshot frame of each generated height field (written here, at bench
// time) in a child process; best of three runs. One line per field:
//   open <file> triangles <t> first_picture_ms <ms> read_ms <r> import_ms <i>
//   lod_ms <l> upload_ms <u> rest_ms <start-up and the frame> peak_mb <m>
// and, where a peer viewer is given (Debian's f3d), the same picture by it:
//   peer <file> first_picture_ms <ms> peak_mb <m> time_ratio <ours/theirs> memory_ratio <ours/theirs>
// Usage: qm_open_bench <quillmoor> <work folder> [--peer <f3d>] <side>...
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "HeightField.h"

namespace {

namespace fs = std::filesystem;

struct Run {
    double wallMs = 0.0;
    double peakMb = 0.0;
    std::string console;
    bool ok = false;
};

// Runs a program with its standard output into `log`, its errors discarded.
Run runChild(const std::vector<std::string>& arguments, const fs::path& log)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        dup2(out, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Run run;
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return run;
    run.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::ifstream file(log);
    run.console.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return run;
}

Run bestOfThree(const std::vector<std::string>& arguments, const fs::path& log)
{
    Run best;
    for (int i = 0; i < 3; ++i) {
        Run run = runChild(arguments, log);
        if (!run.ok)
            return run;
        if (!best.ok || run.wallMs < best.wallMs)
            best = std::move(run);
    }
    return best;
}

// The milliseconds a console line reports, after `label`; -1 when absent.
long long reported(const std::string& console, const std::string& label)
{
    std::smatch match;
    if (std::regex_search(console, match, std::regex(label + " ([0-9]+) ms")))
        return std::stoll(match[1]);
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <quillmoor> <work folder> [--peer <f3d>] <side>...\n", argv[0]);
        return 2;
    }
    const std::string viewer = fs::absolute(argv[1]).string();
    const fs::path work = argv[2];
    fs::create_directories(work);
    int next = 3;
    std::string peer;
    if (std::string(argv[next]) == "--peer" && next + 1 < argc) {
        peer = argv[next + 1];
        next += 2;
    }
    int status = 0;
    for (int a = next; a < argc; ++a) {
        const int side = std::atoi(argv[a]);
        const fs::path field = work / ("field-" + std::to_string(side) + ".ply");
        if (!scenegen::writeHeightField(field, side))
            return 1;
        const long long triangles = 2LL * (side - 1) * (side - 1);
        const Run ours = bestOfThree({viewer, "--screenshot", (work / "ours.png").string(), "--frames", "1",
                                      field.string()},
                                     work / "ours.log");
        if (!ours.ok) {
            std::fprintf(stderr, "%s: the viewer failed\n", field.c_str());
            status = 1;
            continue;
        }
        const long long read = reported(ours.console, "Read in");
        const long long import = reported(ours.console, "Done in");
        const long long lod = reported(ours.console, "Level of detail built in");
        const long long upload = reported(ours.console, "uploaded in");
        std::printf("open %s triangles %lld first_picture_ms %.0f read_ms %lld import_ms %lld lod_ms %lld "
                    "upload_ms %lld rest_ms %.0f peak_mb %.0f\n",
                    field.filename().c_str(), triangles, ours.wallMs, read, import, lod, upload,
                    ours.wallMs - double(read + import + lod + upload), ours.peakMb);
        if (!peer.empty()) {
            const Run theirs = bestOfThree({peer, "--output=" + (work / "peer.png").string(), "--resolution=1600,900",
                                            field.string()},
                                           work / "peer.log");
            if (theirs.ok)
                std::printf("peer %s first_picture_ms %.0f peak_mb %.0f time_ratio %.2f memory_ratio %.2f\n",
                            field.filename().c_str(), theirs.wallMs, theirs.peakMb, ours.wallMs / theirs.wallMs,
                            ours.peakMb / theirs.peakMb);
            else
                std::printf("peer %s failed\n", field.filename().c_str());
        }
        std::fflush(stdout);
        fs::remove(field);
    }
    return status;
}
