#include "PresetTestRig.h"

#include "presets/PresetFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace
{
juce::StringArray attributeNames (const juce::XmlElement* element)
{
    juce::StringArray names;
    if (element != nullptr)
        for (int i = 0; i < element->getNumAttributes(); ++i)
            names.add (element->getAttributeName (i));
    return names;
}

juce::StringArray childTags (const juce::XmlElement* element)
{
    juce::StringArray tags;
    if (element != nullptr)
        for (const auto* child : element->getChildIterator())
            tags.add (child->getTagName());
    return tags;
}

std::unique_ptr<juce::XmlElement> parseFile (const juce::File& file) { return juce::parseXML (file); }

const juce::String invalidName =
    "Invalid characters in preset name, or no name at all.  Stick to letters, numbers, spaces and dash.";
} // namespace

TEST (PresetStoreSave, AcceptsOnlyPlainNamesAfterTheLastSlash)
{
    PresetTestRig rig;
    const auto root = juce::File (rig.mainUser->getRoot());
    root.getChildFile ("Drums.preset").createDirectory();
    root.getChildFile (juce::String::fromUTF8 ("\xc3\x9c"
                                               "ber: alles"))
        .createDirectory();

    struct Case
    {
        juce::String name;
        bool valid;
    };
    const Case cases[]{
        { "Kick 1", true },
        { "Deep-Boom_2 ABCxyz", true },
        { "Drums.preset/Tight", true },
        { juce::String::fromUTF8 ("\xc3\x9c"
                                  "ber: alles/Fat"),
          true },
        { "", false },
        { "Bad:Name", false },
        { "Kick.1", false },
        { juce::String::fromUTF8 ("K\xc3\xad"
                                  "ck"),
          false },
        { "Tab\there", false },
        { "Drums.preset/", false },
        { "Drums.preset/Wide!", false },
    };

    for (const auto& c : cases)
    {
        const auto saved = rig.mainUser->saveCurrentPreset (c.name);
        const auto [hasError, text] = rig.mainUser->takeError();
        EXPECT_EQ (saved, c.valid) << c.name;
        EXPECT_EQ (hasError, ! c.valid) << c.name;
        if (c.valid)
            EXPECT_TRUE (root.getChildFile (c.name + ".preset").existsAsFile()) << c.name;
        else
            EXPECT_EQ (text, invalidName) << c.name;
    }

    EXPECT_EQ (rig.mainUser->takeError(), std::make_pair (false, juce::String()));
    EXPECT_EQ (root.getNumberOfChildFiles (juce::File::findFiles, "*.preset"), 2) << "invalid names wrote nothing";
}

TEST (PresetStoreSave, SubFoldersMustExistAndAbsoluteNamesAreUsedAsGiven)
{
    PresetTestRig rig;
    const auto root = juce::File (rig.mainUser->getRoot());
    root.getChildFile ("Club").createDirectory();

    EXPECT_TRUE (rig.mainUser->saveCurrentPreset ("Club/Thumper"));
    EXPECT_TRUE (root.getChildFile ("Club/Thumper.preset").existsAsFile());

    const auto missing = root.getChildFile ("Nowhere/Thumper.preset").getFullPathName();
    EXPECT_FALSE (rig.mainUser->saveCurrentPreset ("Nowhere/Thumper"));
    EXPECT_EQ (rig.mainUser->takeError().second, "Cannot write to " + missing + ".  Check permissions?");
    EXPECT_FALSE (root.getChildFile ("Nowhere").exists());

    // A preset sub-folder carries the preset extension; saving over it must not touch it.
    root.getChildFile ("Packs.preset/Inside.preset").create();
    const auto folderPath = root.getChildFile ("Packs.preset").getFullPathName();
    EXPECT_FALSE (rig.mainUser->saveCurrentPreset ("Packs"));
    EXPECT_EQ (rig.mainUser->takeError().second, "Cannot write to " + folderPath + ".  Check permissions?");
    EXPECT_TRUE (root.getChildFile ("Packs.preset/Inside.preset").existsAsFile());

    const ScopedTestFolder elsewhere;
    EXPECT_TRUE (rig.mainUser->saveCurrentPreset (elsewhere.get().getChildFile ("Moved").getFullPathName()));
    EXPECT_TRUE (elsewhere.get().getChildFile ("Moved.preset").existsAsFile());
    EXPECT_TRUE (rig.log.contains ("write", "DEBUG",
                                   "about to write to : " + elsewhere.get().getFullPathName() + "/Moved.preset"));
}

