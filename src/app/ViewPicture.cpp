#include "ViewPicture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace qm {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The pictures folder the desktop's user-dirs.dirs names ("$HOME/Pictures").
std::string userDirsPictures(const std::string& home)
{
    const std::string config = environment("XDG_CONFIG_HOME");
    std::ifstream file(fs::path(config.empty() || config[0] != '/' ? home + "/.config" : config) / "user-dirs.dirs");
    const std::string key = "XDG_PICTURES_DIR=\"";
    for (std::string line; std::getline(file, line);) {
        if (line.rfind(key, 0) != 0 || line.back() != '"')
            continue;
        std::string folder = line.substr(key.size(), line.size() - key.size() - 1);
        if (folder.rfind("$HOME", 0) == 0)
            folder = home + folder.substr(5);
        return folder;
    }
    return {};
}

}  // namespace

std::string viewPicturePath(const std::string& modelFile, std::time_t when)
{
    const std::string home = environment("HOME");
    std::string folder = environment("XDG_PICTURES_DIR");
    if (folder.empty() && !home.empty())
        folder = userDirsPictures(home);
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error))
        folder = home;
    if (folder.empty())
        return {};
    char stamp[32] = {};
    std::tm local{};
    localtime_r(&when, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H.%M.%S", &local);
    return (fs::path(folder) / (fs::path(modelFile).stem().string() + "-" + stamp + ".png")).string();
}

}  // namespace qm
