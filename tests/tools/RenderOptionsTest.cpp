#include "thudmor-render/RenderOptions.h"

#include <gtest/gtest.h>

namespace
{
RenderOptions parseValid (const juce::StringArray& arguments)
{
    const auto parsed = parseRenderOptions (arguments);
    if (const auto* error = std::get_if<juce::String> (&parsed))
        ADD_FAILURE() << "rejected: " << *error;
    return std::holds_alternative<RenderOptions> (parsed) ? std::get<RenderOptions> (parsed) : RenderOptions{};
}
} // namespace

TEST (RenderOptions, DefaultsAndEveryOptionInBothSpellings)
{
    const auto plain = parseValid ({ "Techno/Rumble", "-o", "out.wav" });
    EXPECT_EQ (plain.preset, "Techno/Rumble");
    EXPECT_EQ (plain.output, juce::File::getCurrentWorkingDirectory().getChildFile ("out.wav"));
    EXPECT_EQ (plain.note, 36);
    EXPECT_EQ (plain.velocity, 127);
    EXPECT_EQ (plain.sampleRate, 48000);
    EXPECT_EQ (plain.bitsPerSample, 24);
    EXPECT_FALSE (plain.lengthSeconds.has_value());
    EXPECT_FALSE (plain.isBatch());

    for (const auto& arguments :
         { juce::StringArray{ "--attack1", "Clicks", "--attack2", "Snaps", "--note", "40", "--velocity", "90", "--rate",
                              "96000", "--bits", "32", "--length", "0.75", "--png", "k.png", "-o", "k.wav",
                              "x.preset" },
           juce::StringArray{ "--attack1=Clicks", "--attack2=Snaps", "--note=40", "--velocity=90", "--rate=96000",
                              "--bits=32", "--length=0.75", "--png=k.png", "--output=k.wav", "x.preset" } })
    {
        const auto options = parseValid (arguments);
        EXPECT_EQ (options.preset, "x.preset");
        EXPECT_EQ (options.attack1, "Clicks");
        EXPECT_EQ (options.attack2, "Snaps");
        EXPECT_EQ (options.note, 40);
        EXPECT_EQ (options.velocity, 90);
        EXPECT_EQ (options.sampleRate, 96000);
        EXPECT_EQ (options.bitsPerSample, 32);
        EXPECT_EQ (options.lengthSeconds.value_or (0.0), 0.75);
        EXPECT_EQ (options.picture.getFileName(), "k.png");
        EXPECT_EQ (options.output.getFileName(), "k.wav");
    }

    EXPECT_TRUE (parseValid ({ "--help" }).showHelp);
    const auto batch = parseValid ({ "--batch", ".", "-o", "renders" });
    EXPECT_TRUE (batch.isBatch());
}

// Each bad command line is refused with a line that names the culprit.
TEST (RenderOptions, BadCommandLinesNameTheProblem)
{
    struct Case
    {
        juce::StringArray arguments;
        const char* named;
    };
    const Case cases[] = {
        { { "Default" }, "-o" },
        { { "-o", "out.wav" }, "no preset" },
        { { "Default", "Other", "-o", "out.wav" }, "Other" },
        { { "Default", "-o" }, "-o" },
        { { "Default", "-o", "k.wav", "--frobnicate" }, "--frobnicate" },
        { { "Default", "-o", "k.wav", "--note", "128" }, "--note" },
        { { "Default", "-o", "k.wav", "--note", "3x" }, "3x" },
        { { "Default", "-o", "k.wav", "--velocity", "0" }, "--velocity" },
        { { "Default", "-o", "k.wav", "--velocity", "-5" }, "--velocity" },
        { { "Default", "-o", "k.wav", "--rate", "22050" }, "--rate" },
        { { "Default", "-o", "k.wav", "--bits", "8" }, "--bits" },
        { { "Default", "-o", "k.wav", "--length", "0" }, "--length" },
        { { "Default", "-o", "k.wav", "--length", "nan" }, "--length" },
        { { "Default", "-o", "k.wav", "--length", "1e9" }, "--length" },
        { { "Default", "-o", "k.wav", "--length=" }, "--length" },
        { { "Default", "-o", "k.wav", "--factory-dir", "/no/such/folder" }, "/no/such/folder" },
        { { "--batch", "/no/such/folder", "-o", "out" }, "/no/such/folder" },
        { { "--batch", ".", "Default", "-o", "out" }, "--batch" },
        { { "--batch", ".", "-o", "out", "--png", "p.png" }, "--png" },
    };

    for (const auto& c : cases)
    {
        const auto parsed = parseRenderOptions (c.arguments);
        const auto* error = std::get_if<juce::String> (&parsed);
        ASSERT_NE (error, nullptr) << c.arguments.joinIntoString (" ");
        EXPECT_TRUE (error->contains (c.named)) << c.arguments.joinIntoString (" ") << " -> " << *error;
        EXPECT_FALSE (error->containsAnyOf ("\r\n")) << *error;
    }
}

TEST (RenderOptions, HelpDescribesEveryOptionTheParserTakes)
{
    const auto help = getRenderHelpText();
    for (const auto* option : { "-o", "--output", "--attack1", "--attack2", "--note", "--velocity", "--rate", "--bits",
                                "--length", "--png", "--factory-dir", "--batch", "--help" })
    {
        EXPECT_TRUE (help.contains (option)) << option;
        // ...and the parser knows every option the help names.
        const auto parsed = parseRenderOptions ({ option });
        if (const auto* error = std::get_if<juce::String> (&parsed))
        {
            EXPECT_FALSE (error->startsWith ("unknown option")) << option;
        }
    }
}
