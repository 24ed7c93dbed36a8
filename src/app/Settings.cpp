#include "Settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <istream>
#include <ostream>

#include "CommandLine.h"

namespace qm {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = std::find_if_not(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
    const auto last = std::find_if_not(text.rbegin(), text.rend(), [](unsigned char c) { return std::isspace(c); });
    return first < last.base() ? std::string(first, last.base()) : std::string();
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The arguments a setting stands for; empty, with the reason, when it stands for none.
std::vector<std::string> argumentsOf(const std::string& name, const std::string& value, const std::string& folder,
                                     std::string& problem)
{
    if (name == "fullscreen" || name == "cache" || name == "watch" || name == "grid" || name == "axes") {
        const std::string answer = lowerCase(value);
        if (answer != "yes" && answer != "no") {
            problem = name + " takes yes or no";
            return {};
        }
        const bool on = answer == "yes";
        if (name == "cache")
            return on ? std::vector<std::string>{} : std::vector<std::string>{"--no-cache"};
        return on ? std::vector<std::string>{"--" + name} : std::vector<std::string>{};
    }
    if (name == "screenshot" || name == "thumbnail" || name == "overlay" || name == "help" || name == "version" ||
        name == "no-config") {
        problem = name + " is not a setting: give it on the command line";
        return {};
    }
    std::string given = value;
    if ((name == "table" || name == "environment") && !given.empty() && std::filesystem::path(given).is_relative())
        given = (std::filesystem::path(folder) / given).string();
    return {"--" + name, given};
}

}  // namespace

std::string settingsPath()
{
    // A relative XDG_CONFIG_HOME is ignored, as the XDG base directories ask.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::string(config) + "/quillmoor/config";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config/quillmoor/config";
    return {};
}

std::vector<std::string> readSettings(std::istream& in, const std::string& path, const std::string& model,
                                      std::ostream& errors)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const std::string extension = lowerCase(std::filesystem::path(model).extension().string());
    std::vector<std::string> arguments;
    bool applies = true;  // lines before any section apply to every run
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = trimmed(line.substr(0, line.find('#')));
        if (text.empty())
            continue;
        const auto report = [&](const std::string& why) {
            errors << path << ":" << number << ": " << why << "; the line is ignored." << std::endl;
        };
        if (text.front() == '[') {
            std::string section = lowerCase(trimmed(text.substr(1, text.size() - 1 - (text.back() == ']'))));
            if (text.back() != ']' || section.empty()) {
                report("a section is written [.ext]");
                applies = false;
                continue;
            }
            section.erase(0, section.find_first_not_of("*."));
            applies = !extension.empty() && "." + section == extension;
            continue;
        }
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) {
            report("expected name = value");
            continue;
        }
        const std::string name = trimmed(text.substr(0, equals));
        std::string problem;
        const std::vector<std::string> stands = argumentsOf(name, trimmed(text.substr(equals + 1)), folder, problem);
        if (!problem.empty()) {
            report(problem);
            continue;
        }
        // Checked as the command line would check it, with a model to open.
        std::vector<std::string> withModel = stands;
        withModel.insert(withModel.end(), {"--", "model"});
        if (const CommandLine checked = parseCommandLine(withModel); checked.action == CommandLine::Error) {
            report(checked.error);
            continue;
        }
        if (!applies)
            continue;
        // A model's option means nothing for the moor.
        if (model.empty() && parseCommandLine(stands).action == CommandLine::Error)
            continue;
        arguments.insert(arguments.end(), stands.begin(), stands.end());
    }
    return arguments;
}

}  // namespace qm
