#include "params/ProcessorParameterStore.h"
#include "common/LogCapture.h"
#include "params/GuiDocument.h"
#include "params/ParameterNumbers.h"
#include "params/StringArrayPrinter.h"
#include "support/XmlParsing.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace
{
std::unique_ptr<juce::XmlElement> xml (const juce::String& text)
{
    auto element = parseXmlSafely (text);
    EXPECT_NE (element, nullptr) << text;
    return element;
}

juce::StringArray childTags (const juce::XmlElement& element)
{
    juce::StringArray tags;
    for (const auto* child : element.getChildIterator())
        tags.add (child->getTagName());
    return tags;
}

class ShippedStore : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (store.buildFromDocument (getXmlConfiguration()));
        store.copyValuesToDefaults();
    }

    [[nodiscard]] std::array<float, Param::count> values() const
    {
        std::array<float, Param::count> v{};
        for (int n = 0; n < Param::count; ++n)
            v[(size_t) n] = store.getValue (n);
        return v;
    }

    [[nodiscard]] juce::StringArray dataTags() const { return childTags (*store.getAllNonParameterDataCopy()); }

    [[nodiscard]] juce::String dataText (const juce::String& key) const
    {
        const auto entry = store.getNonParameterDataCopy (key);
        return entry != nullptr ? entry->getAllSubText() : juce::String ("<missing>");
    }

    void apply (const juce::String& text, bool mergeData, bool applyCompatibility)
    {
        const auto state = xml (text);
        store.setStateInformationFromXml (state.get(), mergeData, applyCompatibility);
    }

    // Reads every pending change flag, so that a test sees only what it caused.
    void drainFlags (const juce::StringArray& keys)
    {
        for (const auto& key : keys)
            for (int consumer = 0; consumer < ProcessorParameterStore::consumerCount; ++consumer)
                (void) store.takeDataChanged (key, consumer);
    }

    ProcessorParameterStore store;
};
} // namespace

TEST_F (ShippedStore, HostSeesThirtyFourParametersInSlotOrder)
{
    const char* const names[]{ "Attack Enable",  "Attack HPF",        "Attack Decay",     "Attack Gain",
                               "Body Enable",    "Body Attack",       "Body Hold",        "Body Decay",
                               "Body Deep",      "Body Curve",        "Body Pitch Start", "Body Pitch Decay",
                               "Body Pitch End", "Shaper A Position", "Shaper A Width",   "Shaper A Cut",
                               "Drive",          "High Pass",         "Sample Pitch",     "Vel Sens",
                               "Body Gain",      "Master Level",      "One Shot Enable",  "Shaper B Punch",
                               "Tune Attack",    "EQ Gain",           "EQ Frequency",     "EQ Hi Shelf",
                               "Phase",          "Attack Enable",     "Attack HPF",       "Attack Decay",
                               "Attack Gain",    "Sample 2 Pitch" };

    ASSERT_EQ (store.getNumParameters(), (int) std::size (names));
    for (int slot = 0; slot < store.getNumParameters(); ++slot)
        EXPECT_EQ (store.getParameterName (slot), names[slot]) << slot;

    EXPECT_EQ (store.getKey (store.getParameterNumberOfSlot (0)), "attackoverlay_enable1");
    EXPECT_EQ (store.getKey (store.getParameterNumberOfSlot (33)), "tweaks_attack2pitch");
    EXPECT_EQ (store.getNumBuiltParameters(), Param::count);
}

TEST_F (ShippedStore, IndexesPastTheLastSlotAreInert)
{
    const auto before = values();
    for (const int slot : { 34, 40, 1000 })
    {
        EXPECT_EQ (store.getParameterName (slot), "Unknown");
        EXPECT_EQ (store.getParameter (slot), 0.0f);
        EXPECT_EQ (store.getParameterDefaultValue (slot), 0.0f);
        store.setParameter (slot, 0.75f);
    }
    EXPECT_EQ (values(), before);
    EXPECT_TRUE (store.getParameterText (0).isEmpty());
}

TEST_F (ShippedStore, NormalisesThroughTheSkew)
{
    const auto slot = store.getSlotOfParameter (Param::bodyDecay);
    const auto expected = std::pow ((50.0f - 15.0f) / 4985.0f, 0.32f);

    EXPECT_NEAR (expected, 0.2046f, 1e-4f);
    EXPECT_FLOAT_EQ (store.getParameterDefaultValue (slot), expected);
    EXPECT_FLOAT_EQ (store.getParameter (slot), expected);

    // Host positions come back as the values they stand for.
    store.setParameter (slot, expected);
    EXPECT_NEAR (store.getValue (Param::bodyDecay), 50.0f, 1e-3f);
}

