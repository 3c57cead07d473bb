#include "PresetTestRig.h"

#include "engine/AudioSampleFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
juce::File writePreset (const juce::String& root, const juce::String& name, const juce::String& text)
{
    return writeTextFile (juce::File (root).getChildFile (name + ".preset"), text);
}
} // namespace

TEST (PresetStoreLoad, RootTagIsMatchedIgnoringCaseAndThePresetIsNamedAfterItsFile)
{
    PresetTestRig rig;
    const auto file = writePreset (rig.mainUser->getRoot(), "Named", R"(<Vellmark>
  <float body_decay="321"/>
  <data><preset_name_all>Written Inside</preset_name_all></data>
  <info version="1.9.7" compatibilitymode="2" plugin="Thud Mor"/>
</Vellmark>)");

    ASSERT_TRUE (rig.mainUser->loadByName ("Named"));
    EXPECT_FALSE (rig.mainUser->takeError().first);
    EXPECT_FLOAT_EQ (rig.value ("body_decay"), 321.0f);
    EXPECT_EQ (rig.dataText ("preset_name_all"), "Named");
    EXPECT_EQ (rig.mainUser->getCurrentFile(), file.getFullPathName());
    EXPECT_EQ (rig.list.lastLoadedStore, rig.mainUser.get());
    EXPECT_TRUE (rig.log.contains ("load", "DEBUG", "PresetStore::load() Translator: Thudmor Version 1.2 translator"));

    // A main preset without a name entry takes the legacy default's.
    writePreset (rig.mainUser->getRoot(), "Nameless", "<VELLMARK><float/><info/></VELLMARK>");
    ASSERT_TRUE (rig.mainUser->loadByName ("Nameless"));
    EXPECT_EQ (rig.dataText ("preset_name_all"), "No Name");
}

TEST (PresetStoreLoad, ForeignRootAppliesNothingButTheLegacyDefaultOfMainPresets)
{
    PresetTestRig rig;
    const juce::String foreign = R"(<KickPreset>
  <float body_decay="77" body_mode="1" attack_gain="3"/>
  <data><preset_name_all>x</preset_name_all></data>
  <info version="1.9.7"/>
</KickPreset>)";
    writePreset (rig.mainUser->getRoot(), "Foreign", foreign);
    writePreset (rig.attackUser->getRoot(), "Foreign", foreign);

    const auto prepare = [&rig]
    {
        rig.setValue ("body_mode", 1.0f);
        rig.setValue ("waveform_phase", 1.0f);
        rig.setValue ("body_decay", 50.0f);
        rig.setDataText ("preset_name_all", "Before");
        rig.log.mark();
    };

    prepare();
    EXPECT_TRUE (rig.mainUser->loadByName ("Foreign"));
    EXPECT_FALSE (rig.mainUser->takeError().first);
    EXPECT_TRUE (rig.log.contains ("setStateInformationFromXml", "ERROR", "Invalid XML; VELLMARK tag not found"));
    EXPECT_FLOAT_EQ (rig.value ("body_decay"), 50.0f);
    EXPECT_FLOAT_EQ (rig.value ("body_mode"), 0.0f);
    EXPECT_FLOAT_EQ (rig.value ("waveform_phase"), 0.0f);
    EXPECT_EQ (rig.dataText ("preset_name_all"), "No Name");

    prepare();
    const auto before = rig.snapshot();
    rig.attackUser->setPresetGroup ("attack");
    EXPECT_TRUE (rig.attackUser->loadByName ("Foreign"));
    EXPECT_TRUE (rig.log.contains ("setStateInformationFromXml", "ERROR", "Invalid XML; VELLMARK tag not found"));
    EXPECT_EQ (rig.snapshot(), before);
    EXPECT_EQ (rig.dataText ("preset_name_all"), "Before");
    EXPECT_EQ (rig.list.lastLoadedStore, rig.mainUser.get()) << "attack stores do not claim the list";
}

