#include "CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace qm {

namespace {

template <typename Number>
bool parseNumber(std::string_view text, Number& out)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, out);
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(out))
            return false;
    }
    return error == std::errc() && stop == end && !text.empty();
}

// Numbers separated by `separator`, exactly `count` of them.
bool parseList(std::string_view text, char separator, std::size_t count, std::vector<float>& out)
{
    out.clear();
    while (true) {
        const std::size_t cut = text.find(separator);
        float value = 0.0f;
        if (!parseNumber(text.substr(0, cut), value))
            return false;
        out.push_back(value);
        if (cut == std::string_view::npos)
            break;
        text.remove_prefix(cut + 1);
    }
    return out.size() == count;
}

// Each option's value reader: false when the value is not acceptable.
using ValueReader = std::function<bool(const std::string&, ViewerOptions&)>;

const std::map<std::string, ValueReader>& valueOptions()
{
    static const std::map<std::string, ValueReader> options{
        {"--table", [](const std::string& v, ViewerOptions& o) { o.table = v; return !v.empty(); }},
        {"--environment", [](const std::string& v, ViewerOptions& o) { o.environment = v; return !v.empty(); }},
        {"--up",
         [](const std::string& v, ViewerOptions& o) {
             if (v != "y" && v != "z")
                 return false;
             o.upAxis = v[0];
             return true;
         }},
        {"--scale",
         [](const std::string& v, ViewerOptions& o) {
             float s = 0.0f;
             return parseNumber(v, s) && s > 0.0f && (o.scale = s, true);
         }},
        {"--lod",
         [](const std::string& v, ViewerOptions& o) {
             if (v != "builtin" && v != "borders")
                 return false;
             o.lod = v == "builtin" ? LodMethod::Builtin : LodMethod::KeepBorders;
             return true;
         }},
        {"--orbit",
         [](const std::string& v, ViewerOptions& o) {
             if (v != "turntable" && v != "trackball")
                 return false;
             o.trackball = v == "trackball";
             return true;
         }},
        {"--reader",
         [](const std::string& v, ViewerOptions& o) {
             if (v != "auto" && v != "assimp")
                 return false;
             o.assimpOnly = v == "assimp";
             return true;
         }},
        {"--screenshot", [](const std::string& v, ViewerOptions& o) { o.screenshot = v; return !v.empty(); }},
        {"--frames", [](const std::string& v, ViewerOptions& o) { return parseNumber(v, o.frames) && o.frames > 0; }},
        {"--resolution",
         [](const std::string& v, ViewerOptions& o) {
             const std::size_t x = v.find('x');
             return x != std::string::npos && parseNumber(std::string_view(v).substr(0, x), o.width) &&
                    parseNumber(std::string_view(v).substr(x + 1), o.height) && o.width > 0 && o.height > 0 &&
                    o.width <= 16384 && o.height <= 16384;
         }},
        {"--camera",
         [](const std::string& v, ViewerOptions& o) {
             std::vector<float> values;
             if (!parseList(v, ',', 5, values))
                 return false;
             o.camera = {values[0], values[1], values[2], values[3], values[4]};
             return true;
         }},
        {"--exposure",
         [](const std::string& v, ViewerOptions& o) {
             float e = 0.0f;
             return parseNumber(v, e) && (o.exposure = e, true);
         }},
        {"--animation", [](const std::string& v, ViewerOptions& o) { o.animation = v; return !v.empty(); }},
        {"--time",
         [](const std::string& v, ViewerOptions& o) {
             float t = 0.0f;
             return parseNumber(v, t) && std::isfinite(t) && t >= 0.0f && (o.time = t, true);
         }},
        {"--focus",
         [](const std::string& v, ViewerOptions& o) {
             float f = 0.0f;
             return parseNumber(v, f) && (o.focus = f, true);
         }},
    };
    return options;
}

// The options that take no value, and what each sets.
const std::map<std::string, void (*)(ViewerOptions&)>& flagOptions()
{
    static const std::map<std::string, void (*)(ViewerOptions&)> flags{
        {"--fullscreen", [](ViewerOptions& o) { o.fullscreen = true; }},
        {"--no-cache", [](ViewerOptions& o) { o.cache = false; }},
        {"--no-config", [](ViewerOptions& o) { o.settings = false; }},
        {"--watch", [](ViewerOptions& o) { o.watch = true; }},
        {"--grid", [](ViewerOptions& o) { o.grid = true; }},
        {"--axes", [](ViewerOptions& o) { o.axes = true; }},
        {"--overlay", [](ViewerOptions& o) { o.overlay = true; }},
    };
    return flags;
}

// The options that mean nothing without a model file.
constexpr std::string_view modelOptions[] = {"--table",     "--up",   "--scale", "--lod",  "--environment",
                                             "--animation", "--time", "--watch", "--grid", "--axes",
                                             "--orbit",     "--reader", "--overlay"};

bool needsModel(const std::string& name)
{
    return std::find(std::begin(modelOptions), std::end(modelOptions), name) != std::end(modelOptions);
}

// "--table, ... and --overlay need a model file".
std::string modelOptionsError()
{
    std::string list;
    for (std::size_t i = 0; i < std::size(modelOptions); ++i)
        list += std::string(i == 0 ? "" : i + 1 == std::size(modelOptions) ? " and " : ", ") +
                std::string(modelOptions[i]);
    return list + " need a model file";
}

