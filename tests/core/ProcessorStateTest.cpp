#include "common/LogCapture.h"
#include "core/StateDocument.h"
#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include <gtest/gtest.h>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 256;

juce::AudioBuffer<float> renderNote (VellmarkKick7702AudioProcessor& processor, int numBlocks)
{
    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);
    // The attack samples are decoded now rather than whenever the loader thread gets to them.
    processor.getEngine().loadSamplesNow (KickEngine::live);
    juce::AudioBuffer<float> all (2, numBlocks * blockSize), block (2, blockSize);
    for (int b = 0; b < numBlocks; ++b)
    {
        juce::MidiBuffer midi;
        if (b == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 100), 3);
        processor.processBlock (block, midi);
        for (int c = 0; c < 2; ++c)
            all.copyFrom (c, b * blockSize, block, c, 0, blockSize);
    }
    return all;
}

std::vector<float> valuesOf (const ProcessorParameterStore& store)
{
    std::vector<float> values;
    for (int n = 0; n < Param::count; ++n)
        values.push_back (store.getValue (n));
    return values;
}

void changeEverything (ProcessorParameterStore& store)
{
    for (int n = 0; n < Param::count; ++n)
        store.setValue (n, store.getMinimum (n)
                               + (store.getMaximum (n) - store.getMinimum (n)) * (0.1f + 0.02f * (float) n));
    store.setValue (Param::masterLevel, 0.5f);
    store.setValue (Param::bodyBody, 1.0f);

    juce::XmlElement name ("preset_name_all");
    name.addTextElement ("Round Trip");
    store.setNonParameterData (name);
}
} // namespace

TEST (ProcessorState, SavedStateRestoresParametersDataModeAndSoundInASecondInstance)
{
    VellmarkKick7702AudioProcessor first;
    changeEverything (first.getParameterStore());
    first.getParameterStore().setCompatibilityMode (1);

    juce::MemoryBlock blob;
    first.getStateInformation (blob);
    ASSERT_GT (blob.getSize(), 9u);
    EXPECT_EQ (juce::String::fromUTF8 (static_cast<const char*> (blob.getData()), 4), "VC2!");

    VellmarkKick7702AudioProcessor second;
    second.setStateInformation (blob.getData(), (int) blob.getSize());

    // Values travel as text with six significant digits.
    const auto restored = valuesOf (second.getParameterStore());
    const auto original = valuesOf (first.getParameterStore());
    for (size_t n = 0; n < original.size(); ++n)
        EXPECT_NEAR (restored[n], original[n], std::abs (original[n]) * 1.0e-5f) << Param::keys[n];
    EXPECT_EQ (second.getParameterStore().getCompatibilityMode(), 1);
    EXPECT_FALSE (second.getParameterStore().isLatestCompatibilityMode.load());
    EXPECT_TRUE (second.getParameterStore().getAllNonParameterDataCopy()->isEquivalentTo (
        first.getParameterStore().getAllNonParameterDataCopy().get(), false));

    // With the same state applied to both, the next note renders identically.
    first.setStateInformation (blob.getData(), (int) blob.getSize());
    EXPECT_EQ (valuesOf (first.getParameterStore()), restored);
    const auto a = renderNote (first, 100);
    const auto b = renderNote (second, 100);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < a.getNumSamples(); ++i)
            ASSERT_EQ (a.getSample (c, i), b.getSample (c, i)) << "channel " << c << " sample " << i;
}

