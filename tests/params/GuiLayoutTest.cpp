#include "params/ShippedDocument.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
constexpr int absent = -1;

int intAttribute (const juce::XmlElement* child, const char* name)
{
    return child != nullptr && child->hasAttribute (name) ? child->getIntAttribute (name) : absent;
}
} // namespace

// Every element in document order, where it sits and what builds it.
TEST (GuiLayout, ElementsComeInDrawingOrderWithTheirPlaces)
{
    struct Row
    {
        const char* key;
        const char* name;
        const char* gui;
        int x, y, width, height;
    };
    constexpr int _ = absent;
    // clang-format off
    const Row rows[] {
        { "errordialog", "errordialog", "dialogbox", _, _, _, _ },
        { "attack", "SAMPLE", "PanelSample", 10, 10, 200, 158 },
        { "attack_solo", "SOLO", "button", 158, 0, 19, _ },
        { "attack_highpass", "High Pass", "knob", 5, 18, 66, 66 },
        { "attack_decay", "Decay", "knob", 70, 18, 66, 66 },
        { "attack_gain", "Gain", "knob", 135, 18, 66, 66 },
        { "attack_file", "FILEBROWSER", "filebrowser", 10, 104, 180, 46 },
        { "attack_filebutton", "BANK", "button", 150, 104, 68, _ },
        { "attack2", "SAMPLE 2", "PanelSample", 10, 10, 200, 158 },
        { "attack2_solo", "SOLO", "button", 158, 0, 19, _ },
        { "attack2_highpass", "High Pass", "knob", 5, 18, 66, 66 },
        { "attack2_decay", "Decay", "knob", 70, 18, 66, 66 },
        { "attack2_gain", "Gain", "knob", 135, 18, 66, 66 },
        { "attack2_file", "FILEBROWSER", "filebrowser", 10, 104, 180, 46 },
        { "attack2_filebutton", "BANK", "button", 150, 104, 68, _ },
        { "attackoverlay", "attackoverlay", "TransparentPanel", 10, 10, 200, 158 },
        { "attackoverlay_enable1", "ONE", "AttackEnableButton", 0, 0, 62, 15 },
        { "attackoverlay_enable2", "TWO", "AttackEnableButton", 63, 0, 62, 15 },
        { "thumbnail", "thumbnail", "thumbnail", 10, 172, 200, 80 },
        { "body", "BODY", "panel", 10, 257, _, _ },
        { "body_body", "BODY", "panelenable", _, _, _, _ },
        { "body_splitattack", "SPLIT OUTPUT", "button", 128, 0, 49, _ },
        { "body_ampline", "AmpLine", "line", 0, 0, 160, 266 },
        { "body_attack", "Attack", "knob", 9, 16, 66, 66 },
        { "body_hold", "Hold", "knob", 72, 16, 66, 66 },
        { "body_decay", "Decay", "knob", 135, 16, 66, 66 },
        { "body_deep", "Deep", "knob", 9, 107, 66, 66 },
        { "body_curve", "Curve", "knob", 72, 107, 66, 66 },
        { "body_mode", "BODY MODE", "multicompact", 148, 117, _, _ },
        { "body_start", "Start", "knob", 9, 190, 66, 66 },
        { "body_pitchdecay", "Time", "knob", 72, 190, 66, 66 },
        { "body_end", "End", "knob", 135, 190, 66, 66 },
        { "body_note", "Note", "lowkeymenu", 148, 259, 40, 13 },
        { "tweaks", "EDIT", "panel", 10, 257, _, _ },
        { "tweaks_eqline", "EQLINE", "line", 0, 0, 150, 130 },
        { "tweaks_time", "Position", "knob", 63, 136, 40, 13 },
        { "tweaks_width", "Width", "knob", 63, 165, 40, 13 },
        { "tweaks_cut", "Cut", "knob", 10, 130, 50, 50 },
        { "tweaks_punch", "Punch", "knob", 131, 90, 66, 66 },
        { "tweaks_attack2pitch", "Samp 2 Tune", "knob", 137, 242, 55, 13 },
        { "tweaks_attackpitch", "Samp 1 Tune", "knob", 137, 210, 55, 13 },
        { "tweaks_bodygain", "Body Gain", "knob", 10, 210, 55, 13 },
        { "tweaks_toughchirp", "Tune Attack", "knob", 137, 177, 55, 13 },
        { "tweaks_hpf", "High Pass", "multipopup", 73, 210, 55, 13 },
        { "tweaks_velsens", "Vel Sens", "knob", 10, 242, 55, 13 },
        { "tweaks_midikeys", "Pitch", "multipopup", 73, 242, 55, 13 },
        { "tweaks_eqgain", "Mid Gain", "knob", 70, 38, 66, 66 },
        { "tweaks_eqfreq", "Mid Freq", "knob", 7, 38, 66, 66 },
        { "tweaks_hishelf", "Hi Shelf", "knob", 131, 4, 66, 66 },
        { "waveform", "WAVEFORM", "panel", 10, 257, _, _ },
        { "waveform_drivemode", "DRIVE MODE", "multicompact", 17, 20, _, _ },
        { "waveform_drive", "Drive", "knob", 70, 15, 66, 66 },
        { "waveform_driveline", "DRIVELINE", "line", 0, 0, 150, 92 },
        { "waveform_phase", "Phase", "knob", 135, 15, 66, 66 },
        { "master", "MASTER", "panel", 10, 545, 201, 140 },
        { "master_level", "Level", "knob", 0, 30, 86, 86 },
        { "master_oneshot", "ONE SHOT", "button", 88, 52, _, _ },
        { "master_prev", "PREV", "button", 88, 8, _, _ },
        { "master_info", "INFO", "button", 88, 30, _, _ },
        { "master_wave", "WAVE", "button", 130, 93, _, _ },
        { "master_edit", "EDIT", "button", 130, 52, _, _ },
        { "master_autoplay", "AUTO PLAY", "button", 88, 93, _, _ },
        { "master_next", "NEXT", "button", 130, 8, _, _ },
        { "master_file", "FILE", "button", 130, 30, 35, 35 },
        { "output", "OUTPUT", "flexmeter", 185, 554, 20, 124 },
        { "options", "INFO", "panel", 10, 10, 200, 720 },
        { "options_readme", "readme", "textpane", 10, 450, 180, 130 },
        { "options_optionspanelbuttons", "optionspanelbuttons", "optionspanelbuttons", 30, 280, 140, 50 },
        { "options_pluginpropertieseditor", "pluginpropertieseditor", "pluginpropertieseditor", 10, 350, 180, 40 },
        { "options_compatibilitymodeselector", "compatibilitymodeselector", "compatibilitymodeselector", 100, 400, 90, 14 },
        { "options_whitethudmor", "WhiteThudmor", "image", 15, 30, _, _ },
        { "options_whitevellmark", "WhiteVellmark", "image", 16, 665, _, _ },
        { "attackpresets", "AttackPresets", "presets", 5, 5, 210, 540 },
        { "attack2presets", "Attack2Presets", "presets", 5, 5, 210, 540 },
        { "masterpresets", "MasterPresets", "presets", 5, 10, 210, 540 },
        { "compatmodedialog", "CompatModeDialog", "compatmodewindow", _, _, _, _ },
    };
    // clang-format on

    const ShippedDocument document;
    const auto& elements = document.getElements();
    ASSERT_EQ (elements.size(), std::size (rows));

    for (size_t i = 0; i < elements.size(); ++i)
    {
        const auto& row = rows[i];
        const auto& element = *elements[i].element;
        SCOPED_TRACE (row.key);
        ASSERT_EQ (elements[i].key, row.key);
        EXPECT_EQ (element.getStringAttribute ("name"), row.name);
        EXPECT_EQ (element.getStringAttribute ("gui"), row.gui);

        const auto* location = element.getChildByName ("location");
        const auto* size = element.getChildByName ("size");
        EXPECT_EQ (intAttribute (location, "x"), row.x);
        EXPECT_EQ (intAttribute (location, "y"), row.y);
        EXPECT_EQ (intAttribute (size, "width"), row.width);
        EXPECT_EQ (intAttribute (size, "height"), row.height);
    }
}

