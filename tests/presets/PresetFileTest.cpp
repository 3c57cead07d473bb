#include "PresetTestRig.h"

#include "presets/PresetFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace
{
const juce::String attackEntryPreset = R"(<?xml version="1.0" encoding="UTF-8"?>
<VELLMARK>
  <float attack_gain="0.5"/>
  <data>
    <preset_name_attack>Bank</preset_name_attack>
    <ATTACK_FILE><file name="C:\Samples\Kicks/Deep Click.wav"/></ATTACK_FILE>
    <attack2_file/>
  </data>
</VELLMARK>
)";
} // namespace

TEST (PresetFile, ReadFailuresNameThePathAndResetTheDocument)
{
    const ScopedTestFolder folder;
    const auto garbage = writeTextFile (folder.get().getChildFile ("Broken.preset"), "<VELLMARK><float a=\"1\"");
    const auto missing = folder.get().getChildFile ("Missing.preset");

    struct Case
    {
        juce::String path;
        juce::String error;
    };
    const Case cases[]{
        { "", "Cannot read file " },
        { missing.getFullPathName(), "Cannot read file " + missing.getFullPathName() },
        { folder.get().getFullPathName(), "Cannot read file " + folder.get().getFullPathName() },
        { "relative/Name.preset", "Cannot read file relative/Name.preset" },
        { garbage.getFullPathName(), "Invalid preset file " + garbage.getFullPathName() },
    };

    for (const auto& c : cases)
    {
        PresetFile preset;
        preset.getXml().createNewChildElement ("float")->setAttribute ("body_decay", "10");
        EXPECT_FALSE (preset.read (c.path)) << c.path;
        EXPECT_EQ (preset.getError(), c.error);
    }

    PresetFile preset;
    preset.setBlurb ("stale");
    ASSERT_FALSE (preset.read (garbage.getFullPathName()));
    EXPECT_TRUE (preset.getXml().hasTagName ("VELLMARK"));
    EXPECT_EQ (preset.getXml().getNumChildElements(), 0);
    EXPECT_TRUE (preset.getBlurb().isEmpty());
    EXPECT_TRUE (preset.getFile().isEmpty());
}

TEST (PresetFile, ReadNamesThePresetAfterItsFileAndTranslates)
{
    const ScopedTestFolder folder;
    const auto file = writeTextFile (folder.get().getChildFile ("Big Boom.preset"), R"(<vellmark>
  <float attack_attack="1"/>
  <DATA><preset_name_all>Something Else</preset_name_all><blurb>Deep and long</blurb></DATA>
  <info version="1.1" compatibilitymode="2"/>
</vellmark>)");

    PresetTranslatorThudmor translator;
    PresetFile preset (&translator);
    ASSERT_TRUE (preset.read (file.getFullPathName()));
    EXPECT_TRUE (preset.getError().isEmpty());
    EXPECT_EQ (preset.getFile(), file.getFullPathName());
    EXPECT_EQ (preset.getBlurb(), "Deep and long");
    EXPECT_FALSE (preset.getImage().isValid());
    EXPECT_EQ (preset.getDataEntry ("preset_name_all")->getAllSubText(), "Big Boom");

    const auto* floats = preset.getXml().getChildByName ("float");
    EXPECT_EQ (floats->getStringAttribute ("attackoverlay_enable1"), "1");
    EXPECT_FALSE (floats->hasAttribute ("attack_attack"));

    // Without a translator the document stays as written, and no name entry is invented.
    const auto plain = writeTextFile (folder.get().getChildFile ("Plain.preset"),
                                      "<VELLMARK><float attack_attack=\"1\"/><data/><info/></VELLMARK>");
    PresetFile untranslated;
    ASSERT_TRUE (untranslated.read (plain.getFullPathName()));
    EXPECT_TRUE (untranslated.getXml().getChildByName ("float")->hasAttribute ("attack_attack"));
    EXPECT_EQ (untranslated.getDataEntry ("preset_name_all"), nullptr);
}

TEST (PresetFile, DataEntryLookupsReportWhatIsMissing)
{
    const ScopedTestFolder folder;
    const auto file = writeTextFile (folder.get().getChildFile ("Bank.preset"), attackEntryPreset);

    PresetFile preset;
    ASSERT_TRUE (preset.read (file.getFullPathName()));

    EXPECT_EQ (preset.getDisplayFileName ("attack_file"), "Deep Click.wav");
    EXPECT_TRUE (preset.getError().isEmpty());

    struct Case
    {
        juce::String key;
        juce::String error;
    };
    const Case cases[]{
        { "attack2_file", "Could not find <file> inside attack2_file" },
        { "blurb", "Could not find <data><ref> where <ref> = blurb" },
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ (preset.getDisplayFileName (c.key), "") << c.key;
        EXPECT_EQ (preset.getError(), c.error);
    }

    preset.setDataFileName ("attack_file", "/new/place/Other.wav");
    EXPECT_EQ (preset.getDisplayFileName ("attack_file"), "Other.wav");
    preset.setDataFileName ("attack2_file", "/x.wav");
    EXPECT_EQ (preset.getError(), "Could not find <file> inside attack2_file");

    PresetFile empty;
    EXPECT_EQ (empty.getDataEntry ("attack_file"), nullptr);
    EXPECT_EQ (empty.getError(), "Could not find <data>");
}