// --thumbnail SIZE INPUT OUTPUT at arguments[at], as file managers'
// thumbnailer entries give them; why not, when they cannot be taken.
std::string readThumbnail(const std::vector<std::string>& arguments, std::size_t at, ViewerOptions& options)
{
    if (at + 3 >= arguments.size())
        return "the option --thumbnail needs SIZE INPUT OUTPUT";
    if (!parseNumber(arguments[at + 1], options.thumbnailSize) || options.thumbnailSize < 1 ||
        options.thumbnailSize > 4096)
        return "the option --thumbnail does not take the size \"" + arguments[at + 1] + "\"";
    if (!options.model.empty())
        return "only one model file can be opened";
    options.model = arguments[at + 2];
    options.thumbnail = arguments[at + 3];
    if (options.model.empty() || options.thumbnail.empty())
        return "the option --thumbnail needs SIZE INPUT OUTPUT";
    return {};
}

CommandLine failure(std::string why)
{
    CommandLine result;
    result.action = CommandLine::Error;
    result.error = std::move(why);
    return result;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine result;
    ViewerOptions& options = result.options;
    bool modelOnly = false;  // an option that means nothing without a model was given
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.action = CommandLine::Help;
            return result;
        }
        if (argument == "--version") {
            result.action = CommandLine::Version;
            return result;
        }
        if (const auto flag = flagOptions().find(argument); flag != flagOptions().end()) {
            flag->second(options);
            modelOnly = modelOnly || needsModel(argument);
            continue;
        }
        if (argument == "--thumbnail") {
            if (std::string why = readThumbnail(arguments, i, options); !why.empty())
                return failure(std::move(why));
            i += 3;
            continue;
        }
        // "--" ends the options: a model file whose name starts with a dash follows.
        const bool afterEnd = argument == "--" && i + 1 < arguments.size();
        if (afterEnd || argument.size() < 2 || argument[0] != '-') {
            if (!options.model.empty())
                return failure("only one model file can be opened");
            options.model = afterEnd ? arguments[++i] : argument;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const auto option = valueOptions().find(name);
        if (option == valueOptions().end())
            return failure("unknown option " + name);
        std::string value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return failure("the option " + name + " needs a value");
        if (!option->second(value, options))
            return failure("the option " + name + " does not take the value \"" + value + "\"");
        modelOnly = modelOnly || needsModel(name);
    }
    if (!options.thumbnail.empty() && !options.screenshot.empty())
        return failure("--thumbnail and --screenshot cannot go together");
    if (modelOnly && options.model.empty())
        return failure(modelOptionsError());
    return result;
}

std::string usage()
{
    return "Usage: quillmoor [options] [MODEL]\n"
           "Without MODEL, shows the moor. With MODEL, opens that model file (FBX, glTF, OBJ,\n"
           "Collada, 3DS, PLY, STL and the other formats the model reader takes).\n"
           "\n"
           "Options:\n"
           "  --table FILE               material-to-program table for MODEL; materials it\n"
           "                             does not name get a program by their textures\n"
           "  --up y|z                   MODEL's up axis, instead of what the file records\n"
           "  --scale S                  metres per MODEL unit, instead of what the file records\n"
           "  --lod borders|builtin      how MODEL's simplified levels are built: keeping open\n"
           "                             borders and seams (default), or the built-in simplifier\n"
           "  --environment FILE         the light MODEL's physically based surfaces reflect: an\n"
           "                             equirectangular picture (.hdr, PNG, JPEG) or a folder\n"
           "                             of six faces posx..negz (default: a neutral grey sky)\n"
           "  --animation N|NAME|none    MODEL's clip to play: its number from 1, its name, or\n"
           "                             none for the rest pose (default: the first)\n"
           "  --time T                   start T seconds into the clip; with --screenshot the\n"
           "                             pose is the one at T (default: the frames' fixed step)\n"
           "  --watch                    reload MODEL when it or a file it refers to changes\n"
           "                             on disk, keeping the view (F5 reloads by hand)\n"
           "  --grid                     a ground grid under MODEL, a line a metre or a power\n"
           "                             of ten of metres apart (G shows and hides it)\n"
           "  --axes                     the axes at the origin (X shows and hides them)\n"
           "  --reader auto|assimp       how MODEL is read: glTF files by the viewer's own reader\n"
           "                             and the rest by assimp (default), or all by assimp\n"
           "  --orbit turntable|trackball\n"
           "                             how a drag turns MODEL: about its up axis, the pitch\n"
           "                             short of the poles (default), or freely\n"
           "  --overlay                  with --screenshot or --thumbnail, the picture with the\n"
           "                             model's numbers and its clip's timeline over it\n"
           "  --screenshot FILE.png      render without a window or display, write the last\n"
           "                             frame as PNG and exit\n"
           "  --frames N                 frames rendered for --screenshot (default 10)\n"
           "  --thumbnail SIZE IN OUT    write a SIZE x SIZE PNG of the model file IN, framed\n"
           "                             as at start, to OUT and exit (non-zero, writing\n"
           "                             nothing, when IN cannot be read)\n"
           "  --resolution WxH           picture or window size (default 1600x900)\n"
           "  --fullscreen               full-screen window\n"
           "  --camera X,Y,Z,YAW,PITCH   start place and direction, in degrees\n"
           "  --exposure E               start exposure (keys 1 and 2 change it)\n"
           "  --focus F                  start focus distance (keys 3 and 4 change it)\n"
           "  --no-cache                 read the model file and build its levels anew, without\n"
           "                             the scene cache (~/.cache/quillmoor)\n"
           "  --no-config                leave the settings file (~/.config/quillmoor/config)\n"
           "                             unread\n"
           "  --help                     this text\n"
           "  --version                  the version\n";
}

std::string versionLine()
{
    return std::string("quillmoor ") + QM_VERSION;
}

}  // namespace qm
