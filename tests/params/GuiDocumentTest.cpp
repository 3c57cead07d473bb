#include "params/GuiDocument.h"
#include "common/LogCapture.h"
#include "params/ParameterNumbers.h"
#include "params/PresetGroupKeys.h"
#include "params/ProcessorParameterStore.h"
#include "params/ShippedDocument.h"
#include "params/StringArrayPrinter.h"

#include <ThudmorBinaryData.h>
#include <gtest/gtest.h>

#include <cmath>

namespace
{
juce::String childText (const juce::XmlElement& element, const juce::String& tag)
{
    const auto* child = element.getChildByName (tag);
    return child != nullptr ? child->getAllSubText() : juce::String();
}

juce::StringArray sorted (juce::StringArray array)
{
    array.sort (false);
    return array;
}
} // namespace

TEST (GuiDocument, IsTheEmbeddedTextAndLogsItsLoading)
{
    const LogCapture log;
    const auto text = getXmlConfiguration();

    EXPECT_EQ (text, juce::String::fromUTF8 (ThudmorBinary::gui_xml, ThudmorBinary::gui_xmlSize));
    EXPECT_TRUE (log.contains ("getXmlConfiguration", "DEBUG", "Release version"));
    EXPECT_TRUE (
        log.contains ("getXmlConfiguration", "DEBUG",
                      "Loading memory stream for GUI.XML with size " + juce::String (ThudmorBinary::gui_xmlSize)));
}

TEST (GuiDocument, WalkNumbersTheFortyOneParametersAsTheEngineAddressesThem)
{
    const ShippedDocument document;
    ASSERT_TRUE (document.parsed());

    juce::StringArray parameterKeys;
    for (const auto& e : document.getElements())
        if (e.parameterNumber >= 0)
        {
            EXPECT_EQ (e.parameterNumber, parameterKeys.size()) << e.key;
            parameterKeys.add (e.key);
        }

    ASSERT_EQ (parameterKeys.size(), (int) Param::count);
    for (int n = 0; n < Param::count; ++n)
        EXPECT_EQ (parameterKeys[n], juce::String (Param::keys[(size_t) n].data())) << n;
}

TEST (GuiDocument, KeysFollowTagOrNameWithContainerPrefixes)
{
    struct Case
    {
        const char* name;
        const char* key;
        int parameterNumber;
    };
    const Case cases[]{
        { "Time", "body_pitchdecay", Param::bodyPitchDecay },
        { "Samp 2 Tune", "tweaks_attack2pitch", Param::tweaksAttack2Pitch },
        { "OUTPUT", "output", -1 },
        { "FILEBROWSER", "attack_file", -1 },
        { "ONE", "attackoverlay_enable1", Param::attackEnable1 },
    };

    const ShippedDocument document;
    for (const auto& c : cases)
    {
        const auto* element = document.find (c.key);
        ASSERT_NE (element, nullptr) << c.key;
        EXPECT_EQ (element->getStringAttribute ("name"), c.name);

        for (const auto& e : document.getElements())
        {
            if (e.key == c.key)
            {
                EXPECT_EQ (e.parameterNumber, c.parameterNumber) << c.key;
            }
        }
    }
}

TEST (GuiDocument, KeyMapNamesThePresetNamesExactly)
{
    const ShippedDocument document;
    EXPECT_EQ (document.getKeyMapKeys(), juce::StringArray ({ "preset_name_all", "preset_name_attack" }));
}

