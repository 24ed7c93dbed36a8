#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

using qm::CommandLine;

// What each command line asks for, or why it is refused.
TEST(CommandLine, ReadsOptionsAndRefusesWhatItCannotUse)
{
    const struct {
        std::vector<std::string> arguments;
        CommandLine::Action action;
        const char* error;  // a part of the error
    } cases[] = {
        {{}, CommandLine::Run, ""},
        {{"duck.fbx", "-h"}, CommandLine::Help, ""},
        {{"--frames", "0"}, CommandLine::Error, "--frames does not take the value \"0\""},
        {{"--frames", "5x"}, CommandLine::Error, "does not take the value"},
        {{"--resolution", "640x"}, CommandLine::Error, "--resolution does not take"},
        {{"--resolution", "0x360"}, CommandLine::Error, "--resolution does not take"},
        {{"--camera", "1,2,3,4"}, CommandLine::Error, "--camera does not take"},
        {{"--camera", "1,2,3,4,5,6"}, CommandLine::Error, "--camera does not take"},
        {{"--exposure", "nan"}, CommandLine::Error, "--exposure does not take"},
        {{"m.obj", "--up", "x"}, CommandLine::Error, "--up does not take"},
        {{"m.obj", "--scale", "-1"}, CommandLine::Error, "--scale does not take"},
        {{"m.obj", "--lod", "fast"}, CommandLine::Error, "--lod does not take"},
        {{"a.obj", "b.obj"}, CommandLine::Error, "only one model file"},
        {{"--up", "z"}, CommandLine::Error, "need a model file"},
        {{"--table", "t.txt"}, CommandLine::Error, "need a model file"},
        {{"--environment", "sky.hdr"}, CommandLine::Error, "need a model file"},
        {{"m.obj", "--environment", ""}, CommandLine::Error, "--environment does not take"},
        {{"--animation", "walk"}, CommandLine::Error, "need a model file"},
        {{"--time", "1"}, CommandLine::Error, "need a model file"},
        {{"--watch"}, CommandLine::Error, "need a model file"},
        {{"m.obj", "--time", "-1"}, CommandLine::Error, "--time does not take"},
        {{"m.obj", "--time", "inf"}, CommandLine::Error, "--time does not take"},
        {{"m.obj", "--animation="}, CommandLine::Error, "--animation does not take"},
        {{"--thumbnail", "128", "m.obj"}, CommandLine::Error, "--thumbnail needs SIZE INPUT OUTPUT"},
        {{"--thumbnail", "0", "m.obj", "t.png"}, CommandLine::Error, "--thumbnail does not take the size \"0\""},
        {{"--thumbnail", "12x", "m.obj", "t.png"}, CommandLine::Error, "does not take the size"},
        {{"a.obj", "--thumbnail", "128", "m.obj", "t.png"}, CommandLine::Error, "only one model file"},
        {{"--thumbnail", "128", "m.obj", "t.png", "--screenshot", "s.png"}, CommandLine::Error, "cannot go together"},
        {{"--thumbnail", "128", "m.obj", "t.png", "--up", "z"}, CommandLine::Run, ""},
    };
    for (const auto& c : cases) {
        const CommandLine result = qm::parseCommandLine(c.arguments);
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        EXPECT_EQ(result.action, c.action);
        EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
    }
}

// Every option at once, in both spellings, and a model named with a leading dash. The table,
// screenshot and size, camera, clip, time, watch and settings file show in the end-to-end runs.
TEST(CommandLine, EveryOptionIsReadIntoItsField)
{
    const CommandLine result = qm::parseCommandLine(
        {"--table", "t.txt", "--up=z", "--scale", "0.01", "--lod", "builtin", "--screenshot", "out.png", "--frames=3",
         "--resolution", "640x360", "--fullscreen", "--camera", "1,-2.5,3,90,-10", "--exposure", "1.5", "--focus",
         "12", "--animation", "run", "--time", "0.25", "--no-config", "--watch", "--", "-model.obj"});
    ASSERT_EQ(result.action, CommandLine::Run) << result.error;
    const qm::ViewerOptions& o = result.options;
    EXPECT_EQ(o.model, "-model.obj");
    EXPECT_EQ(o.upAxis, 'z');
    EXPECT_EQ(o.scale, 0.01f);
    EXPECT_EQ(o.lod, qm::LodMethod::Builtin);
    EXPECT_EQ(o.frames, 3);
    EXPECT_TRUE(o.fullscreen);
    EXPECT_EQ(o.exposure, 1.5f);
    EXPECT_EQ(o.focus, 12.0f);

    // The defaults: ten frames, levels that keep borders, nothing else asked for.
    const qm::ViewerOptions defaults = qm::parseCommandLine({"duck.fbx"}).options;
    EXPECT_EQ(defaults.model, "duck.fbx");
    EXPECT_EQ(defaults.frames, 10);
    EXPECT_EQ(defaults.lod, qm::LodMethod::KeepBorders);
    EXPECT_FALSE(defaults.upAxis || defaults.scale || defaults.camera || defaults.exposure || defaults.focus ||
                 defaults.animation || defaults.time);
}

}  // namespace
