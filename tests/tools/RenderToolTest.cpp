#include "ToolProcess.h"
#include "common/TestEnvironment.h"
#include "support/Folders.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_graphics/juce_graphics.h>

namespace
{
const juce::File factory (THUDMOR_FACTORY_DIR);

juce::StringArray withFactory (juce::StringArray arguments)
{
    arguments.addArray ({ "--factory-dir", factory.getFullPathName() });
    return arguments;
}

ToolRun render (const juce::StringArray& arguments, int streams = juce::ChildProcess::wantStdErr)
{
    return runTool (THUDMOR_RENDER_TOOL, withFactory (arguments), streams);
}

struct WavInfo
{
    double sampleRate = 0.0;
    int bits = 0;
    bool isFloat = false;
    int channels = 0;
    juce::AudioBuffer<float> audio;
};

std::optional<WavInfo> readWav (const juce::File& file)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (file.createInputStream().release(), true));
    if (reader == nullptr)
        return std::nullopt;
    WavInfo info{ reader->sampleRate, (int) reader->bitsPerSample, reader->usesFloatingPointData,
                  (int) reader->numChannels,
                  juce::AudioBuffer<float> ((int) reader->numChannels, (int) reader->lengthInSamples) };
    reader->read (&info.audio, 0, info.audio.getNumSamples(), 0, true, true);
    return info;
}

float presetValue (const juce::File& preset, const char* key)
{
    const auto xml = juce::XmlDocument::parse (preset);
    const auto* values = xml != nullptr ? xml->getChildByName ("float") : nullptr;
    return values != nullptr ? (float) values->getDoubleAttribute (key) : 0.0f;
}

// Everything in a folder, hidden files (such as temporaries) included.
juce::Array<juce::File> filesIn (const juce::File& folder)
{
    juce::Array<juce::File> files;
    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFilesAndDirectories))
        files.add (entry.getFile());
    return files;
}
} // namespace

TEST (RenderTool, RendersAWavOfTheAskedFormatAndAPicture)
{
    const ScopedTestFolder output ("render-output");
    const auto wav = output.get().getChildFile ("kick.wav");
    const auto png = output.get().getChildFile ("kick.png");

    struct Case
    {
        const char* rate;
        const char* bits;
        bool isFloat;
    };
    for (const auto& c : { Case{ "44100", "16", false }, Case{ "96000", "24", false }, Case{ "48000", "32", true } })
    {
        SCOPED_TRACE (juce::String (c.rate) + " Hz, " + c.bits + " bit");
        const auto run = render ({ "Default", "-o", wav.getFullPathName(), "--png", png.getFullPathName(), "--rate",
                                   c.rate, "--bits", c.bits, "--length", "0.5" });
        ASSERT_EQ (run.exitCode, 0) << run.output;

        const auto info = readWav (wav);
        ASSERT_TRUE (info.has_value());
        EXPECT_EQ (info->sampleRate, juce::String (c.rate).getDoubleValue());
        EXPECT_EQ (info->bits, juce::String (c.bits).getIntValue());
        EXPECT_EQ (info->isFloat, c.isFloat);
        EXPECT_EQ (info->channels, 2);
        EXPECT_EQ (info->audio.getNumSamples(), juce::roundToInt (0.5 * info->sampleRate));

        // A kick starts at once and is loud, then dies away.
        const auto firstTenMs = (int) (info->sampleRate * 0.01);
        EXPECT_GT (info->audio.getMagnitude (0, firstTenMs), 0.1f);
        EXPECT_LT (info->audio.getMagnitude (info->audio.getNumSamples() - firstTenMs, firstTenMs), 0.01f);

        const auto picture = juce::ImageFileFormat::loadFrom (png);
        ASSERT_TRUE (picture.isValid());
        EXPECT_GT (picture.getWidth(), 600);
        EXPECT_GT (picture.getHeight(), 200);
    }
    EXPECT_EQ (filesIn (output.get()).size(), 2) << "no temporary files stay behind";
}

// Without --length the file holds the whole kick (attack + hold + decay) and 50 ms more.
TEST (RenderTool, DefaultLengthIsTheKickPlusFiftyMilliseconds)
{
    const ScopedTestFolder output ("render-length");
    const auto wav = output.get().getChildFile ("rumble.wav");
    ASSERT_EQ (render ({ "Techno/Rumble", "-o", wav.getFullPathName() }).exitCode, 0);

    const auto preset = factory.getChildFile ("Presets/main/Techno/Rumble.preset");
    const auto bodyMs =
        presetValue (preset, "body_attack") + presetValue (preset, "body_hold") + presetValue (preset, "body_decay");
    const auto info = readWav (wav);
    ASSERT_TRUE (info.has_value());
    EXPECT_NEAR (info->audio.getNumSamples(), (bodyMs + 50.0) * 48.0, 2.0);
}

