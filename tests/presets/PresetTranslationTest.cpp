#include "PresetTestRig.h"

#include "engine/AudioSampleFile.h"
#include "presets/PresetFile.h"

#include <gtest/gtest.h>

namespace
{
std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
{
    auto xml = juce::parseXML (text);
    if (xml == nullptr)
        ADD_FAILURE() << "fixture does not parse: " << text;
    return xml;
}

int embeddedFrames (const juce::XmlElement& entry)
{
    const auto* data = entry.getChildByName ("data");
    AudioSampleFile sample;
    if (data == nullptr || ! sample.loadEmbedded (data->getAllSubText(), "embedded file"))
        return -1;
    return sample.getAudio().getNumSamples();
}

juce::String document (const juce::String& info, const juce::String& entry)
{
    return "<VELLMARK><float body_decay=\"1\"/><data>" + entry + "</data>" + info + "</VELLMARK>";
}
} // namespace

TEST (PresetTranslation, RewritesOldKeysOnlyWhereTheVersionCallsForIt)
{
    struct Case
    {
        const char* what;
        const char* input;
        const char* expected;
    };
    const Case cases[]{
        { "no info: untouched", R"(<VELLMARK><float attack_attack="1" tweaks_drive="3"/></VELLMARK>)",
          R"(<VELLMARK><float attack_attack="1" tweaks_drive="3"/></VELLMARK>)" },
        { "mode 2: enables only",
          R"(<VELLMARK><float attack_attack="1" tweaks_drive="3"/><info compatibilitymode="2"/></VELLMARK>)",
          R"(<VELLMARK><float tweaks_drive="3" attackoverlay_enable1="1" attackoverlay_enable2="0"/><info compatibilitymode="2"/></VELLMARK>)" },
        { "no mode: beta drive too", R"(<VELLMARK><float attack_attack="1" tweaks_drive="3"/><info/></VELLMARK>)",
          R"(<VELLMARK><float waveform_drive="3" attackoverlay_enable1="1" attackoverlay_enable2="0"/><info/></VELLMARK>)" },
        { "mode 1: beta drive", R"(<VELLMARK><Parameters tweaks_drive="0.5"/><INFO compatibilitymode="1"/></VELLMARK>)",
          R"(<VELLMARK><Parameters waveform_drive="0.5"/><INFO compatibilitymode="1"/></VELLMARK>)" },
        { "both drive keys stay", R"(<VELLMARK><FLOAT tweaks_drive="3" waveform_drive="7"/><info/></VELLMARK>)",
          R"(<VELLMARK><FLOAT tweaks_drive="3" waveform_drive="7"/><info/></VELLMARK>)" },
        { "mode 0 skips beta",
          R"(<VELLMARK><float tweaks_drive="3" attack_attack="0"/><info compatibilitymode="0"/></VELLMARK>)",
          R"(<VELLMARK><float tweaks_drive="3" attackoverlay_enable1="0" attackoverlay_enable2="0"/><info compatibilitymode="0"/></VELLMARK>)" },
        { "names are case-sensitive", R"(<VELLMARK><float Attack_Attack="1" TWEAKS_DRIVE="3"/><info/></VELLMARK>)",
          R"(<VELLMARK><float Attack_Attack="1" TWEAKS_DRIVE="3"/><info/></VELLMARK>)" },
    };

    PresetTranslatorThudmor translator;
    for (const auto& c : cases)
    {
        const auto input = parse (c.input);
        const auto expected = parse (c.expected);
        translator.translate (*input);
        EXPECT_TRUE (input->isEquivalentTo (expected.get(), true))
            << c.what << ": " << input->toString (juce::XmlElement::TextFormat().singleLine());

        const auto once = std::make_unique<juce::XmlElement> (*input);
        translator.translate (*input);
        EXPECT_TRUE (input->isEquivalentTo (once.get(), false)) << c.what << " changed when translated again";
    }
}

