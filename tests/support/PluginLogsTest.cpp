#include "support/PluginLogs.h"

#include "support/Folders.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <vector>

namespace
{
// time ":[" function "|" thread "] " message CR LF, the time as JUCE writes it
// (for example "12 Mar 2024 3:04:05pm").
const std::string timePattern = R"(\d{1,2} [A-Z][a-z]{2} \d{4} \d{1,2}:\d{2}:\d{2}[ap]m)";

class PluginLogsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        logFile().deleteFile();
        reset();
    }

    void TearDown() override
    {
        PluginLogs::setWarningPresenter (nullptr);
        logFile().deleteFile();
        reset();
    }

    static juce::File logFile() { return getUserDataFolder().getChildFile ("vellmark.log"); }

    // The enabled state is read once per instance: a fresh one sees the file as it is now.
    static void reset() { delete PluginLogs::getInstance(); }

    static PluginLogs& enabledLog()
    {
        logFile().create();
        reset();
        auto* logs = PluginLogs::getInstance();
        EXPECT_TRUE (logs != nullptr && logs->isEnabled());
        return *logs;
    }

    static std::string contents() { return logFile().loadFileAsString().toStdString(); }
};

} // namespace

TEST_F (PluginLogsTest, WritesNothingAndCreatesNoFileUnlessTheUserMadeIt)
{
    auto* logs = PluginLogs::getInstance();
    ASSERT_NE (logs, nullptr);
    EXPECT_FALSE (logs->isEnabled());

    logDebug ("loadDefaultPresets", "text");
    logs->write ("checkDupeTag", " ERROR: text");
    EXPECT_FALSE (logFile().exists());
}

TEST_F (PluginLogsTest, LinesFromTheCreatingThreadCarryItsIdAndTheLevel)
{
    auto& logs = enabledLog();
    logs.write ("checkDupeTag", " DEBUG: hello world");
    logError ("loadDefaultPresets", "no presets");

    const std::regex line ("(" + timePattern + R"():\[checkDupeTag\|(\d+)\]  DEBUG: hello world\r\n)" + timePattern
                           + R"(:\[loadDefaultPresets\|(\d+)\]  ERROR: no presets\r\n)");
    const auto text = contents();
    std::smatch match;
    ASSERT_TRUE (std::regex_match (text, match, line)) << text;
    EXPECT_EQ (match[2], match[3]);
}

TEST_F (PluginLogsTest, LinesFromOtherThreadsNameTheCreator)
{
    auto& logs = enabledLog();
    logs.write ("creator", " DEBUG: first");
    std::thread ([&logs] { logs.write ("worker", " DEBUG: second"); }).join();

    const std::regex lines (timePattern + R"(:\[creator\|(\d+)\]  DEBUG: first\r\n)" + timePattern
                            + R"(:\[worker\|(\d+) logging started on (\d+)\]  DEBUG: second\r\n)");
    const auto text = contents();
    std::smatch match;
    ASSERT_TRUE (std::regex_match (text, match, lines)) << text;
    EXPECT_EQ (match[3], match[1]);
    EXPECT_NE (match[2], match[1]);
}

TEST_F (PluginLogsTest, EveryLineFeedIsWrittenAsCrLf)
{
    enabledLog().write ("fn", " DEBUG: one\ntwo\r\nthree");
    const auto text = contents();
    EXPECT_TRUE (text.ends_with ("  DEBUG: one\r\ntwo\r\nthree\r\n")) << text;
    EXPECT_EQ (text.find ("\r\r"), std::string::npos);
}

TEST_F (PluginLogsTest, ConcurrentWritersNeverMixInsideALine)
{
    auto& logs = enabledLog();
    constexpr int threads = 4;
    constexpr int linesEach = 50;

    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back (
            [&logs, t]
            {
                for (int i = 0; i < linesEach; ++i)
                    logs.write ("writer" + juce::String (t), " DEBUG: line " + juce::String (i) + " of a longish text");
            });
    for (auto& writer : writers)
        writer.join();

    juce::StringArray lines;
    lines.addTokens (juce::String (contents()), "\n", {});
    lines.removeEmptyStrings();
    ASSERT_EQ (lines.size(), threads * linesEach);

    const std::regex line (timePattern
                           + R"(:\[writer\d\|\d+ logging started on \d+\]  DEBUG: line \d+ of a longish text\r)");
    for (const auto& l : lines)
        ASSERT_TRUE (std::regex_match (l.toStdString(), line)) << l;
}

TEST_F (PluginLogsTest, UnwritableFolderWarnsOnceAtCreationAndLogsNothing)
{
    // A data folder below a plain file can never be created, even for the superuser.
    const auto blocker =
        juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("blocker", "");
    blocker.replaceWithText ("x");
    const ScopedEnvironment data ("XDG_DATA_HOME", blocker.getChildFile ("share").getFullPathName());

    std::vector<std::pair<juce::String, juce::String>> warnings;
    bool nestedCallGotNull = false;
    PluginLogs::setWarningPresenter (
        [&] (const juce::String& title, const juce::String& text)
        {
            warnings.emplace_back (title, text);
            nestedCallGotNull = PluginLogs::getInstance() == nullptr; // logging from inside the construction
        });

    auto* logs = PluginLogs::getInstance(); // SetUp left no instance
    logDebug ("fn", "dropped");

    ASSERT_EQ (warnings.size(), 1u);
    EXPECT_EQ (warnings[0].first, "Warning");
    const auto path = blocker.getChildFile ("share/Vellmark/Thudmor/vellmark.log").getFullPathName();
    EXPECT_EQ (warnings[0].second, "No write access to " + path
                                       + ". You may want to check that this folder exists and the permissions are "
                                         "correct.  The plugin will need to write to this location to save presets.");
    EXPECT_TRUE (nestedCallGotNull);
    ASSERT_NE (logs, nullptr);
    EXPECT_FALSE (logs->isEnabled());
    EXPECT_EQ (logs->getPath(), path);
    blocker.deleteFile();
}