TEST_F (ShippedStore, EndsOfTheHostRangeGiveExactlyMinimumAndMaximum)
{
    for (int slot = 0; slot < store.getNumParameters(); ++slot)
    {
        const auto n = store.getParameterNumberOfSlot (slot);
        SCOPED_TRACE (store.getKey (n).toStdString());

        store.setParameter (slot, 0.0f);
        EXPECT_EQ (store.getValue (n), store.getMinimum (n));
        EXPECT_EQ (store.getParameter (slot), 0.0f);

        store.setParameter (slot, 1.0f);
        EXPECT_EQ (store.getValue (n), store.getMaximum (n));
        EXPECT_EQ (store.getParameter (slot), 1.0f);
    }
}

TEST_F (ShippedStore, StoredValuesOutsideTheRangeAreKeptAndShownClamped)
{
    struct Case
    {
        Param::Number parameter;
        const char* text;
        float value;
        float normalised;
    };
    const Case cases[]{
        { Param::bodyDecay, "20000", 20000.0f, 1.0f },
        { Param::bodyDecay, "5", 5.0f, 0.0f },      // below the minimum under a skew: no real position
        { Param::tweaksPunch, "-3", -3.0f, 0.0f },  // linear
        { Param::tweaksEqGain, "45", 45.0f, 1.0f }, // linear
    };

    for (const auto& c : cases)
    {
        const auto key = juce::String (Param::keys[(size_t) c.parameter].data());
        SCOPED_TRACE (key + "=" + c.text);
        apply ("<VELLMARK><float " + key + "=\"" + c.text + "\"/></VELLMARK>", true, false);

        EXPECT_EQ (store.getValue (c.parameter), c.value);
        const auto normalised = store.getParameter (store.getSlotOfParameter (c.parameter));
        EXPECT_TRUE (std::isfinite (normalised));
        EXPECT_EQ (normalised, c.normalised);
    }
}

TEST_F (ShippedStore, ParameterTextReadsAsANumberOrZero)
{
    struct Case
    {
        const char* text;
        float value;
    };
    const Case cases[]{
        { "0.25", 0.25f }, { "-1e38", -1e38f }, { "12abc", 12.0f }, // leading number, trailing text ignored
        { "abc", 0.0f },   { "", 0.0f },        { "nan", 0.0f },
        { "inf", 0.0f },   { "-inf", 0.0f },    { "1e39", 0.0f }, // beyond a float: not a value a parameter can hold
    };

    auto* parameter = store.getParameterObject (Param::bodyDecay);
    ASSERT_NE (parameter, nullptr);
    for (const auto& c : cases)
    {
        store.setValue (Param::bodyDecay, 77.0f);
        parameter->setFromString (c.text);
        EXPECT_EQ (store.getValue (Param::bodyDecay), c.value) << '"' << c.text << '"';
    }
}

TEST_F (ShippedStore, ParameterTextHasSixSignificantDigits)
{
    struct Case
    {
        float value;
        const char* text;
    };
    const Case cases[]{ { 0.5f, "0.5" }, { 150.0f, "150" }, { 1.0f / 3.0f, "0.333333" }, { -24.0f, "-24" } };

    const auto* parameter = store.getParameterObject (Param::bodyDecay);
    ASSERT_NE (parameter, nullptr);
    for (const auto& c : cases)
    {
        store.setValue (Param::bodyDecay, c.value);
        EXPECT_EQ (parameter->toString(), c.text);
    }
}

TEST_F (ShippedStore, StateSetsTheNamedParametersOnly)
{
    store.setValue (Param::bodyHold, 123.0f);
    apply ("<VELLMARK><Parameters body_decay=\"300\" Body_Attack=\"9\" nosuch=\"1\"/>"
           "<FLOAT master_level=\"1.5\"/></VELLMARK>",
           true, false);

    EXPECT_EQ (store.getValue (Param::bodyDecay), 300.0f);
    EXPECT_EQ (store.getValue (Param::masterLevel), 1.5f);
    EXPECT_EQ (store.getValue (Param::bodyAttack), 1.0f); // attribute names are exact
    EXPECT_EQ (store.getValue (Param::bodyHold), 123.0f);
    EXPECT_TRUE (store.stateApplied);
}