TEST (GuiDocument, AutomationListsCoverEveryParameterOnce)
{
    const ShippedDocument document;
    const auto* order = document.getAutomationList ("order");
    const auto* hidden = document.getAutomationList ("hidden");
    ASSERT_NE (order, nullptr);
    ASSERT_NE (hidden, nullptr);

    const auto slots = parseAutomationList (*order, true);
    const auto hiddenKeys = parseAutomationList (*hidden, false);
    ASSERT_EQ (slots.size(), 34);
    ASSERT_EQ (hiddenKeys.size(), 9);

    // The number written after "=" is only a reading aid; it must not lie.
    juce::StringArray lines;
    lines.addLines (order->getAllSubText());
    lines.trim();
    lines.removeEmptyStrings();
    ASSERT_EQ (lines.size(), slots.size());
    for (int slot = 0; slot < lines.size(); ++slot)
        EXPECT_EQ (lines[slot].fromFirstOccurrenceOf ("=", false, false).getIntValue(), slot) << lines[slot];

    juce::StringArray parameterKeys;
    for (const auto& key : Param::keys)
        parameterKeys.add (juce::String (key.data()));

    int hiddenParameters = 0;
    for (const auto& key : hiddenKeys)
        if (parameterKeys.contains (key))
            ++hiddenParameters;
    EXPECT_EQ (hiddenParameters, 7);
    EXPECT_FALSE (parameterKeys.contains ("tweaks_ampshape"));
    EXPECT_FALSE (parameterKeys.contains ("master_origsamp"));

    for (const auto& key : parameterKeys)
        EXPECT_EQ ((slots.contains (key) ? 1 : 0) + (hiddenKeys.contains (key) ? 1 : 0), 1) << key;
}

