// Time to the first picture of a large model file, where that time goes,
// and the viewer's peak memory: the release viewer renders one --screenshot
// frame of each generated height field (written here, at bench time) and of
// each model file given, in a child process; best of three runs. Without
// the scene cache, one line per file:
//   open <file> triangles <t> first_picture_ms <ms> read_ms <r> import_ms <i>
//   lod_ms <l> upload_ms <u> rest_ms <start-up and the frame> peak_mb <m>
// then with the cache: a first open that fills an empty one, and a second
// from it ("ready" is the console's time from the start of the open to the
// scene built, without start-up, the frame and the exit):
//   cache <file> first_ms <f> second_ms <s> second_over_first <s/f>
//   first_over_uncached <f/open's> ready_first_ms <rf> ready_second_ms <rs> ready_ratio <rs/rf> peak_mb <m>
// where a peer viewer is given (Debian's f3d), the same picture by it:
//   peer <file> first_picture_ms <ms> peak_mb <m> time_ratio <ours/theirs> memory_ratio <ours/theirs>
// and with --moor, the shipped scene's launch to "Welcome!", first and second start:
//   moor welcome_first_ms <f> welcome_second_ms <s> second_over_first <s/f>
// and for each --thumbnail file, a 256 x 256 --thumbnail without the cache,
// and from the entry a plain open keeps, against --screenshot (its default
// size and frames) without it:
//   thumbnail <file> ms <t> cached_ms <c> screenshot_ms <s> screenshot_over_thumbnail <s/t> peak_mb <m>
// then the slowest and the smallest ratio of them all:
//   thumbnails files <n> slowest_ms <t> least_screenshot_over_thumbnail <r> largest_peak_mb <m>
// Usage: qm_open_bench <quillmoor> <work folder> [--peer <f3d>] [--moor] [--model FILE]...
//                      [--thumbnail FILE]... <side>...
#include <signal.h>
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

template <typename Before>
Run bestOfThree(const std::vector<std::string>& arguments, const fs::path& log, Before before)
{
    Run best;
    for (int i = 0; i < 3; ++i) {
        before();
        Run run = runChild(arguments, log);
        if (!run.ok)
            return run;
        if (!best.ok || run.wallMs < best.wallMs)
            best = std::move(run);
    }
    return best;
}

Run bestOfThree(const std::vector<std::string>& arguments, const fs::path& log)
{
    return bestOfThree(arguments, log, [] {});
}

// Milliseconds from the start of a child until it prints a line holding
// `marker`; the child is then ended. -1 when it never does.
double untilLine(const std::vector<std::string>& arguments, const std::string& marker)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int ends[2];
    if (pipe(ends) != 0)
        return -1;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(ends[1], STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        close(ends[0]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(ends[1]);
    std::string seen;
    double ms = -1;
    char chunk[4096];
    for (ssize_t got; (got = read(ends[0], chunk, sizeof chunk)) > 0;) {
        seen.append(chunk, std::size_t(got));
        if (seen.find(marker) != std::string::npos) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            break;
        }
    }
    close(ends[0]);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return ms;
}

