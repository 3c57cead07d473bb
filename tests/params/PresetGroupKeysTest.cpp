#include "params/PresetGroupKeys.h"
#include "params/ShippedDocument.h"
#include "params/StringArrayPrinter.h"

#include <gtest/gtest.h>

namespace
{
juce::StringArray sorted (juce::StringArray array)
{
    array.sort (false);
    return array;
}

// Inheritance through several levels, own attributes (even empty ones), lists and "none".
const char* const groupDocument = R"(
<root>
  <key_map>
    <key name="Plain Key"/>
    <key name="grouped" presetgroup="attack"/>
    <entry name="never_saved" presetgroup="none"/>
  </key_map>
  <object name="top"/>
  <container name="outer" presetgroup="attack">
    <object name="inherits"/>
    <object name="own" presetgroup="attack2"/>
    <object name="leaves" presetgroup=""/>
    <object name="both" presetgroup="attack,all"/>
    <object name="never" presetgroup="none"/>
    <container name="middle">
      <container name="inner" presetgroup="">
        <parameter name="deep"/>
      </container>
      <parameter name="p"/>
    </container>
  </container>
  <object name="after"/>
  <Container name="split" presetgroup="a,,b"/>
</root>)";
} // namespace

TEST (PresetGroupKeys, SettlesEachKeysGroups)
{
    struct Case
    {
        const char* key;
        juce::StringArray groups;
    };
    const Case cases[]{
        { "Plain Key", { "all" } },
        { "grouped", { "attack", "all" } },
        { "never_saved", { "none" } },
        { "top", { "all" } },
        { "outer", { "attack", "all" } },
        { "outer_inherits", { "attack", "all" } },
        { "outer_own", { "attack2", "all" } },
        { "outer_leaves", { "all" } },
        { "outer_both", { "attack", "all" } },
        { "outer_never", { "none" } },
        { "outer_middle", { "attack", "all" } },
        // An empty own text leaves the container itself in "all" only, but its children
        // still inherit from the nearest container that names a group.
        { "outer_middle_inner", { "all" } },
        { "outer_middle_inner_deep", { "attack", "all" } },
        { "outer_middle_p", { "attack", "all" } },
        { "after", { "all" } },
        { "split", { "a", "b", "all" } },
        { "unknown", {} },
    };

    const PresetGroupKeys groups (groupDocument);
    for (const auto& c : cases)
        EXPECT_EQ (sorted (groups.getGroupsOfKey (c.key)), sorted (c.groups)) << c.key;
}

TEST (PresetGroupKeys, ListsTheKeysOfAGroupOnceInDocumentOrder)
{
    const PresetGroupKeys groups (groupDocument);

    EXPECT_EQ (groups.getKeysOfGroup ("attack"),
               juce::StringArray ({ "grouped", "outer", "outer_inherits", "outer_both", "outer_middle",
                                    "outer_middle_inner_deep", "outer_middle_p" }));
    EXPECT_EQ (groups.getKeysOfGroup ("all"),
               juce::StringArray ({ "Plain Key", "grouped", "top", "outer", "outer_inherits", "outer_own",
                                    "outer_leaves", "outer_both", "outer_middle", "outer_middle_inner",
                                    "outer_middle_inner_deep", "outer_middle_p", "after", "split" }));
    EXPECT_EQ (groups.getKeysOfGroup ("none"), juce::StringArray ({ "never_saved", "outer_never" }));
    EXPECT_TRUE (groups.getKeysOfGroup ("attack3").isEmpty());
    EXPECT_TRUE (groups.getKeysOfGroup ("").isEmpty());
}

TEST (PresetGroupKeys, UnreadableDocumentHasNoGroups)
{
    const PresetGroupKeys groups ("<root><object name=\"a\"");
    EXPECT_TRUE (groups.getKeysOfGroup ("all").isEmpty());
    EXPECT_TRUE (groups.getGroupsOfKey ("a").isEmpty());
}

// What main presets and attack banks save from the shipped document.
TEST (PresetGroupKeys, ShippedGroupsSelectWhatEachPresetKindSaves)
{
    const PresetGroupKeys groups;

    EXPECT_EQ (groups.getKeysOfGroup ("attack"),
               juce::StringArray ({ "preset_name_attack", "attack", "attack_solo", "attack_highpass", "attack_decay",
                                    "attack_gain", "attack_file", "attack_filebutton", "tweaks_attack2pitch",
                                    "tweaks_attackpitch" }));
    EXPECT_EQ (groups.getKeysOfGroup ("attack2"),
               juce::StringArray ({ "attack2", "attack2_solo", "attack2_highpass", "attack2_decay", "attack2_gain",
                                    "attack2_file", "attack2_filebutton" }));
    EXPECT_EQ (groups.getKeysOfGroup ("none"),
               juce::StringArray ({ "body_splitattack", "master_oneshot", "master_autoplay" }));

    // A main preset saves every key but the session switches, in document order.
    const ShippedDocument document;
    juce::StringArray everyKeyButNone;
    for (const auto& e : document.getElements())
    {
        everyKeyButNone.add (e.key);
        if (e.key == "errordialog") // the key map stands right after the error dialog
            everyKeyButNone.addArray (document.getKeyMapKeys());
    }
    everyKeyButNone.removeString ("body_splitattack");
    everyKeyButNone.removeString ("master_oneshot");
    everyKeyButNone.removeString ("master_autoplay");
    EXPECT_EQ (groups.getKeysOfGroup ("all"), everyKeyButNone);

    struct Case
    {
        const char* key;
        juce::StringArray groups;
    };
    const Case cases[]{
        { "preset_name_all", { "all" } },
        { "preset_name_attack", { "attack", "all" } },
        { "attack_file", { "attack", "all" } },
        { "attack2_file", { "attack2", "all" } },
        { "attackoverlay_enable1", { "all" } },
        { "attackoverlay_enable2", { "all" } },
        { "tweaks_attack2pitch", { "attack", "all" } },
        { "body_splitattack", { "none" } },
    };
    for (const auto& c : cases)
        EXPECT_EQ (sorted (groups.getGroupsOfKey (c.key)), sorted (c.groups)) << c.key;
}