TEST_F (ShippedStore, NullStateIsLoggedAndOnlyMarksTheDataChanged)
{
    apply ("<VELLMARK><data><attack_file>A</attack_file></data></VELLMARK>", false, false);
    drainFlags ({ "attack_file" });
    store.stateApplied = false;
    store.stateDataReplaced = false;
    const auto before = values();
    const LogCapture log;

    store.setStateInformationFromXml (nullptr, false, true);

    EXPECT_TRUE (log.contains ("setStateInformationFromXml", "ERROR", "called with null pointer"));
    EXPECT_EQ (values(), before);
    EXPECT_EQ (dataText ("attack_file"), "A");
    EXPECT_TRUE (store.stateApplied);
    EXPECT_TRUE (store.stateDataReplaced);
    EXPECT_TRUE (store.takeDataChanged ("attack_file", 0));
}

TEST_F (ShippedStore, StateWithAnotherRootChangesNothing)
{
    apply ("<VELLMARK><data><attack_file>A</attack_file></data></VELLMARK>", false, false);
    drainFlags ({ "attack_file" });
    store.stateApplied = false;
    store.stateDataReplaced = false;
    const auto before = values();
    const LogCapture log;

    apply ("<PRESET><float body_decay=\"300\"/><data><attack_file>B</attack_file></data>"
           "<info compatibilitymode=\"1\"/></PRESET>",
           false, true);

    EXPECT_TRUE (log.contains ("setStateInformationFromXml", "ERROR", "Invalid XML; VELLMARK tag not found"));
    EXPECT_EQ (values(), before);
    EXPECT_EQ (dataText ("attack_file"), "A");
    EXPECT_EQ (store.getCompatibilityMode(), 2);
    EXPECT_FALSE (store.stateApplied);
    EXPECT_FALSE (store.stateDataReplaced);
    EXPECT_FALSE (store.takeDataChanged ("attack_file", 0));
}

TEST_F (ShippedStore, MergedEntriesReplaceTheirNamesakesAtTheEnd)
{
    apply ("<VELLMARK><data><attack_file>old</attack_file><attack2_file>two</attack2_file></data></VELLMARK>", false,
           false);
    apply ("<vellmark><NonParameterData><ATTACK_FILE>new</ATTACK_FILE><preset_name_all>Kick</preset_name_all>"
           "</NonParameterData></vellmark>",
           true, false);

    EXPECT_EQ (dataTags(), juce::StringArray ({ "attack2_file", "ATTACK_FILE", "preset_name_all" }));
    EXPECT_EQ (dataText ("attack_file"), "new");
    EXPECT_EQ (dataText ("attack2_file"), "two");
    EXPECT_EQ (store.getAllNonParameterDataCopy()->getTagName(), "data"); // merging keeps the stored tag
}

TEST_F (ShippedStore, ReplacedDataKeepsForeignEntriesAndItsOwnTag)
{
    apply ("<VELLMARK><data><attack2_file>two</attack2_file></data></VELLMARK>", false, false);
    const LogCapture log;

    apply ("<VELLMARK><NonParameterData origin=\"old\"><attack_file>A</attack_file><mystery x=\"1\"/>"
           "</NonParameterData></VELLMARK>",
           false, false);

    EXPECT_TRUE (log.contains ("setAllNonParameterData", "DEBUG", "called"));
    const auto copy = store.getAllNonParameterDataCopy();
    EXPECT_EQ (copy->getTagName(), "NonParameterData");
    EXPECT_EQ (copy->getStringAttribute ("origin"), "old");
    EXPECT_EQ (childTags (*copy), juce::StringArray ({ "attack_file", "mystery" }));
    EXPECT_EQ (store.getNonParameterDataCopy ("MYSTERY")->getStringAttribute ("x"), "1");
    EXPECT_EQ (store.getNonParameterDataCopy ("attack2_file"), nullptr);
    EXPECT_TRUE (store.stateDataReplaced);
}

TEST_F (ShippedStore, SingleEntryIsReplacedInPlaceAndFlaggedForEveryConsumer)
{
    apply ("<VELLMARK><data><a>1</a><attack_file>A</attack_file><c>3</c></data></VELLMARK>", false, false);
    drainFlags ({ "a", "attack_file", "c" });

    store.setNonParameterData (*xml ("<Attack_File>B</Attack_File>"));
    store.setNonParameterData (*xml ("<preset_name_all>Kick</preset_name_all>"));

    EXPECT_EQ (dataTags(), juce::StringArray ({ "a", "Attack_File", "c", "preset_name_all" }));
    EXPECT_EQ (dataText ("attack_file"), "B");
    for (int consumer = 0; consumer < ProcessorParameterStore::consumerCount; ++consumer)
    {
        EXPECT_TRUE (store.takeDataChanged ("Attack_File", consumer)) << consumer;
        EXPECT_FALSE (store.takeDataChanged ("a", consumer)) << consumer;
    }
}