TEST (RenderTool, PresetNamesAreLookedUpInTheUserFolderFirst)
{
    const ScopedTestFolder output ("render-user");
    const auto factoryWav = output.get().getChildFile ("factory.wav");
    ASSERT_EQ (render ({ "Default", "-o", factoryWav.getFullPathName(), "--length", "0.3" }).exitCode, 0);

    // The same preset at a quarter of the master level, saved as the user's "Default".
    const auto userDefault = getUserDataFolder().getChildFile ("Presets/main/Default.preset");
    ASSERT_TRUE (userDefault.getParentDirectory().createDirectory().wasOk());
    const auto factoryDefault = factory.getChildFile ("Presets/main/Default.preset");
    const auto level = presetValue (factoryDefault, "master_level");
    ASSERT_TRUE (userDefault.replaceWithText (factoryDefault.loadFileAsString().replace (
        "master_level=\"" + juce::String (level) + "\"", "master_level=\"" + juce::String (level / 4.0f) + "\"")));

    const auto userWav = output.get().getChildFile ("user.wav");
    const auto run = render ({ "Default", "-o", userWav.getFullPathName(), "--length", "0.3" });
    userDefault.deleteFile();
    ASSERT_EQ (run.exitCode, 0) << run.output;

    const auto fromFactory = readWav (factoryWav), fromUser = readWav (userWav);
    ASSERT_TRUE (fromFactory.has_value() && fromUser.has_value());
    const auto ratio = fromUser->audio.getMagnitude (0, fromUser->audio.getNumSamples())
                       / fromFactory->audio.getMagnitude (0, fromFactory->audio.getNumSamples());
    EXPECT_NEAR (ratio, 0.25f, 0.01f);
}

// A bank replaces the sample and settings of its layer: the kick changes, and a bank named
// and the same bank given by path are the same.
TEST (RenderTool, AttackBanksChangeTheirLayer)
{
    const ScopedTestFolder output ("render-banks");
    const auto renderWith = [&output] (const juce::StringArray& arguments, const char* name)
    {
        const auto wav = output.get().getChildFile (name);
        auto all = arguments;
        all.addArray ({ "-o", wav.getFullPathName(), "--length", "0.3" });
        const auto run = render (all);
        EXPECT_EQ (run.exitCode, 0) << run.output;
        return readWav (wav);
    };
    const auto difference = [] (const WavInfo& a, const WavInfo& b)
    {
        auto copy = a.audio;
        copy.addFrom (0, 0, b.audio, 0, 0, copy.getNumSamples(), -1.0f);
        return copy.getMagnitude (0, 0, copy.getNumSamples());
    };

    const auto snaps = factory.getChildFile ("Presets/attack/Snaps.preset").getFullPathName();
    const auto plain = renderWith ({ "Default" }, "plain.wav");
    const auto layer1 = renderWith ({ "Default", "--attack1", "Snaps" }, "layer1.wav");
    const auto byPath = renderWith ({ "Default", "--attack1", snaps }, "path.wav");
    // A preset that plays its second layer.
    const auto twoLayers = renderWith ({ "House/Classic Four" }, "two.wav");
    const auto layer2 = renderWith ({ "House/Classic Four", "--attack2", "Snaps" }, "layer2.wav");
    ASSERT_TRUE (plain && layer1 && byPath && twoLayers && layer2);

    EXPECT_GT (difference (*plain, *layer1), 0.01f);
    EXPECT_EQ (difference (*layer1, *byPath), 0.0f);
    EXPECT_GT (difference (*twoLayers, *layer2), 0.01f);
}