TEST (GuiLayout, ElementsListenToTheirSources)
{
    struct Binding
    {
        const char* key;
        const char* role;
        const char* source;
    };
    // clang-format off
    const Binding expected[] {
        { "attack_highpass", "inactive", "attack_solo" },
        { "attack_decay", "inactive", "attack_solo" },
        { "attack_filebutton", "offmessage", "attackpresets" },
        { "attack2_highpass", "inactive", "attack2_solo" },
        { "attack2_decay", "inactive", "attack2_solo" },
        { "attack2_filebutton", "offmessage", "attackpresets" },
        { "thumbnail", "file", "attack_file" },
        { "thumbnail", "attack", "body_attack" },
        { "thumbnail", "hold", "body_hold" },
        { "thumbnail", "decay", "body_decay" },
        { "thumbnail", "*miditrigger", "*miditrigger" },
        { "thumbnail", "presetname", "preset_name_all" },
        { "thumbnail", "*tempo", "*tempo" },
        { "thumbnail", "hpf", "tweaks_hpf" },
        { "thumbnail", "endfreq", "body_end" },
        { "thumbnail", "show_attack_preview", "attack_file" },
        { "body_curve", "setaltskew", "body_mode" },
        { "body_end", "textvalue", "body_note" },
        { "body_end", "orangehighlight", "tweaks_midikeys" },
        { "tweaks", "visible", "master_edit" },
        { "tweaks_time", "inactivezero", "tweaks_cut" },
        { "tweaks_width", "inactivezero", "tweaks_cut" },
        { "tweaks_toughchirp", "inactivezero", "body_mode" },
        { "waveform", "visible", "master_wave" },
        { "master_wave", "inactive", "waveform" },
        { "master_edit", "inactive", "tweaks" },
        { "master_file", "offmessage", "masterpresets" },
        { "output", "x", "*levelindicator" },
        { "options", "visible", "master_info" },
        { "attackpresets", "visible", "attack_filebutton" },
        { "attackpresets", "refresh", "attack_filebutton" },
        { "attack2presets", "visible", "attack2_filebutton" },
        { "attack2presets", "refresh", "attack2_filebutton" },
        { "masterpresets", "visible", "master_file" },
        { "masterpresets", "refresh", "master_file" },
        { "masterpresets", "next", "master_next" },
        { "masterpresets", "prev", "master_prev" },
    };
    // clang-format on

    const ShippedDocument document;
    const auto knownKeys = document.getKnownKeys();

    size_t i = 0;
    for (const auto& e : document.getElements())
    {
        for (const auto* bind : e.element->getChildWithTagNameIterator ("bind"))
        {
            const auto role = bind->getStringAttribute ("name");
            const auto source = bind->getStringAttribute ("src");
            EXPECT_TRUE (knownKeys.contains (source)) << e.key << " binds unknown " << source;

            ASSERT_LT (i, std::size (expected)) << "unexpected binding of " << e.key;
            EXPECT_EQ (e.key, expected[i].key);
            EXPECT_EQ (role, expected[i].role) << e.key;
            EXPECT_EQ (source, expected[i].source) << e.key;
            ++i;
        }
    }
    EXPECT_EQ (i, std::size (expected)) << "bindings missing";
}