TEST (ProcessorState, DamagedBlobsChangeNoParameterAndAreLogged)
{
    VellmarkKick7702AudioProcessor processor;
    auto& store = processor.getParameterStore();
    changeEverything (store);
    juce::MemoryBlock good;
    processor.getStateInformation (good);
    // Settle every value on its six-digit text form, which is what a valid blob restores.
    processor.setStateInformation (good.getData(), (int) good.getSize());
    const auto before = valuesOf (store);

    const auto blobWithLength = [&good] (juce::int32 length)
    {
        juce::MemoryBlock blob (good);
        auto* bytes = static_cast<juce::uint8*> (blob.getData());
        for (int i = 0; i < 4; ++i)
            bytes[4 + i] = (juce::uint8) ((juce::uint32) length >> (8 * i));
        return blob;
    };
    const auto bytesOf = [] (const std::string& s) { return juce::MemoryBlock (s.data(), s.size()); };

    std::string deep = "VC2!";
    deep += std::string ("\xff\xff\xff\x7f", 4);
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";

    const std::vector<std::pair<const char*, juce::MemoryBlock>> cases{
        { "empty", {} },
        { "eight bytes", juce::MemoryBlock (good.getData(), 8) },
        { "wrong magic", bytesOf ("XXXX\x10\0\0\0<VELLMARK/>\0") },
        { "negative length", blobWithLength (-5) },
        { "zero length", blobWithLength (0) },
        { "truncated", juce::MemoryBlock (good.getData(), good.getSize() / 2) },
        { "not xml", bytesOf (std::string ("VC2!\x09\0\0\0not xml!!\0", 18)) },
        { "nested 100000 deep", bytesOf (deep) },
    };

    LogCapture log;
    for (const auto& [name, blob] : cases)
    {
        log.mark();
        // An empty blob still arrives as a pointer; only a null pointer is ignored.
        const void* data = blob.getSize() > 0 ? blob.getData() : "";
        processor.setStateInformation (data, (int) blob.getSize());
        EXPECT_EQ (valuesOf (store), before) << name;
        EXPECT_TRUE (log.contains ("setStateInformationFromXml", "ERROR", "called with null pointer")) << name;
    }

    // A length beyond the data is limited to the data: the state still applies.
    log.mark();
    const auto huge = blobWithLength (0x7fffffff);
    processor.setStateInformation (huge.getData(), (int) huge.getSize());
    EXPECT_EQ (valuesOf (store), before);
    EXPECT_FALSE (log.contains ("setStateInformationFromXml", "ERROR", "called with null pointer"));

    // A blob of another document applies nothing either.
    log.mark();
    juce::MemoryBlock foreign;
    writeStateBlob (juce::XmlElement ("SOMETHINGELSE"), foreign);
    processor.setStateInformation (foreign.getData(), (int) foreign.getSize());
    EXPECT_EQ (valuesOf (store), before);
    EXPECT_TRUE (log.contains ("setStateInformationFromXml", "ERROR", "Invalid XML; VELLMARK tag not found"));

    processor.setStateInformation (nullptr, 100); // ignored
    EXPECT_EQ (valuesOf (store), before);
}

// Hosts hand back whatever bytes they stored. Text that is not UTF-8 (a name typed in a
// legacy code page, a damaged blob ending inside a multi-byte character) is read as
// Windows-1252 rather than walked past its end.
TEST (ProcessorState, BlobTextThatIsNotUtf8IsReadAsWindows1252)
{
    const auto blobOf = [] (const std::string& text)
    {
        juce::MemoryBlock blob;
        juce::MemoryOutputStream out (blob, false);
        out.writeInt (0x21324356);
        out.writeInt ((int) text.size());
        out.write (text.data(), text.size());
        out.writeByte (0);
        return blob;
    };

    const auto named =
        blobOf ("<VELLMARK><float body_decay=\"321\"/><preset_name_all>Caf\xe9</preset_name_all></VELLMARK>");
    const auto document = readStateBlob (named.getData(), (int) named.getSize());
    ASSERT_NE (document, nullptr);
    EXPECT_EQ (document->getChildByName ("float")->getDoubleAttribute ("body_decay"), 321.0);
    EXPECT_EQ (document->getChildByName ("preset_name_all")->getAllSubText(), juce::CharPointer_UTF8 ("Caf\xc3\xa9"));

    // Lead bytes that claim more bytes than the text holds.
    for (const auto* tail : { "\xff", "\xf0\x9f", "\xc3" })
    {
        const auto damaged = blobOf (std::string ("<VELLMARK><float body_decay=\"1\" x=\"") + tail);
        EXPECT_EQ (readStateBlob (damaged.getData(), (int) damaged.getSize()), nullptr) << tail;
    }
}

TEST (ProcessorState, EmptyBlobMarksTheSampleDataChangedForEveryConsumer)
{
    VellmarkKick7702AudioProcessor processor;
    auto& store = processor.getParameterStore();
    juce::XmlElement entry ("attack_file");
    store.setNonParameterData (entry);
    for (int consumer = 0; consumer < 3; ++consumer)
        (void) store.takeDataChanged ("attack_file", consumer);

    processor.setStateInformation ("", 0);
    for (int consumer = 0; consumer < 3; ++consumer)
    {
        EXPECT_TRUE (store.takeDataChanged ("attack_file", consumer));
        EXPECT_FALSE (store.takeDataChanged ("attack_file", consumer));
    }
}
