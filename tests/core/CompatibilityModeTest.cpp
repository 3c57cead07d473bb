#include "core/StateDocument.h"
#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include <gtest/gtest.h>

namespace
{
struct Ranges
{
    float holdMax, holdSkew, decayMax, decaySkew, gainMax, gainSkew, widthMin;
};

constexpr Ranges version11{ 500.0f, 0.4f, 600.0f, 0.4f, 2.0f, 1.0f, 10.0f };
constexpr Ranges version12{ 1500.0f, 0.2f, 3000.0f, 0.35f, 4.0f, 0.5f, 2.5f };

Ranges rangesOf (const ProcessorParameterStore& s)
{
    return { s.getMaximum (Param::bodyHold),   s.getSkew (Param::bodyHold),      s.getMaximum (Param::bodyDecay),
             s.getSkew (Param::bodyDecay),     s.getMaximum (Param::attackGain), s.getSkew (Param::attackGain),
             s.getMinimum (Param::tweaksWidth) };
}

void expectRanges (const ProcessorParameterStore& store, const Ranges& expected)
{
    const auto actual = rangesOf (store);
    EXPECT_EQ (actual.holdMax, expected.holdMax);
    EXPECT_EQ (actual.holdSkew, expected.holdSkew);
    EXPECT_EQ (actual.decayMax, expected.decayMax);
    EXPECT_EQ (actual.decaySkew, expected.decaySkew);
    EXPECT_EQ (actual.gainMax, expected.gainMax);
    EXPECT_EQ (actual.gainSkew, expected.gainSkew);
    EXPECT_EQ (actual.widthMin, expected.widthMin);
}

void restore (VellmarkKick7702AudioProcessor& processor, const juce::String& infoElement)
{
    const auto document = juce::parseXML ("<VELLMARK><float body_decay=\"300\"/>" + infoElement + "</VELLMARK>");
    juce::MemoryBlock blob;
    writeStateBlob (*document, blob);
    processor.setStateInformation (blob.getData(), (int) blob.getSize());
}
} // namespace

TEST (CompatibilityMode, RestoredStatesSelectTheModeAndItsRanges)
{
    struct Case
    {
        const char* info;
        int mode;
        bool isLatest;
        const Ranges* ranges;
    };
    const Case cases[]{
        { "<info/>", 1, false, &version11 }, // saved before the mode existed
        { "<info compatibilitymode=\"1\"/>", 1, false, &version11 },
        { "<info compatibilitymode=\"2\"/>", 2, true, &version12 },
        { "<info compatibilitymode=\"0\"/>", 2, true, &version12 },
        { "<info compatibilitymode=\"7\"/>", 2, true, &version12 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.info);
        VellmarkKick7702AudioProcessor processor;
        restore (processor, c.info);
        const auto& store = processor.getParameterStore();
        EXPECT_EQ (store.getCompatibilityMode(), c.mode);
        EXPECT_EQ (store.isLatestCompatibilityMode.load(), c.isLatest);
        expectRanges (store, *c.ranges);
        // The stored value keeps its number; only its place on the host's scale moves.
        EXPECT_EQ (store.getValue (Param::bodyDecay), 300.0f);
    }
}

TEST (CompatibilityMode, StateWithoutInfoAndPresetsLeaveModeAndRangesAlone)
{
    VellmarkKick7702AudioProcessor processor;
    restore (processor, "<info compatibilitymode=\"1\"/>");
    restore (processor, "");
    auto& store = processor.getParameterStore();
    EXPECT_EQ (store.getCompatibilityMode(), 1);
    expectRanges (store, version11);

    // A preset in mode 2 is applied without compatibility.
    const auto preset =
        juce::parseXML ("<VELLMARK><float body_decay=\"200\"/><info compatibilitymode=\"2\"/></VELLMARK>");
    store.setStateInformationFromXml (preset.get(), true, false);
    EXPECT_EQ (store.getCompatibilityMode(), 1);
    expectRanges (store, version11);
}

TEST (CompatibilityMode, TranslatorAppliesOnlyKnownModes)
{
    VellmarkKick7702AudioProcessor processor;
    auto& store = processor.getParameterStore();
    auto& translator = processor.getTranslator();

    translator.applyCompatibilityMode (1, store);
    translator.applyCompatibilityMode (0, store);
    translator.applyCompatibilityMode (3, store);
    expectRanges (store, version11);

    // Back to the latest mode: its own ranges, not the document's 5000 ms decay.
    translator.applyCompatibilityMode (2, store);
    expectRanges (store, version12);
    EXPECT_EQ (translator.getCompatibilityModeNames(), juce::StringArray ({ "V1.1 Legacy", "V1.2" }));
    EXPECT_EQ (translator.getLatestCompatibilityMode(), 2);

    // The mode travels in the saved state.
    store.setCompatibilityMode (1);
    juce::MemoryBlock blob;
    processor.getStateInformation (blob);
    const auto saved = readStateBlob (blob.getData(), (int) blob.getSize());
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (saved->getChildByName ("info")->getIntAttribute ("compatibilitymode"), 1);
}