// The parameter set every preset, host state and compatibility table relies on.
TEST (GuiDocument, ParametersMatchTheirContract)
{
    struct Row
    {
        const char* key;
        const char* label;
        const char* hostName; // nullptr: hidden, no slot
        const char* gui;
        double min, max, def, skew;
        const char* unit; // `units` text, "<db>" for a decibel display
        int slot;
        juce::StringArray groups;
    };
    const juce::StringArray attack{ "attack", "all" }, attack2{ "attack2", "all" }, all{ "all" }, none{ "none" };

    // clang-format off
    const Row rows[] {
        { "attack_solo", "SOLO", nullptr, "button", 0, 1, 0, 1, "", -1, attack },
        { "attack_highpass", "High Pass", "Attack HPF", "knob", 10, 4000, 150, 0.5, "Hz", 1, attack },
        { "attack_decay", "Decay", "Attack Decay", "knob", 1, 800, 40, 0.25, "ms", 2, attack },
        { "attack_gain", "Gain", "Attack Gain", "knob", 0, 4, 1, 0.5, "<db>", 3, attack },
        { "attack2_solo", "SOLO", nullptr, "button", 0, 1, 0, 1, "", -1, attack2 },
        { "attack2_highpass", "High Pass", "Attack HPF", "knob", 10, 10000, 150, 0.5, "Hz", 30, attack2 },
        { "attack2_decay", "Decay", "Attack Decay", "knob", 1, 800, 40, 0.25, "ms", 31, attack2 },
        { "attack2_gain", "Gain", "Attack Gain", "knob", 0, 4, 1, 0.5, "<db>", 32, attack2 },
        { "attackoverlay_enable1", "ONE", "Attack Enable", "AttackEnableButton", 0, 1, 1, 1, "", 0, all },
        { "attackoverlay_enable2", "TWO", "Attack Enable", "AttackEnableButton", 0, 1, 0, 1, "", 29, all },
        { "body_body", "BODY", "Body Enable", "panelenable", 0, 1, 1, 1, "", 4, all },
        { "body_splitattack", "SPLIT OUTPUT", nullptr, "button", 0, 1, 0, 1, "", -1, none },
        { "body_attack", "Attack", "Body Attack", "knob", 0, 40, 1, 0.5, "ms", 5, all },
        { "body_hold", "Hold", "Body Hold", "knob", 0, 1500, 50, 0.2, "ms", 6, all },
        { "body_decay", "Decay", "Body Decay", "knob", 15, 5000, 50, 0.32, "ms", 7, all },
        { "body_deep", "Deep", "Body Deep", "knob", 0, 50, 10, 1, "", 8, all },
        { "body_curve", "Curve", "Body Curve", "knob", 0.01, 0.9, 0.9, 0.2, "", 9, all },
        { "body_mode", "BODY MODE", nullptr, "multicompact", 0, 10, 0, 1, "", -1, all },
        { "body_start", "Start", "Body Pitch Start", "knob", 45, 16000, 500, 0.5, "Hz", 10, all },
        { "body_pitchdecay", "Time", "Body Pitch Decay", "knob", 1, 200, 10, 0.4, "ms", 11, all },
        { "body_end", "End", "Body Pitch End", "knob", 40, 70, 52, 0.5, "Hz", 12, all },
        { "tweaks_time", "Position", "Shaper A Position", "knob", 0, 100, 10, 0.4, "ms", 13, all },
        { "tweaks_width", "Width", "Shaper A Width", "knob", 2.5, 30, 10, 1, "ms", 14, all },
        { "tweaks_cut", "Cut", "Shaper A Cut", "knob", 0, 1, 0, 2, "", 15, all },
        { "tweaks_punch", "Punch", "Shaper B Punch", "knob", -1, 1, 0, 1, "", 23, all },
        { "tweaks_attack2pitch", "Samp 2 Tune", "Sample 2 Pitch", "knob", -24, 24, 0, 1, "", 33, attack },
        { "tweaks_attackpitch", "Samp 1 Tune", "Sample Pitch", "knob", -24, 24, 0, 1, "", 18, attack },
        { "tweaks_bodygain", "Body Gain", "Body Gain", "knob", 0, 2, 1, 0.5, "<db>", 20, all },
        { "tweaks_toughchirp", "Tune Attack", "Tune Attack", "knob", 0.1, 1.4, 1, 1, "", 24, all },
        { "tweaks_hpf", "High Pass", "High Pass", "multipopup", 0, 50, 30, 1, "", 17, all },
        { "tweaks_velsens", "Vel Sens", "Vel Sens", "knob", 0, 100, 10, 1, "%", 19, all },
        { "tweaks_midikeys", "Pitch", nullptr, "multipopup", 0, 1, 0, 1, "", -1, all },
        { "tweaks_eqgain", "Mid Gain", "EQ Gain", "knob", -20, 20, 0, 1, "db", 25, all },
        { "tweaks_eqfreq", "Mid Freq", "EQ Frequency", "knob", 50, 6000, 500, 0.4, "Hz", 26, all },
        { "tweaks_hishelf", "Hi Shelf", "EQ Hi Shelf", "knob", -12, 12, 0, 1, "db", 27, all },
        { "waveform_drivemode", "DRIVE MODE", nullptr, "multicompact", 0, 10, 0, 1, "", -1, all },
        { "waveform_drive", "Drive", "Drive", "knob", 0, 6, 0, 0.25, "", 16, all },
        { "waveform_phase", "Phase", "Phase", "knob", 0, 1, 0, 1, "", 28, all },
        { "master_level", "Level", "Master Level", "knob", 0, 2, 0.5, 0.5, "<db>", 21, all },
        { "master_oneshot", "ONE SHOT", "One Shot Enable", "button", 0, 1, 1, 1, "", 22, none },
        { "master_autoplay", "AUTO PLAY", nullptr, "button", 0, 1, 0, 1, "", -1, none },
    };
    // clang-format on
    static_assert (std::size (rows) == Param::count);

    const ShippedDocument document;
    const PresetGroupKeys groups;
    ProcessorParameterStore store;
    ASSERT_TRUE (store.buildFromDocument (getXmlConfiguration()));

    for (int n = 0; n < Param::count; ++n)
    {
        const auto& row = rows[n];
        SCOPED_TRACE (row.key);
        ASSERT_EQ (store.getKey (n), row.key);

        EXPECT_EQ (store.getMinimum (n), (float) row.min);
        EXPECT_EQ (store.getMaximum (n), (float) row.max);
        EXPECT_EQ (store.getValue (n), (float) row.def);
        EXPECT_EQ (store.getSkew (n), (float) row.skew);

        EXPECT_EQ (store.getSlotOfParameter (n), row.slot);
        if (row.slot >= 0)
        {
            EXPECT_EQ (store.getParameterNumberOfSlot (row.slot), n);
            EXPECT_EQ (store.getParameterName (row.slot), row.hostName);
        }

        const auto* element = document.find (row.key);
        ASSERT_NE (element, nullptr);
        EXPECT_EQ (element->getStringAttribute ("name"), row.label);
        EXPECT_EQ (element->getStringAttribute ("gui"), row.gui);
        const auto unit =
            element->getChildByName ("db") != nullptr ? juce::String ("<db>") : childText (*element, "units");
        EXPECT_EQ (unit, row.unit);

        EXPECT_EQ (sorted (groups.getGroupsOfKey (row.key)), sorted (row.groups));
    }
}