TEST (PresetStoreLoad, FactoryPlaceholderIsExpandedInTheAppliedCopyOnly)
{
    PresetTestRig rig;
    const auto file = writePreset (rig.mainFactory->getRoot(), "Factory Kick", R"(<VELLMARK>
  <float body_decay="99"/>
  <data>
    <attack_file><file name="$FACTORY_DIR/Samples/Click.wav" note="$FACTORY_DIR and $FACTORY_DIR"/><data>4.AAAAAA</data></attack_file>
  </data>
  <info version="1.9.7" compatibilitymode="2"/>
</VELLMARK>)");
    const auto original = readFileText (file);

    ASSERT_TRUE (rig.mainFactory->loadByName ("Factory Kick"));
    EXPECT_EQ (rig.list.lastLoadedStore, rig.mainFactory.get());

    const auto entry = rig.parameters.getNonParameterDataCopy ("attack_file");
    ASSERT_NE (entry, nullptr);
    const auto factory = rig.factory.get().getFullPathName();
    const auto* fileChild = entry->getChildByName ("file");
    EXPECT_EQ (fileChild->getStringAttribute ("name"), factory + "/Samples/Click.wav");
    EXPECT_EQ (fileChild->getStringAttribute ("note"), factory + " and " + factory);
    EXPECT_EQ (entry->getChildByName ("data")->getAllSubText(), "4.AAAAAA");
    EXPECT_EQ (readFileText (file), original);
}

TEST (PresetStoreLoad, DefaultPresetComesFromTheUserThenTheFactoryThenTheDocument)
{
    struct Case
    {
        bool userDefault;
        bool factoryDefault;
        float expectedDecay; // 0: the document default
        const char* expectedLog;
    };
    const Case cases[]{
        { true, true, 111.0f, "** Using user default preset" },
        { false, true, 222.0f, nullptr },
        { false, false, 0.0f, nullptr },
    };

    for (const auto& c : cases)
    {
        PresetTestRig rig;
        if (c.userDefault)
            writePreset (rig.mainUser->getRoot(), "Default", "<VELLMARK><float body_decay=\"111\"/><info/></VELLMARK>");
        if (c.factoryDefault)
            writePreset (rig.mainFactory->getRoot(), "Default",
                         "<VELLMARK><float body_decay=\"222\"/><info/></VELLMARK>");
        for (auto* store : rig.list.stores)
            store->setParameterStore (nullptr);

        const auto documentDefault = rig.parameters.getDefault (Param::bodyDecay);
        loadDefaultPresets (rig.list, rig.parameters);

        EXPECT_FLOAT_EQ (rig.value ("body_decay"), c.expectedDecay > 0.0f ? c.expectedDecay : documentDefault);
        EXPECT_TRUE (rig.log.contains ("loadDefaultPresets", "DEBUG", "Loading Default Preset"));
        EXPECT_EQ (rig.log.contains ("loadDefaultPresets", "DEBUG", "** Using user default preset"),
                   c.expectedLog != nullptr);
        const auto missing = juce::File (rig.mainFactory->getRoot()).getChildFile ("Default.preset");
        EXPECT_EQ (rig.log.contains ("loadDefaultPresets", "ERROR",
                                     "!! No Default Preset Found: Cannot read file " + missing.getFullPathName()),
                   ! c.userDefault && ! c.factoryDefault);
        EXPECT_FALSE (rig.mainUser->hasPendingError());
        EXPECT_FALSE (rig.mainFactory->hasPendingError());
    }
}