// The best of three `untilLine`, each after `before`.
template <typename Before>
double bestUntilLine(const std::vector<std::string>& arguments, const std::string& marker, Before before)
{
    double best = -1;
    for (int i = 0; i < 3; ++i) {
        before();
        const double ms = untilLine(arguments, marker);
        if (ms >= 0 && (best < 0 || ms < best))
            best = ms;
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

// One model file: without the cache, then a first and a second open with
// it; and the peer's picture. False when the viewer failed.
bool measure(const std::string& viewer, const fs::path& work, const std::string& peer, const fs::path& model,
             long long triangles)
{
    const fs::path cache = work / "cache";
    const auto emptyCache = [&] { fs::remove_all(cache); };
    const std::string name = model.filename().string();
    const std::vector<std::string> shot{viewer, "--screenshot", (work / "ours.png").string(), "--frames", "1"};
    std::vector<std::string> uncached = shot;
    uncached.insert(uncached.end(), {"--no-cache", model.string()});
    const Run ours = bestOfThree(uncached, work / "ours.log");
    std::vector<std::string> cached = shot;
    cached.push_back(model.string());
    const Run first = bestOfThree(cached, work / "first.log", emptyCache);
    const Run second = bestOfThree(cached, work / "second.log");
    if (!ours.ok || !first.ok || !second.ok) {
        std::fprintf(stderr, "%s: the viewer failed\n", name.c_str());
        return false;
    }
    const long long read = reported(ours.console, "Read in");
    const long long import = reported(ours.console, "Done in");
    const long long lod = reported(ours.console, "Level of detail built in");
    const long long upload = reported(ours.console, "uploaded in");
    std::printf("open %s triangles %lld first_picture_ms %.0f read_ms %lld import_ms %lld lod_ms %lld "
                "upload_ms %lld rest_ms %.0f peak_mb %.0f\n",
                name.c_str(), triangles, ours.wallMs, read, import, lod, upload,
                ours.wallMs - double(read + import + lod + upload), ours.peakMb);
    const double readyFirst = double(reported(first.console, "Ready in"));
    const double readySecond = double(reported(second.console, "Ready in"));
    std::printf("cache %s first_ms %.0f second_ms %.0f second_over_first %.2f first_over_uncached %.2f "
                "ready_first_ms %.0f ready_second_ms %.0f ready_ratio %.2f peak_mb %.0f\n",
                name.c_str(), first.wallMs, second.wallMs, second.wallMs / first.wallMs, first.wallMs / ours.wallMs,
                readyFirst, readySecond, readySecond / readyFirst, std::max(first.peakMb, second.peakMb));
    if (!peer.empty()) {
        const Run theirs = bestOfThree({peer, "--output=" + (work / "peer.png").string(), "--resolution=1600,900",
                                        model.string()},
                                       work / "peer.log");
        if (theirs.ok)
            std::printf("peer %s first_picture_ms %.0f peak_mb %.0f time_ratio %.2f memory_ratio %.2f\n",
                        name.c_str(), theirs.wallMs, theirs.peakMb, ours.wallMs / theirs.wallMs,
                        ours.peakMb / theirs.peakMb);
        else
            std::printf("peer %s failed\n", name.c_str());
    }
    std::fflush(stdout);
    return true;
}

struct ThumbnailFigures {
    int files = 0;
    double slowestMs = 0.0;
    double leastRatio = 1e9;
    double largestPeakMb = 0.0;
};

// One file's thumbnail against its screenshot. False when the viewer failed.
bool measureThumbnail(const std::string& viewer, const fs::path& work, const fs::path& model,
                      ThumbnailFigures& figures)
{
    const std::string name = model.filename().string();
    const std::vector<std::string> thumbnail{viewer, "--thumbnail", "256", model.string(),
                                             (work / "thumbnail.png").string()};
    std::vector<std::string> uncached = thumbnail;
    uncached.insert(uncached.begin() + 1, "--no-cache");
    const Run cold = bestOfThree(uncached, work / "thumbnail.log");
    // A plain open keeps the entry a thumbnail reads.
    runChild({viewer, "--screenshot", (work / "shot.png").string(), "--frames", "1", model.string()},
             work / "shot.log");
    const Run warm = bestOfThree(thumbnail, work / "thumbnail.log");
    const Run shot = bestOfThree({viewer, "--no-cache", "--screenshot", (work / "shot.png").string(), model.string()},
                                 work / "shot.log");
    if (!cold.ok || !warm.ok || !shot.ok) {
        std::fprintf(stderr, "%s: the viewer failed\n", name.c_str());
        return false;
    }
    const double ratio = shot.wallMs / cold.wallMs;
    const double peak = std::max(cold.peakMb, warm.peakMb);
    std::printf("thumbnail %s ms %.0f cached_ms %.0f screenshot_ms %.0f screenshot_over_thumbnail %.1f peak_mb %.0f\n",
                name.c_str(), cold.wallMs, warm.wallMs, shot.wallMs, ratio, peak);
    std::fflush(stdout);
    ++figures.files;
    figures.slowestMs = std::max(figures.slowestMs, cold.wallMs);
    figures.leastRatio = std::min(figures.leastRatio, ratio);
    figures.largestPeakMb = std::max(figures.largestPeakMb, peak);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <quillmoor> <work folder> [--peer <f3d>] [--moor] [--model FILE]... [--thumbnail FILE]... "
                     "<side>...\n",
                     argv[0]);
        return 2;
    }
    const std::string viewer = fs::absolute(argv[1]).string();
    const fs::path work = fs::absolute(argv[2]);
    fs::create_directories(work);
    // The viewers measured here keep their cache in the work folder and
    // read no one's settings.
    setenv("XDG_CACHE_HOME", (work / "cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    std::string peer;
    bool moor = false;
    std::vector<fs::path> models;
    std::vector<fs::path> thumbnails;
    std::vector<int> sides;
    for (int a = 3; a < argc; ++a) {
        const std::string argument = argv[a];
        if (argument == "--peer" && a + 1 < argc)
            peer = argv[++a];
        else if (argument == "--model" && a + 1 < argc)
            models.push_back(fs::absolute(argv[++a]));
        else if (argument == "--thumbnail" && a + 1 < argc)
            thumbnails.push_back(fs::absolute(argv[++a]));
        else if (argument == "--moor")
            moor = true;
        else
            sides.push_back(std::atoi(argv[a]));
    }
    int status = 0;
    if (moor) {
        const std::vector<std::string> start{viewer, "--screenshot", (work / "moor.png").string()};
        const double first = bestUntilLine(start, "Welcome!", [&] { fs::remove_all(work / "cache"); });
        const double second = bestUntilLine(start, "Welcome!", [] {});
        std::printf("moor welcome_first_ms %.0f welcome_second_ms %.0f second_over_first %.2f\n", first, second,
                    second / first);
        std::fflush(stdout);
    }
    for (const fs::path& model : models)
        if (!measure(viewer, work, peer, model, -1))
            status = 1;
    ThumbnailFigures figures;
    for (const fs::path& model : thumbnails)
        if (!measureThumbnail(viewer, work, model, figures))
            status = 1;
    if (figures.files > 0)
        std::printf("thumbnails files %d slowest_ms %.0f least_screenshot_over_thumbnail %.1f largest_peak_mb %.0f\n",
                    figures.files, figures.slowestMs, figures.leastRatio, figures.largestPeakMb);
    for (const int side : sides) {
        const fs::path field = work / ("field-" + std::to_string(side) + ".ply");
        if (!scenegen::writeHeightField(field, side))
            return 1;
        if (!measure(viewer, work, peer, field, 2LL * (side - 1) * (side - 1)))
            status = 1;
        fs::remove(field);
    }
    fs::remove_all(work / "cache");
    return status;
}