TEST (PresetStoreSave, FactoryStoresRefuseToWrite)
{
    PresetTestRig rig;
    for (auto* store : { rig.mainFactory.get(), rig.attackFactory.get() })
    {
        EXPECT_FALSE (store->saveCurrentPreset ("Mine"));
        EXPECT_EQ (store->takeError().second, "You can't save to the factory presets folder.  Select the user "
                                              "presets, and optionally a subfolder to save.");
    }
    EXPECT_FALSE (rig.factoryPresets().exists());
}

TEST (PresetStoreSave, MainPresetHoldsEverySavableKeyButNotTheSessionSwitches)
{
    PresetTestRig rig;
    rig.setValue ("body_decay", 123.456f);
    rig.setValue ("master_oneshot", 1.0f);
    rig.setDataText ("preset_name_all", "Old");
    rig.setDataText ("unrelated_entry", "not a key");
    rig.translator.applyCompatibilityMode (1, rig.parameters);
    rig.parameters.setCompatibilityMode (1);

    ASSERT_TRUE (rig.mainUser->saveCurrentPreset ("Full"));
    const auto saved = parseFile (juce::File (rig.mainUser->getRoot()).getChildFile ("Full.preset"));
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (childTags (saved.get()), juce::StringArray ("float", "data", "info"));

    juce::StringArray expected;
    for (const auto key : Param::keys)
        if (key != "body_splitattack" && key != "master_oneshot" && key != "master_autoplay")
            expected.add (juce::String (key.data(), key.size()));
    const auto* floats = saved->getChildByName ("float");
    EXPECT_EQ (attributeNames (floats), expected);
    EXPECT_EQ (floats->getStringAttribute ("body_decay"), "123.456");

    EXPECT_EQ (childTags (saved->getChildByName ("data")), juce::StringArray ("preset_name_all"));
    const auto* info = saved->getChildByName ("info");
    EXPECT_EQ (info->getStringAttribute ("version"), "1.9.7");
    EXPECT_EQ (info->getStringAttribute ("compatibilitymode"), "1");
    EXPECT_EQ (info->getStringAttribute ("plugin"), "Thud Mor");

    // Loading it leaves the session switches as they are, and never the mode.
    rig.setValue ("body_decay", 50.0f);
    rig.setValue ("master_oneshot", 0.5f);
    rig.parameters.setCompatibilityMode (2);
    ASSERT_TRUE (rig.mainUser->loadByName ("Full"));
    EXPECT_FLOAT_EQ (rig.value ("body_decay"), 123.456f);
    EXPECT_FLOAT_EQ (rig.value ("master_oneshot"), 0.5f);
    EXPECT_EQ (rig.parameters.getCompatibilityMode(), 2);
}