TEST (PresetStoreLoad, UnreadableFilesChangeNothing)
{
    PresetTestRig rig;
    const auto root = juce::File (rig.mainUser->getRoot());
    const auto deep = juce::String::repeatedString ("<VELLMARK>", 20000);

    struct Case
    {
        juce::String name;
        juce::String text; // empty: no file at all
        juce::String errorStart;
    };
    const Case cases[]{
        { "Missing", {}, "Cannot read file " },
        { "Truncated", "<VELLMARK><float body_decay=\"1\"", "Invalid preset file " },
        { "Binary", juce::String::repeatedString ("\x01\x02PK", 50), "Invalid preset file " },
        { "Deep", deep, "Invalid preset file " },
    };

    rig.setDataText ("preset_name_all", "Kept");
    const auto before = rig.snapshot();
    for (const auto& c : cases)
    {
        const auto file = root.getChildFile (c.name + ".preset");
        if (c.text.isNotEmpty())
            writeTextFile (file, c.text);

        EXPECT_FALSE (rig.mainUser->loadByName (c.name));
        EXPECT_EQ (rig.mainUser->takeError(), std::make_pair (true, c.errorStart + file.getFullPathName()));
        EXPECT_EQ (rig.snapshot(), before) << c.name;
        EXPECT_EQ (rig.dataText ("preset_name_all"), "Kept");
        EXPECT_TRUE (rig.mainUser->getCurrentFile().isEmpty());
        EXPECT_EQ (rig.list.lastLoadedStore, nullptr);
    }
}

TEST (PresetStoreLoad, NonNumericAndHugeValuesAndDamagedSamplesLoadSafely)
{
    PresetTestRig rig;
    writePreset (rig.mainUser->getRoot(), "Damaged", R"(<VELLMARK>
  <float body_decay="abc" body_hold="1e999" attack_gain="3.4e38" master_level="nan" body_start="-inf"
         tweaks_punch="" body_end="12abc"/>
  <data>
    <attack_file><file name="/nowhere/x.wav"/><data>-5.ABCDEFGH</data></attack_file>
    <attack2_file><file name="/nowhere/y.wav"/><data>20.QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo</data></attack2_file>
  </data>
  <info version="1.9.7" compatibilitymode="2"/>
</VELLMARK>)");

    ASSERT_TRUE (rig.mainUser->loadByName ("Damaged"));

    for (int n = 0; n < Param::count; ++n)
        EXPECT_TRUE (std::isfinite (rig.parameters.getValue (n))) << rig.parameters.getKey (n);
    EXPECT_FLOAT_EQ (rig.value ("body_decay"), 0.0f);
    EXPECT_FLOAT_EQ (rig.value ("body_hold"), 0.0f);
    EXPECT_FLOAT_EQ (rig.value ("attack_gain"), 3.4e38f);
    EXPECT_FLOAT_EQ (rig.value ("master_level"), 0.0f);
    EXPECT_FLOAT_EQ (rig.value ("body_end"), 12.0f);

    // The entries arrive as written; the sample loader finds no audio in them.
    for (const auto* key : { "attack_file", "attack2_file" })
    {
        const auto entry = rig.parameters.getNonParameterDataCopy (key);
        ASSERT_NE (entry, nullptr);
        AudioSampleFile sample;
        EXPECT_FALSE (sample.loadEmbedded (entry->getChildByName ("data")->getAllSubText(), "embedded file")) << key;
        EXPECT_EQ (sample.getAudio().getNumSamples(), 0);
    }
}

TEST (PresetStoreLoad, WithoutTranslatorNeitherTranslatesNorAppliesLegacyDefaults)
{
    PresetTestRig rig;
    PresetStore plain ("main", false, nullptr, &rig.list);
    plain.setParameterStore (&rig.parameters);
    writePreset (plain.getRoot(), "Old", R"(<VELLMARK><float attack_attack="1" attackoverlay_enable1="0"/>
<info compatibilitymode="1"/></VELLMARK>)");

    rig.setValue ("body_mode", 1.0f);
    ASSERT_TRUE (plain.loadByName ("Old"));
    EXPECT_TRUE (rig.log.contains ("load", "DEBUG", "PresetStore::load() Translator: None"));
    EXPECT_FLOAT_EQ (rig.value ("body_mode"), 1.0f);
    EXPECT_FLOAT_EQ (rig.value ("attackoverlay_enable1"), 0.0f);

    PresetStore unattached ("main", false, nullptr, nullptr);
    EXPECT_FALSE (unattached.loadByName ("Old"));
    EXPECT_TRUE (unattached.takeError().first);
}