// Every failure: a non-zero exit, exactly one line on standard error that names the
// problem, and no file (not even a temporary one) in the output folder.
TEST (RenderTool, FailuresExitWithOneLineAndWriteNothing)
{
    const ScopedTestFolder output ("render-failures");
    const ScopedTestFolder inputs ("render-inputs");
    const auto damaged = inputs.get().getChildFile ("Damaged.preset");
    damaged.replaceWithText ("<VELLMARK><float body_start=\"300\"</VELLMARK>");
    const auto foreign = inputs.get().getChildFile ("Foreign.preset");
    foreign.replaceWithText ("<?xml version=\"1.0\"?><SOMETHING><float body_start=\"300\"/></SOMETHING>");
    const auto folder = inputs.get().getChildFile ("Folder.preset");
    folder.createDirectory();

    const auto wav = output.get().getChildFile ("kick.wav").getFullPathName();
    const auto png = output.get().getChildFile ("kick.png").getFullPathName();
    struct Case
    {
        juce::StringArray arguments;
        juce::String named;
    };
    const Case cases[] = {
        { { "No Such Preset", "-o", wav }, "No Such Preset" },
        { { inputs.get().getChildFile ("Missing.preset").getFullPathName(), "-o", wav }, "Missing.preset" },
        { { damaged.getFullPathName(), "-o", wav }, "Damaged.preset" },
        { { foreign.getFullPathName(), "-o", wav }, "Foreign.preset" },
        { { folder.getFullPathName(), "-o", wav }, "Folder.preset" },
        { { "Default", "--attack1", "No Such Bank", "-o", wav }, "No Such Bank" },
        { { "Default", "--attack2", damaged.getFullPathName(), "-o", wav }, "Damaged.preset" },
        { { "Default", "-o", output.get().getChildFile ("missing/kick.wav").getFullPathName() }, "missing" },
        { { "Default", "-o", wav, "--png", output.get().getChildFile ("missing/kick.png").getFullPathName() },
          "missing" },
        { { "Default", "-o", output.get().getFullPathName() }, output.get().getFileName() },
        // A folder nobody may create files in, whatever their privileges.
        { { "Default", "-o", "/proc/kick.wav" }, "/proc/kick.wav" },
        { { "Default", "-o", wav, "--bits", "12" }, "--bits" },
        { { "Default", "-o", wav, "--loud" }, "--loud" },
        { { "Default", "-o", wav, "--png", png, "--velocity", "200" }, "--velocity" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.arguments.joinIntoString (" ").toStdString());
        const auto run = render (c.arguments);
        ASSERT_TRUE (run.finished);
        EXPECT_NE (run.exitCode, 0);
        const auto lines = nonEmptyLines (run.output);
        ASSERT_EQ (lines.size(), 1) << run.output;
        EXPECT_TRUE (lines[0].contains (c.named)) << lines[0];
        EXPECT_EQ (filesIn (output.get()).size(), 0);
    }
}

TEST (RenderTool, ReadOnlyOutputFolderIsRefused)
{
    const ScopedTestFolder output ("render-readonly");
    ASSERT_TRUE (output.get().setReadOnly (true));
    if (output.get().hasWriteAccess())
        GTEST_SKIP() << "running with privileges that ignore permissions";

    const auto run = render ({ "Default", "-o", output.get().getChildFile ("kick.wav").getFullPathName() });
    output.get().setReadOnly (false);
    EXPECT_NE (run.exitCode, 0);
    EXPECT_EQ (nonEmptyLines (run.output).size(), 1) << run.output;
    EXPECT_EQ (filesIn (output.get()).size(), 0);
}

// A batch keeps the folder structure, goes on after a failure, reports it and sums up.
TEST (RenderTool, BatchRendersAFolderTreeAndSumsUp)
{
    const ScopedTestFolder presets ("batch-presets");
    const ScopedTestFolder output ("batch-output");
    const auto mainFactory = factory.getChildFile ("Presets/main");
    ASSERT_TRUE (
        mainFactory.getChildFile ("Default.preset").copyFileTo (presets.get().getChildFile ("Default.preset")));
    ASSERT_TRUE (presets.get().getChildFile ("Techno").createDirectory().wasOk());
    ASSERT_TRUE (mainFactory.getChildFile ("Techno/Rumble.preset")
                     .copyFileTo (presets.get().getChildFile ("Techno/Rumble.preset")));
    presets.get().getChildFile ("Techno/Broken.preset").replaceWithText ("not xml at all");

    const auto run = render ({ "--batch", presets.get().getFullPathName(), "-o", output.get().getFullPathName() },
                             juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (run.output.contains ("Broken.preset")) << run.output;
    EXPECT_TRUE (run.output.contains ("rendered 2 of 3")) << run.output;
    EXPECT_TRUE (run.output.contains ("1 failed")) << run.output;
    EXPECT_FALSE (run.output.contains ("[")) << "no progress bar without a terminal";

    EXPECT_TRUE (readWav (output.get().getChildFile ("Default.wav")).has_value());
    EXPECT_TRUE (readWav (output.get().getChildFile ("Techno/Rumble.wav")).has_value());
    EXPECT_FALSE (output.get().getChildFile ("Techno/Broken.wav").exists());
}
