#include "PresetTestRig.h"

#include "presets/AttackPresetConverter.h"

#include <gtest/gtest.h>

namespace
{
const juce::String bank = R"(<VELLMARK>
  <float attack_gain="2" attack_solo="1" attackoverlay_enable1="1" attackoverlay_enable2="1" tweaks_attackpitch="4"
         tweaks_attack2pitch="-2" body_decay="9"/>
  <data>
    <attack_file><file name="/s/attack_x.wav" attack_note="kept"/><data>attack_text</data></attack_file>
    <preset_name_attack>Bank</preset_name_attack>
    <deeper><deepest tweaks_attackpitch="1" attackoverlay_enable2="0" attack_level="3"/></deeper>
  </data>
</VELLMARK>)";

std::unique_ptr<juce::XmlElement> parse (const juce::String& text) { return juce::parseXML (text); }
} // namespace

TEST (AttackPresetConverter, LoadKeepsEnablesAndFirstPitchOutAndRenamesForTheSecondLayer)
{
    const auto source = parse (bank);
    const auto untouched = std::make_unique<juce::XmlElement> (*source);

    const auto expectedFirst = parse (R"(<VELLMARK>
  <float attack_gain="2" attack_solo="1" tweaks_attack2pitch="-2" body_decay="9"/>
  <data>
    <attack_file><file name="/s/attack_x.wav" attack_note="kept"/><data>attack_text</data></attack_file>
    <preset_name_attack>Bank</preset_name_attack>
    <deeper><deepest attack_level="3"/></deeper>
  </data>
</VELLMARK>)");
    const auto expectedSecond = parse (R"(<VELLMARK>
  <float attack2_gain="2" attack2_solo="1" tweaks_attack2pitch="-2" body_decay="9"/>
  <data>
    <attack2_file><file name="/s/attack_x.wav" attack2_note="kept"/><data>attack_text</data></attack2_file>
    <preset_name_attack>Bank</preset_name_attack>
    <deeper><deepest attack2_level="3"/></deeper>
  </data>
</VELLMARK>)");

    const auto first = AttackPresetConverter (false).convertForLoad (*source);
    const auto second = AttackPresetConverter (true).convertForLoad (*source);
    EXPECT_TRUE (first->isEquivalentTo (expectedFirst.get(), false))
        << first->toString (juce::XmlElement::TextFormat().singleLine());
    EXPECT_TRUE (second->isEquivalentTo (expectedSecond.get(), false))
        << second->toString (juce::XmlElement::TextFormat().singleLine());
    EXPECT_TRUE (source->isEquivalentTo (untouched.get(), false));
}

TEST (AttackPresetConverter, SaveRenamesSecondLayerKeysBackAndZeroesTheFirstPitch)
{
    const auto source = parse (R"(<VELLMARK>
  <FLOAT attack2_gain="2" attack2_solo="1" tweaks_attack2pitch="-2"/>
  <data><attack2_file><file name="/s/attack2_x.wav"/></attack2_file><preset_name_attack>B</preset_name_attack></data>
</VELLMARK>)");
    const auto untouched = std::make_unique<juce::XmlElement> (*source);

    const auto first = AttackPresetConverter (false).convertForSave (*source);
    EXPECT_TRUE (first->isEquivalentTo (source.get(), false));

    const auto expected = parse (R"(<VELLMARK>
  <FLOAT attack_gain="2" attack_solo="1" tweaks_attack2pitch="-2" tweaks_attackpitch="0"/>
  <data><attack_file><file name="/s/attack2_x.wav"/></attack_file><preset_name_attack>B</preset_name_attack></data>
</VELLMARK>)");
    const auto second = AttackPresetConverter (true).convertForSave (*source);
    EXPECT_TRUE (second->isEquivalentTo (expected.get(), false))
        << second->toString (juce::XmlElement::TextFormat().singleLine());
    EXPECT_TRUE (source->isEquivalentTo (untouched.get(), false));
}

TEST (AttackPresetConverter, EitherLayerLoadsABankSavedFromEither)
{
    PresetTestRig rig;
    AttackPresetConverter layer1 (false), layer2 (true);

    rig.attackUser->setPresetGroup ("attack2");
    rig.setValue ("attack2_gain", 1.75f);
    rig.setValue ("attack2_decay", 33.0f);
    rig.setValue ("tweaks_attackpitch", 7.0f);
    rig.setDataText ("attack2_file", "second sample");
    ASSERT_TRUE (rig.attackUser->saveCurrentPreset ("From Two", &layer2));

    const auto saved = juce::parseXML (juce::File (rig.attackUser->getRoot()).getChildFile ("From Two.preset"));
    const auto* floats = saved->getChildByName ("float");
    EXPECT_EQ (floats->getStringAttribute ("attack_gain"), "1.75");
    EXPECT_EQ (floats->getStringAttribute ("tweaks_attackpitch"), "0");
    EXPECT_FALSE (floats->hasAttribute ("attack2_gain"));
    EXPECT_NE (saved->getChildByName ("data")->getChildByName ("attack_file"), nullptr);

    // Loaded into the first layer: its keys change, the enables and the first pitch do not.
    rig.setValue ("attackoverlay_enable1", 1.0f);
    rig.setValue ("attackoverlay_enable2", 0.0f);
    rig.setValue ("attack_gain", 0.5f);
    rig.attackUser->setPresetGroup ("attack");
    ASSERT_TRUE (rig.attackUser->loadByName ("From Two", &layer1));
    EXPECT_FLOAT_EQ (rig.value ("attack_gain"), 1.75f);
    EXPECT_FLOAT_EQ (rig.value ("attack_decay"), 33.0f);
    EXPECT_FLOAT_EQ (rig.value ("tweaks_attackpitch"), 7.0f);
    EXPECT_EQ (rig.dataText ("attack_file"), "second sample");

    // A first-layer bank loaded into the second layer.
    const juce::String firstLayerBank = R"(<VELLMARK>
  <float attack_gain="3" attack_solo="1" attackoverlay_enable1="0" attackoverlay_enable2="1" tweaks_attackpitch="-5"/>
  <data><attack_file>first sample</attack_file><preset_name_attack>Ones</preset_name_attack></data>
  <info version="1.9.7" compatibilitymode="2"/>
</VELLMARK>)";
    writeTextFile (juce::File (rig.attackUser->getRoot()).getChildFile ("Ones.preset"), firstLayerBank);
    const auto before = rig.snapshot();
    ASSERT_TRUE (rig.attackUser->loadByName ("Ones", &layer2));

    EXPECT_FLOAT_EQ (rig.value ("attack2_gain"), 3.0f);
    EXPECT_FLOAT_EQ (rig.value ("attack2_solo"), 1.0f);
    EXPECT_EQ (rig.dataText ("attack2_file"), "first sample");
    EXPECT_EQ (rig.dataText ("preset_name_attack"), "Ones");
    auto after = rig.snapshot();
    for (const auto n : { Param::attack2Gain, Param::attack2Solo })
        after[(size_t) n] = before[(size_t) n];
    EXPECT_EQ (after, before) << "nothing but the second layer's keys changed";
    EXPECT_EQ (rig.dataText ("attack_file"), "second sample");
}