TEST (PresetFile, WritesAHeaderAndCrLfAndReadsBackBlurbAndPicture)
{
    const ScopedTestFolder folder;
    const auto source = writeTextFile (folder.get().getChildFile ("Bank.preset"), attackEntryPreset);

    PresetFile preset;
    ASSERT_TRUE (preset.read (source.getFullPathName()));
    preset.setBlurb ("  first  ");
    preset.setBlurb ("\n A click with a tail \t");

    juce::Image picture (juce::Image::ARGB, 40, 30, true);
    picture.setPixelAt (0, 0, juce::Colours::red);
    ASSERT_TRUE (preset.setImage (picture));
    EXPECT_EQ (preset.getImage().getWidth(), PresetFile::imageSize);
    EXPECT_EQ (preset.getImage().getHeight(), PresetFile::imageSize);

    const auto target = folder.get().getChildFile ("Written.preset");
    ASSERT_TRUE (preset.write (target.getFullPathName()));
    EXPECT_EQ (preset.getFile(), target.getFullPathName());

    const auto text = readFileText (target);
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    EXPECT_FALSE (text.replace ("\r\n", "").containsChar ('\n'));

    PresetFile again;
    ASSERT_TRUE (again.read (target.getFullPathName()));
    EXPECT_EQ (again.getBlurb(), "A click with a tail");
    EXPECT_EQ (again.getImage().getWidth(), PresetFile::imageSize);
    const auto* data = again.getXml().getChildByName ("data");
    EXPECT_EQ (data->getNumChildElements(), 5) << "blurb and image replaced, not added twice";

    // No hidden temporary file is left behind beside the preset.
    EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFiles, "*"), 2);
}

TEST (PresetFile, ImagesAndBlurbsNeedDataAndDamagedPicturesReadAsNone)
{
    PresetFile preset;
    EXPECT_FALSE (preset.setImage ({}));
    EXPECT_FALSE (preset.setImage (juce::Image (juce::Image::RGB, 100, 100, true)));
    EXPECT_TRUE (preset.getImage().isValid()) << "kept although the document has no data";
    preset.setBlurb ("kept");
    EXPECT_EQ (preset.getBlurb(), "kept");
    EXPECT_EQ (preset.getXml().getNumChildElements(), 0);

    const ScopedTestFolder folder;
    for (const auto* imageText : { "-1.AAAA", "4000000000.AB", "12.not-a-picture-at-all", "garbage", "" })
    {
        const auto file =
            writeTextFile (folder.get().getChildFile ("Pic.preset"),
                           "<VELLMARK><data><image>" + juce::String (imageText) + "</image></data></VELLMARK>");
        PresetFile damaged;
        EXPECT_TRUE (damaged.read (file.getFullPathName())) << imageText;
        EXPECT_FALSE (damaged.getImage().isValid()) << imageText;
    }
}

TEST (PresetFile, SetFloatBuildsABankFromScratch)
{
    PresetFile preset;
    preset.setFloat ("attack_gain", 0.25f);
    preset.setFloat ("attack_decay", 150.0f);

    const auto& xml = preset.getXml();
    ASSERT_EQ (xml.getNumChildElements(), 2);
    EXPECT_EQ (xml.getChildElement (0)->getTagName(), "float");
    EXPECT_EQ (xml.getChildElement (0)->getStringAttribute ("attack_gain"), "0.25");
    EXPECT_EQ (xml.getChildElement (0)->getStringAttribute ("attack_decay"), "150");
    EXPECT_EQ (xml.getChildElement (1)->getStringAttribute ("version"), "1.9.7");
    EXPECT_EQ (xml.getChildElement (1)->getStringAttribute ("plugin"), "Thud Mor");
}

TEST (PresetFile, RefusesPathsNoOneCanWrite)
{
    const ScopedTestFolder folder;
    const auto regular = writeTextFile (folder.get().getChildFile ("plain.txt"), "not a folder");
    folder.get().getChildFile ("Folder.preset/Inside.preset").create();

    PresetFile preset;
    preset.setFloat ("body_decay", 100.0f);

    // A path below a regular file cannot be written by anyone, root included.
    for (const auto& path : { regular.getChildFile ("Name.preset").getFullPathName(),
                              folder.get().getChildFile ("Folder.preset").getFullPathName(),
                              folder.get().getChildFile ("missing/Name.preset").getFullPathName(), juce::String() })
    {
        EXPECT_FALSE (preset.write (path)) << path;
        EXPECT_EQ (preset.getError(), "Cannot save to this location.  It is read-only.");
    }
    EXPECT_TRUE (folder.get().getChildFile ("Folder.preset/Inside.preset").existsAsFile());
}

TEST (PresetFile, ReadOnlyFileOrFolderIsRefusedAndTheFileKept)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";

    const ScopedTestFolder folder;
    const auto existing = writeTextFile (folder.get().getChildFile ("Keep.preset"), "original");
    PresetFile preset;
    preset.setFloat ("body_decay", 100.0f);

    existing.setReadOnly (true);
    EXPECT_FALSE (preset.write (existing.getFullPathName()));
    EXPECT_EQ (preset.getError(), "Cannot save to this location.  It is read-only.");
    existing.setReadOnly (false);

    folder.get().setReadOnly (true);
    EXPECT_FALSE (preset.write (existing.getFullPathName()));
    EXPECT_EQ (preset.getError(), "Cannot save to this location.  It is read-only.");
    folder.get().setReadOnly (false);
    EXPECT_EQ (readFileText (existing), "original");
}