TEST_F (ShippedStore, ChangeFlagsAreReadOncePerConsumer)
{
    EXPECT_FALSE (store.takeDataChanged ("attack_file", 1)); // never set

    apply ("<VELLMARK><data><attack_file>A</attack_file></data></VELLMARK>", true, false);

    EXPECT_TRUE (store.takeDataChanged ("attack_file", 1));
    EXPECT_FALSE (store.takeDataChanged ("attack_file", 1));
    EXPECT_TRUE (store.takeDataChanged ("attack_file", 0));
    EXPECT_TRUE (store.takeDataChanged ("attack_file", 2));

    // Every applied state marks all entries again, even one without data.
    apply ("<VELLMARK/>", true, false);
    EXPECT_TRUE (store.takeDataChanged ("attack_file", 1));
}

TEST_F (ShippedStore, InfoSelectsTheCompatibilityMode)
{
    struct Case
    {
        const char* info; // nullptr: the state has no info element
        bool applyCompatibility;
        int startMode;
        int mode;
        bool isLatest;
    };
    const Case cases[]{
        { "<info/>", true, 2, 1, false }, // missing attribute: the oldest mode
        { "<info compatibilitymode=\"1\"/>", true, 2, 1, false },
        { "<info compatibilitymode=\"2\"/>", true, 1, 2, true },
        { "<info compatibilitymode=\"0\"/>", true, 1, 2, true }, // out of range: the latest
        { "<info compatibilitymode=\"7\"/>", true, 1, 2, true },
        { "<INFO compatibilitymode=\"abc\"/>", true, 1, 2, true },
        { "<info compatibilitymode=\"2\"/>", false, 1, 1, false }, // presets leave the mode alone
        { nullptr, true, 1, 1, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.info != nullptr ? c.info : "no info");
        store.setCompatibilityMode (c.startMode);
        store.isLatestCompatibilityMode = c.startMode == 2;

        apply (juce::String ("<VELLMARK>") + (c.info != nullptr ? c.info : "") + "</VELLMARK>", false,
               c.applyCompatibility);

        EXPECT_EQ (store.getCompatibilityMode(), c.mode);
        EXPECT_EQ ((int) store.getCompatibilityModeValue().getValue(), c.mode);
        EXPECT_EQ (store.isLatestCompatibilityMode.load(), c.isLatest);
    }
}

TEST (ProcessorParameterStoreBuild, RejectsDocumentsThatDoNotFit)
{
    const auto withExtraParameter = []
    {
        auto root = parseXmlSafely (getXmlConfiguration());
        root->addChildElement (new juce::XmlElement ("parameter"));
        return root->toString();
    }();
    const auto withUnknownOrderEntry =
        getXmlConfiguration().replace ("attack_gain=3,", "attack_gain=3,\n      nosuchparameter,");

    struct Case
    {
        const char* what;
        juce::String document;
        const char* logStart;
    };
    const Case cases[]{
        { "42 parameters", withExtraParameter, "GUI document rejected: the document defines 42 parameters" },
        { "unknown order entry", withUnknownOrderEntry,
          "GUI document rejected: the automation order names \"nosuchparameter\"" },
        { "unreadable", "<root><parameter name=\"a\">", "GUI document rejected: the document does not parse" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ASSERT_NE (c.document, getXmlConfiguration());
        const LogCapture log;
        ProcessorParameterStore store;

        EXPECT_FALSE (store.buildFromDocument (c.document));
        EXPECT_TRUE (log.containsStart ("buildFromDocument", "ERROR", c.logStart));
        EXPECT_EQ (store.getNumParameters(), 0);
        EXPECT_EQ (store.getNumBuiltParameters(), 0);
        EXPECT_EQ (store.getParameterName (0), "Unknown");

        // A rejected store still takes states without harm, and can be built again.
        store.setStateInformationFromXml (xml ("<VELLMARK><float body_decay=\"300\"/></VELLMARK>").get(), true, false);
        EXPECT_TRUE (store.buildFromDocument (getXmlConfiguration()));
        EXPECT_EQ (store.getNumParameters(), 34);
    }
}