TEST (PresetStoreSave, AttackBankHoldsOneLayerWithoutItsEnables)
{
    PresetTestRig rig;
    rig.attackUser->setPresetGroup ("attack");

    // Entries exist only when something set them.
    ASSERT_TRUE (rig.attackUser->saveCurrentPreset ("Empty"));
    const auto bare = parseFile (juce::File (rig.attackUser->getRoot()).getChildFile ("Empty.preset"));
    EXPECT_EQ (childTags (bare->getChildByName ("data")), juce::StringArray());

    for (const auto* key : { "attack_file", "attack2_file", "preset_name_attack", "preset_name_all" })
        rig.setDataText (key, key);

    ASSERT_TRUE (rig.attackUser->saveCurrentPreset ("Bank"));
    const auto saved = parseFile (juce::File (rig.attackUser->getRoot()).getChildFile ("Bank.preset"));
    ASSERT_NE (saved, nullptr);

    EXPECT_EQ (attributeNames (saved->getChildByName ("float")),
               juce::StringArray ("attack_solo", "attack_highpass", "attack_decay", "attack_gain",
                                  "tweaks_attack2pitch", "tweaks_attackpitch"));
    auto tags = childTags (saved->getChildByName ("data"));
    tags.sort (false);
    EXPECT_EQ (tags, juce::StringArray ("attack_file", "preset_name_attack"));

    // Without any source of key lists nothing but the info is saved.
    auto keyless = rig.makeStore ("attack", false);
    keyless->setGroupKeysSource (nullptr);
    ASSERT_TRUE (keyless->saveCurrentPreset ("NoKeys"));
    const auto nothing = parseFile (juce::File (keyless->getRoot()).getChildFile ("NoKeys.preset"));
    EXPECT_EQ (nothing->getChildByName ("float")->getNumAttributes(), 0);
    EXPECT_EQ (nothing->getChildByName ("data")->getNumChildElements(), 0);
}

TEST (PresetStoreSave, LogsTheDocumentWithLongLinesCut)
{
    PresetTestRig rig;
    rig.setDataText ("preset_name_all", juce::String::repeatedString ("x", 500));
    ASSERT_TRUE (rig.mainUser->saveCurrentPreset ("Logged"));

    juce::StringArray lines;
    for (const auto& entry : rig.log.entries())
        if (entry.function == "getCurrentPresetAsXmlCopy" && entry.level == "DEBUG")
            lines.add (entry.text.trim());

    EXPECT_TRUE (lines.contains ("<VELLMARK>"));
    EXPECT_TRUE (lines.contains ("</VELLMARK>"));
    const auto nameLine = lines.indexOf ("<preset_name_all>" + juce::String::repeatedString ("x", 179));
    EXPECT_GE (nameLine, 0) << lines.joinIntoString ("\n");
}

TEST (PresetStoreSave, ReadOnlyFolderFailsAndKeepsTheExistingFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";

    PresetTestRig rig;
    const auto root = juce::File (rig.mainUser->getRoot());
    const auto existing = writeTextFile (root.getChildFile ("Locked/Keep.preset"), "original");

    root.getChildFile ("Locked").setReadOnly (true);
    EXPECT_FALSE (rig.mainUser->saveCurrentPreset ("Locked/Keep"));
    root.getChildFile ("Locked").setReadOnly (false);

    EXPECT_EQ (rig.mainUser->takeError().second,
               "Cannot write to " + existing.getFullPathName() + ".  Check permissions?");
    EXPECT_EQ (readFileText (existing), "original");
}

TEST (PresetStoreSave, UserRootThatCannotBeCreatedIsReported)
{
    PresetTestRig rig;
    const ScopedTestFolder folder;
    const auto blocker = writeTextFile (folder.get().getChildFile ("blocker"), "a file where a folder should be");

    const juce::String previous = ::getenv ("XDG_DATA_HOME");
    ::setenv ("XDG_DATA_HOME", blocker.getChildFile ("data").getFullPathName().toRawUTF8(), 1);
    PresetStore store ("main", false, &rig.translator, nullptr);
    ::setenv ("XDG_DATA_HOME", previous.toRawUTF8(), 1);

    const auto root = blocker.getFullPathName() + "/data/Vellmark/Thudmor/Presets/main";
    EXPECT_EQ (store.getRoot(), root);

    const auto [hasError, text] = store.takeError();
    EXPECT_TRUE (hasError);
    EXPECT_TRUE (text.startsWith ("Creating folder failed: ")) << text;
    EXPECT_TRUE (text.endsWith ("(for " + root + ")...problem creating a file in the preset folder")) << text;
    EXPECT_FALSE (store.hasPendingError());

    store.setParameterStore (&rig.parameters);
    EXPECT_FALSE (store.saveCurrentPreset ("Anything"));
    EXPECT_EQ (store.takeError().second, "Cannot write to " + root + "/Anything.preset.  Check permissions?");
}