TEST (GuiLayout, TooltipsSitOnTheirElements)
{
    const juce::String solo = "Listen to just the attack sample.  The high pass filter and the decay control will be "
                              "bypassed.";
    const juce::String browser =
        "Select, load and manage samples. Drag a sample over this section to import it, or click LOADSAMP";
    const juce::String pitch = "The pitch adjustment for the attack sample, in semitones.";

    // clang-format off
    std::map<juce::String, juce::String> expected {
        { "attack_solo", solo },
        { "attack_highpass", "Set the high-pass filter frequency for the sample" },
        { "attack_decay", "Set the decay time for the sample" },
        { "attack_gain", "Set the volume of the sample" },
        { "attack_file", browser },
        { "attack_filebutton", "Load or save attack banks." },
        { "attack2_solo", solo },
        { "attack2_highpass", "Set the high-pass filter frequency for the sample" },
        { "attack2_decay", "Set the decay time for the sample" },
        { "attack2_gain", "Set the volume of the sample" },
        { "attack2_file", browser },
        { "attack2_filebutton", "Load or save attack banks." },
        { "attackoverlay_enable1", "Mute/un-mute the first sampler section" },
        { "thumbnail", "Drag a WAV out of this window to export." },
        { "body_body", "Enable or disable the kick drum body synthesiser" },
        { "body_splitattack", "Send the body to channels 1 and 2 and the attack to channels 3 and 4 for separate processing in the DAW" },
        { "body_attack", "Attack time.  Can significantly change the character of the drum." },
        { "body_hold", "Hold time for the drum." },
        { "body_decay", "Decay time for the drum." },
        { "body_deep", "Keeps the pitch decreasing all the way through the note.  Removes any hint of absolute pitch from the drum." },
        { "body_curve", "Adjusts the shape of the pitch decay" },
        { "body_mode", "Chooses between two different kick drum models./- ORIG mode provides for house, pop and works well combined with samples./- The TOUGH mode is good for harder trance and dance music and can produce kick drums that sound great with the sample section disabled." },
        { "body_pitchdecay", "Controls the duration of the pitch decay" },
        { "body_end", "Sets the lowest frequency of the drum. You can set specific note pitches for tuned kick drums using the \"Note\" menu drop down." },
        { "body_note", "Specifies the pitch at the tail of the kick drum.  Is only accurate when deep is set to zero." },
        { "tweaks_attack2pitch", pitch },
        { "tweaks_attackpitch", pitch },
        { "tweaks_bodygain", "The gain of the kick body synthesiser." },
        { "tweaks_toughchirp", "Only works in TOUGH mode.  Allows fine tuning of the attack sound." },
        { "tweaks_hpf", "A limit on the lowest frequency output by the kick synthesiser.  Stops unexpected sub-bass. (A Funktion One Infrabass 218 sub-woofer has a -3db roll-off at 25Hz)" },
        { "tweaks_velsens", "How much midi velocity affects the kick drum volume" },
        { "tweaks_midikeys", "Enables you to play the pitch of the kick drum on the keyboard.  Leave at FIXED unless you really want to do this!" },
        { "waveform_drivemode", "DIST is warm distortion; DIRTY a digital waveform; WT-C provides a warm but almost sawtooth sound that sounds good on shorter kicks; HUMMER is a waveform with some softer harmonics; CLIPPER provides hard digital clipping and is particularly useful for controlling and warming the attack when the punch control is set to maximum in ORIG mode." },
        { "waveform_drive", "The amount of the effect selected by DRIVE MODE" },
        { "waveform_phase", "Adjusts the phase of the waveform.  This affects the sound of the attack when the Amp Attack setting is between 0 and 1ms. It can also be important when the kick drum is playing in tune with, and at the same time, as a bass." },
        { "master_oneshot", "When enabled the length of the MIDI note is ignored and the drum plays fully on each note.  Leave this enabled unless you really want to have shortened kick drums on some beats." },
        { "master_wave", "Open the wave and distortion selection window.  Also includes the phase control for fine-tuning." },
        { "master_autoplay", "Plays the drum on the beat in time with your DAW." },
        { "master_next", "Select Next Preset" },
        { "master_file", "Load, browse, import, manage and save presets." },
        { "options_compatibilitymodeselector", "Selects the backwards compatibility mode.  This affects distortion and automation. See the release notes for full information. Leave it at the latest version for normal operation." },
    };
    // clang-format on

    const ShippedDocument document;
    const juce::String infoTooltipEnd = "You disable these tooltips in the INFO panel too. ";
    juce::String prevTooltip;

    for (const auto& e : document.getElements())
    {
        const auto* tooltip = e.element->getChildByName ("tooltip");
        const auto text = tooltip != nullptr ? tooltip->getAllSubText() : juce::String();

        if (e.key == "master_prev" || e.key == "master_info")
        {
            // Both open the configuration page and say where tooltips are switched off.
            EXPECT_TRUE (text.endsWith (infoTooltipEnd)) << e.key << ": " << text;
            EXPECT_TRUE (text.containsIgnoreCase ("configuration page")) << e.key << ": " << text;
            if (prevTooltip.isNotEmpty())
            {
                EXPECT_EQ (text, prevTooltip);
            }
            prevTooltip = text;
            continue;
        }

        const auto found = expected.find (e.key);
        if (found == expected.end())
        {
            EXPECT_EQ (tooltip, nullptr) << e.key << " has a tooltip: " << text;
            continue;
        }
        EXPECT_EQ (text, found->second) << e.key;
        expected.erase (found);
    }
    for (const auto& [key, text] : expected)
        ADD_FAILURE() << "no element " << key << " for its tooltip";
}

