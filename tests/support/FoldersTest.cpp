#include "support/Folders.h"

#include "common/TestEnvironment.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace
{
juce::File home() { return juce::File::getSpecialLocation (juce::File::userHomeDirectory); }
} // namespace

TEST (Folders, UserDataAndSettingsFollowTheXdgVariables)
{
    const ScopedTestFolder custom ("xdg");
    struct Case
    {
        const char* description;
        std::optional<juce::String> value;
        juce::File expectedBase; // for both variables
    };
    const Case cases[] = {
        { "set", custom.get().getFullPathName(), custom.get() },
        { "unset", std::nullopt, {} },
        { "relative", juce::String ("relative/folder"), {} },
        { "empty", juce::String(), {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);
        const ScopedEnvironment data ("XDG_DATA_HOME", c.value);
        const ScopedEnvironment config ("XDG_CONFIG_HOME", c.value);
        const auto dataBase = c.expectedBase == juce::File() ? home().getChildFile (".local/share") : c.expectedBase;
        const auto configBase = c.expectedBase == juce::File() ? home().getChildFile (".config") : c.expectedBase;

        const auto folder = getUserDataFolder();
        EXPECT_EQ (folder, dataBase.getChildFile ("Vellmark/Thudmor"));
        EXPECT_TRUE (folder.isDirectory());
        EXPECT_EQ (getSettingsFile(), configBase.getChildFile ("Vellmark/Thud Mor.settings"));
    }
}

TEST (Folders, FactoryFolderOverrideAndInstalledLocation)
{
    const ScopedTestFolder factory ("factory");
    setFactoryFolderOverride (factory.get());
    EXPECT_EQ (getFactoryFolder(), factory.get());

    setFactoryFolderOverride ({});
    const juce::File local ("/usr/local/share/Vellmark/Thudmor");
    EXPECT_EQ (getFactoryFolder(), local.isDirectory() ? local : juce::File ("/usr/share/Vellmark/Thudmor"));
}

TEST (Folders, ExpandFactoryDirReplacesEveryOccurrenceInEveryAttribute)
{
    const ScopedTestFolder factory ("factory");
    setFactoryFolderOverride (factory.get());
    const auto root = factory.get().getFullPathName();

    auto xml = juce::parseXML (R"(<VELLMARK a="$FACTORY_DIR/Presets/main/x.preset" b="plain">
                                    <data><attack_file><file name="$FACTORY_DIR/Samples/k.wav"
                                        backup_name="k.wav" both="$FACTORY_DIR|$FACTORY_DIR"/>$FACTORY_DIR</attack_file></data>
                                  </VELLMARK>)");
    ASSERT_NE (xml, nullptr);
    expandFactoryDir (*xml);
    setFactoryFolderOverride ({});

    EXPECT_EQ (xml->getStringAttribute ("a"), root + "/Presets/main/x.preset");
    EXPECT_EQ (xml->getAttributeName (0), "a");
    EXPECT_EQ (xml->getAttributeName (1), "b");
    EXPECT_EQ (xml->getStringAttribute ("b"), "plain");

    const auto* file = xml->getChildByName ("data")->getChildByName ("attack_file")->getChildByName ("file");
    EXPECT_EQ (file->getStringAttribute ("name"), root + "/Samples/k.wav");
    EXPECT_EQ (file->getStringAttribute ("backup_name"), "k.wav");
    EXPECT_EQ (file->getStringAttribute ("both"), root + "|" + root);
    EXPECT_EQ (file->getAttributeName (2), "both");
    // Only attribute values are expanded, never text.
    EXPECT_EQ (xml->getChildByName ("data")->getChildByName ("attack_file")->getAllSubText(), "$FACTORY_DIR");
}

TEST (Folders, ResolveSamplePath)
{
    const ScopedTestFolder folder ("samples");
    const auto existing = folder.get().getChildFile ("kick.wav");
    existing.replaceWithText ("x");
    home().getChildFile ("home kick.wav").replaceWithText ("x");
    const auto missing = folder.get().getChildFile ("gone.wav").getFullPathName();
    const auto data = getUserDataFolder();

    struct Case
    {
        juce::String path, backup;
        juce::File expected;
    };
    const Case cases[] = {
        { "C:\\Samples\\kick.wav", "kick.wav", {} },
        { "Samples/kick.wav", "kick.wav", {} },
        { "", "kick.wav", {} },
        { existing.getFullPathName(), "other.wav", existing },
        { "~/home kick.wav", "other.wav", home().getChildFile ("home kick.wav") },
        { missing, "backup.wav", data.getChildFile ("backup.wav") },
        { missing, "Sub Folder/backup.wav", data.getChildFile ("Sub Folder/backup.wav") },
        { missing, "", data },
        { missing, "/elsewhere/backup.wav", juce::File ("/elsewhere/backup.wav") },
        { folder.get().getFullPathName(), "backup.wav", data.getChildFile ("backup.wav") }, // a folder is no sample
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ((c.path + " | " + c.backup).toStdString());
        EXPECT_EQ (resolveSamplePath (c.path, c.backup), c.expected);
    }
    home().getChildFile ("home kick.wav").deleteFile();
}