TEST (GuiDocument, SelectorsOfferTheirOptions)
{
    struct Option
    {
        float value;
        const char* label;
        const char* colour; // empty: the widget's default
    };
    struct Case
    {
        const char* key;
        std::vector<Option> options;
    };
    const Case cases[]{
        { "body_mode", { { 0, "ORIG", "" }, { 1, "TOUGH", "orange" } } },
        { "tweaks_hpf", { { 0, "OFF", "red" }, { 25, " 25Hz", "" }, { 30, " 30Hz", "" }, { 40, " 40Hz", "" } } },
        { "tweaks_midikeys", { { 0, "FIXED", "" }, { 1, "MIDI", "" } } },
        { "waveform_drivemode",
          { { 0, "DIST", "" }, { 4, "DIRTY", "" }, { 6, "WT-C", "" }, { 7, "HUM", "" }, { 10, "CLIPPER", "" } } },
    };

    const ShippedDocument document;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.key);
        const auto* element = document.find (c.key);
        ASSERT_NE (element, nullptr);

        std::vector<const juce::XmlElement*> options;
        for (const auto* option : element->getChildWithTagNameIterator ("option"))
            options.push_back (option);

        ASSERT_EQ (options.size(), c.options.size());
        for (size_t i = 0; i < options.size(); ++i)
        {
            EXPECT_EQ ((float) options[i]->getStringAttribute ("value").getDoubleValue(), c.options[i].value);
            EXPECT_EQ (options[i]->getAllSubText(), c.options[i].label);
            EXPECT_EQ (options[i]->getStringAttribute ("colour"), c.options[i].colour);
        }
    }
}

TEST (GuiDocument, NoteMenuOffersNotesWithinTheEndKnobsRange)
{
    // Equal-tempered frequency of a note name such as "F#1" (A4 = 440 Hz); 0 if unreadable.
    const auto frequencyOf = [] (const juce::String& name)
    {
        const auto semitone = juce::String ("C D EF G A B").indexOfChar (name[0]);
        if (semitone < 0 || name.isEmpty())
            return 0.0;
        const bool sharp = name[1] == '#';
        const auto octave = name.substring (sharp ? 2 : 1).getIntValue();
        const auto midiNote = semitone + (sharp ? 1 : 0) + 12 * (octave + 1);
        return 440.0 * std::pow (2.0, (midiNote - 69) / 12.0);
    };

    const ShippedDocument document;
    const auto* menu = document.find ("body_note");
    ASSERT_NE (menu, nullptr);

    juce::StringArray names;
    for (const auto* item : menu->getChildWithTagNameIterator ("item"))
    {
        names.add (item->getStringAttribute ("name"));
        // The end knob reads the chosen value as a note name.
        const auto frequency = frequencyOf (item->getStringAttribute ("value"));
        EXPECT_GE (frequency, 40.0) << item->getStringAttribute ("value");
        EXPECT_LE (frequency, 70.0) << item->getStringAttribute ("value");
    }
    EXPECT_EQ (names, juce::StringArray ({ "E1", "F1", "F#1", "G1", "G#1", "A1", "A#1", "B1", "C2", "C#2" }));
}