TEST (GuiLayout, TourVisitsTheEditorInEighteenSteps)
{
    struct Step
    {
        const char* kind;
        const char* target; // empty for an introduction
        const char* text;   // nullptr: checked separately
    };
    // clang-format off
    const Step steps[] {
        { "info", "", "The Tour::Get a quick introduction to some key features on the tour.//For detailed information read the manual.//Click the mouse or use left and right arrow keys to move through the tour.//Click END TOUR at the bottom to quit early." },
        { "show", "attack", "Sample Player::Play sample layer and browse samples. Useful for adding an attack sound or noise." },
        { "show", "attack_file", "Sample Browser::You can change attack samples using the PREV and NEXT buttons.//You can also DRAG a sample file in from elsewhere or click LOAD SAMPLE to use a regular file browser" },
        { "show", "body", "Body::A kick drum synthesiser. Use this to make the weighty bass end of your kick and the sample section to make the attack.  But you can experiment.  Trance kick drums can be made just with the BODY section" },
        { "show", "output", "Meter::Thudmor factory presets peak around -6db - deliberately lower than some plugins. It's a good level for starting a track with a heavy kick drum and the mixer fader at 0db.  The first bright yellow LED in the meter is -9db. See the manual more info." },
        { "show", "master_wave", "Wave Button::Access distortion and waveform settings for more creative or aggressive sounds" },
        { "show", "body_mode", "Body Mode::Different kick drum models.//ORIG is great at house and pop sounds and TOUGH has a more electronic sound." },
        { "show", "body_note", "Note Menu::Allows you to set a specific note, e.g. C1, as the target frequency of the kick drum" },
        { "show", "body_end", "End Frequency::Or, if you don't care about a specific pitch, just turn this knob till it sounds right!" },
        { "show", "thumbnail", "Waveform Display::Drag from here to export your drum. Click to zoom in and out." },
        { "show", "master_edit", "Edit Button::Some more advanced sound shaping tweaks are in this window, let me show you..." },
        { "reveal", "tweaks", "" },
        { "show", "tweaks_toughchirp", "Tune Attack::This is only enabled in TOUGH mode but will help you tune the aggressive attack" },
        { "show", "tweaks_midikeys", "MIDI Keyboard Control:: If you want to play the pitch of your drum on the keyboard set this to MIDI.  The End frequency dial will have a red outline when you enable this." },
        { "hide", "tweaks", "" },
        { "show", "master_autoplay", "Auto Play:: This plays a kick drum on every beat.  It's handy for previewing, or just starting a track quickly.." },
        { "show", "master_info", nullptr },
        { "show", "master_file", "FILE Button::Load presets. How about starting here and clicking Browse to listen to some presets now?" },
    };
    // clang-format on

    const ShippedDocument document;
    const auto* tour = document.getTour();
    ASSERT_NE (tour, nullptr);
    ASSERT_EQ (tour->getNumChildElements(), (int) std::size (steps));

    for (int i = 0; i < tour->getNumChildElements(); ++i)
    {
        const auto& step = steps[i];
        const auto& child = *tour->getChildElement (i);
        SCOPED_TRACE ("step " + std::to_string (i + 1));

        EXPECT_EQ (child.getTagName(), step.kind);
        EXPECT_EQ (child.getStringAttribute ("tag"), step.target);
        if (*step.target != 0)
        {
            EXPECT_NE (document.find (step.target), nullptr) << "no element " << step.target;
        }
        if (step.text != nullptr)
        {
            EXPECT_EQ (child.getAllSubText(), step.text);
        }
    }

    const auto infoStep = tour->getChildElement (16)->getAllSubText();
    EXPECT_EQ (infoStep.upToFirstOccurrenceOf ("::", false, false), "Info Page");
    EXPECT_TRUE (infoStep.contains ("manual")) << infoStep;
    EXPECT_TRUE (infoStep.contains ("version")) << infoStep;
}