TEST (PresetTranslation, ImportsLegacySampleFilesPreferringTheBackup)
{
    PresetTestRig rig;
    const ScopedTestFolder samples;
    const auto original = writeTestWav (samples.get().getChildFile ("Original.wav"), 64);
    writeTestWav (getUserDataFolder().getChildFile ("Backups/Saved Copy.wav"), 32);
    writeTestWav (rig.factory.get().getChildFile ("Samples/Factory Snap.wav"), 48);
    const auto garbage = writeTextFile (samples.get().getChildFile ("Garbage.wav"), "RIFF but nothing more");

    struct Case
    {
        const char* what;
        juce::String name;
        juce::String backup;
        int frames; // -1: the entry stays as it was
    };
    const Case cases[]{
        { "backup wins over a valid name", original.getFullPathName(), "Backups/Saved Copy.wav", 32 },
        { "name when the backup is missing", original.getFullPathName(), "Backups/Gone.wav", 64 },
        { "factory placeholder", "$FACTORY_DIR/Samples/Factory Snap.wav", "", 48 },
        { "missing file", samples.get().getChildFile ("Gone.wav").getFullPathName(), "", -1 },
        { "not audio", garbage.getFullPathName(), "Gone.wav", -1 },
        { "drive letter", "C:\\Samples\\Kick.wav", "Missing.wav", -1 },
    };

    for (const auto& c : cases)
    {
        const auto input = parse (document ("<info/>", "<attack_file><file name=\"" + c.name + "\" backup_name=\""
                                                           + c.backup + "\" backuponsave=\"1\"/></attack_file>"));
        const auto untouched = std::make_unique<juce::XmlElement> (*input);
        rig.log.mark();
        rig.translator.translate (*input);

        const auto* entry = input->getChildByName ("data")->getChildByName ("attack_file");
        if (c.frames < 0)
        {
            EXPECT_TRUE (input->isEquivalentTo (untouched.get(), false)) << c.what;
            continue;
        }

        EXPECT_EQ (embeddedFrames (*entry), c.frames) << c.what;
        const auto* fileChild = entry->getChildByName ("file");
        EXPECT_EQ (fileChild->getStringAttribute ("name"), c.name) << c.what;
        EXPECT_FALSE (fileChild->hasAttribute ("backup_name")) << c.what;
        EXPECT_FALSE (fileChild->hasAttribute ("backuponsave")) << c.what;
        EXPECT_FALSE (rig.log.containsStart ("importLegacyAttackFileFormat", "DEBUG", "path not compatible"));
    }

    EXPECT_TRUE (rig.log.contains ("importLegacyAttackFileFormat", "DEBUG",
                                   "path not compatible with platform C:\\Samples\\Kick.wav"));
}

TEST (PresetTranslation, ImportsTheOldestAttributeFormOnlyFromAReadableFile)
{
    PresetTestRig rig;
    writeTestWav (rig.factory.get().getChildFile ("Samples/Tick.wav"), 40);
    const auto expanded = rig.factory.get().getChildFile ("Samples/Tick.wav").getFullPathName();

    const auto input = parse (document (
        "<info/>", R"(<attack_file file="$FACTORY_DIR/Samples/Tick.wav" backup_file="Tick.wav" extra="1"/>)"));
    rig.translator.translate (*input);
    const auto* entry = input->getChildByName ("data")->getChildByName ("attack_file");
    EXPECT_EQ (entry->getNumAttributes(), 0);
    ASSERT_EQ (entry->getNumChildElements(), 2);
    EXPECT_EQ (entry->getChildElement (0)->getTagName(), "file");
    EXPECT_EQ (entry->getChildElement (0)->getStringAttribute ("name"), expanded);
    EXPECT_EQ (embeddedFrames (*entry), 40);

    for (const auto* path : { "$FACTORY_DIR/Samples/None.wav", "$FACTORY_DIR/Samples", "D:\\Tick.wav", "" })
    {
        const auto old = parse (document ("<info/>", "<attack_file file=\"" + juce::String (path) + "\"/>"));
        const auto untouched = std::make_unique<juce::XmlElement> (*old);
        rig.translator.translate (*old);
        EXPECT_TRUE (old->isEquivalentTo (untouched.get(), false)) << path;
    }
}

TEST (PresetTranslation, LeavesEmbeddedSecondLayerAndCurrentVersionSamplesAlone)
{
    PresetTestRig rig;
    const ScopedTestFolder samples;
    const auto wav = writeTestWav (samples.get().getChildFile ("Real.wav"), 64).getFullPathName();
    const auto fileChild = "<file name=\"" + wav + "\"/>";

    for (const auto& text : {
             document ("<info/>", "<attack_file>" + fileChild + "<DATA>4.AAAAAA</DATA></attack_file>"),
             document ("<info/>", "<attack2_file>" + fileChild + "</attack2_file>"),
             document ("<info compatibilitymode=\"2\"/>", "<attack_file>" + fileChild + "</attack_file>"),
         })
    {
        const auto input = parse (text);
        const auto untouched = std::make_unique<juce::XmlElement> (*input);
        rig.translator.translate (*input);
        EXPECT_TRUE (input->isEquivalentTo (untouched.get(), false)) << text;
    }
}