TEST (GuiLayout, PresetManagersAndDropDownsNameTheirFoldersAndGroups)
{
    struct Manager
    {
        const char* key;
        const char* folder;
        const char* group;
        const char* channel;
        const char* title;
        bool packBuilder;
    };
    const Manager managers[]{
        { "attackpresets", "attack", "attack", "", "Attack Preset Manager", false },
        { "attack2presets", "attack", "attack2", "2", "Attack Preset Manager", false },
        { "masterpresets", "main", "all", "", "Preset Manager", true },
    };
    struct DropDown
    {
        const char* key;
        const char* folder;
        const char* group;
        const char* channel;
    };
    const DropDown dropDowns[]{
        { "attack_filebutton", "attack", "attack", "1" },
        { "attack2_filebutton", "attack", "attack2", "2" },
        { "master_file", "main", "all", "" },
    };

    const ShippedDocument document;
    for (const auto& m : managers)
    {
        SCOPED_TRACE (m.key);
        const auto* element = document.find (m.key);
        ASSERT_NE (element, nullptr);
        EXPECT_EQ (element->getChildElementAllSubText ("folder", {}), m.folder);
        EXPECT_EQ (element->getChildElementAllSubText ("presetgroup", {}), m.group);
        EXPECT_EQ (element->getChildElementAllSubText ("title", {}).trim(), m.title);
        EXPECT_EQ (element->getStringAttribute ("channel"), m.channel);
        EXPECT_EQ (element->getChildByName ("enablepackbuilder") != nullptr, m.packBuilder);
        // The manager's own preset group is its child text; an attribute would put the
        // element itself into a group.
        EXPECT_FALSE (element->hasAttribute ("presetgroup"));
    }
    for (const auto& d : dropDowns)
    {
        SCOPED_TRACE (d.key);
        const auto* element = document.find (d.key);
        ASSERT_NE (element, nullptr);
        const auto* action = element->getChildByName ("action");
        ASSERT_NE (action, nullptr);
        const auto* dropDown = action->getChildByName ("presetdropdown");
        ASSERT_NE (dropDown, nullptr);
        EXPECT_EQ (dropDown->getStringAttribute ("folder"), d.folder);
        EXPECT_EQ (dropDown->getStringAttribute ("presetgroup"), d.group);
        EXPECT_EQ (dropDown->getStringAttribute ("channel"), d.channel);
    }
}