TEST (PresetTranslation, BetaPresetFixtureLoadsWithItsSampleEmbedded)
{
    PresetTestRig rig;
    const auto fixture = juce::File (THUDMOR_TEST_DATA_DIR).getChildFile ("presets/BetaDrive.preset");
    const auto target = juce::File (rig.mainUser->getRoot()).getChildFile ("BetaDrive.preset");
    ASSERT_TRUE (fixture.copyFileTo (target));
    writeTestWav (rig.factory.get().getChildFile ("Samples/Beta Click.wav"), 50);

    ASSERT_TRUE (rig.mainUser->loadByName ("BetaDrive"));
    EXPECT_FLOAT_EQ (rig.value ("waveform_drive"), 2.5f);
    EXPECT_FLOAT_EQ (rig.value ("body_decay"), 420.0f);
    EXPECT_FLOAT_EQ (rig.value ("attackoverlay_enable1"), 1.0f);
    EXPECT_FLOAT_EQ (rig.value ("attackoverlay_enable2"), 0.0f);
    EXPECT_EQ (rig.dataText ("preset_name_all"), "BetaDrive");
    EXPECT_EQ (rig.parameters.getCompatibilityMode(), 2) << "a preset never changes the mode";

    const auto entry = rig.parameters.getNonParameterDataCopy ("attack_file");
    ASSERT_NE (entry, nullptr);
    EXPECT_EQ (embeddedFrames (*entry), 50);
    const auto* fileChild = entry->getChildByName ("file");
    EXPECT_EQ (fileChild->getStringAttribute ("name"), rig.factory.get().getFullPathName() + "/Samples/Beta Click.wav");
    EXPECT_FALSE (fileChild->hasAttribute ("backup_name"));

    // With the user's saved copy present, that copy is what the preset gets.
    writeTestWav (getUserDataFolder().getChildFile ("Beta Click Backup.wav"), 20);
    ASSERT_TRUE (rig.mainUser->loadByName ("BetaDrive"));
    EXPECT_EQ (embeddedFrames (*rig.parameters.getNonParameterDataCopy ("attack_file")), 20);
}

TEST (PresetTranslation, PreSecondLayerFixtureGetsBothEnablesAndKeepsItsForeignPath)
{
    PresetTestRig rig;
    const auto fixture = juce::File (THUDMOR_TEST_DATA_DIR).getChildFile ("presets/PreSecondLayer.preset");

    PresetFile preset (&rig.translator);
    ASSERT_TRUE (preset.read (fixture.getFullPathName()));
    EXPECT_TRUE (rig.log.contains ("importLegacyAttackFileFormat", "DEBUG",
                                   "path not compatible with platform C:\\Program Files\\Vellmark\\Samples\\Snap.wav"));

    rig.setValue ("attackoverlay_enable2", 1.0f);
    rig.setValue ("tweaks_attackpitch", 5.0f);
    ASSERT_TRUE (rig.mainUser->load (fixture.getFullPathName()));
    EXPECT_FLOAT_EQ (rig.value ("attackoverlay_enable1"), 1.0f);
    EXPECT_FLOAT_EQ (rig.value ("attackoverlay_enable2"), 0.0f);
    EXPECT_FLOAT_EQ (rig.value ("waveform_drive"), 4.0f) << "the newer key wins over the beta one";
    EXPECT_FLOAT_EQ (rig.value ("tweaks_attackpitch"), -3.0f);
    EXPECT_EQ (rig.dataText ("preset_name_all"), "PreSecondLayer");

    const auto entry = rig.parameters.getNonParameterDataCopy ("attack_file");
    ASSERT_NE (entry, nullptr);
    EXPECT_EQ (entry->getChildByName ("data"), nullptr);
    EXPECT_EQ (entry->getChildByName ("file")->getStringAttribute ("backup_name"), "Snap.wav");
}
