#include "common/LogCapture.h"
#include "common/TestEnvironment.h"
#include "core/LiveWorkload.h"
#include "core/StateDocument.h"
#include "engine/TestWavFiles.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;

std::vector<float> valuesOf (const ProcessorParameterStore& store)
{
    std::vector<float> values;
    for (int n = 0; n < Param::count; ++n)
        values.push_back (store.getValue (n));
    return values;
}

std::unique_ptr<VellmarkKick7702AudioProcessor> preparedProcessor()
{
    auto processor = std::make_unique<VellmarkKick7702AudioProcessor>();
    processor->setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor->prepareToPlay (sampleRate, blockSize);
    return processor;
}

// The current state as a document, for a case to damage.
std::unique_ptr<juce::XmlElement> currentDocument (VellmarkKick7702AudioProcessor& processor)
{
    juce::MemoryBlock blob;
    processor.getStateInformation (blob);
    return readStateBlob (blob.getData(), (int) blob.getSize());
}

void apply (VellmarkKick7702AudioProcessor& processor, const juce::XmlElement& document)
{
    juce::MemoryBlock blob;
    writeStateBlob (document, blob);
    processor.setStateInformation (blob.getData(), (int) blob.getSize());
}

struct Played
{
    bool finite = true;
    float mainPeak = 0.0f;
    float attackPeak = 0.0f;
};

// One kick of 0.4 s on four channels.
Played playKick (VellmarkKick7702AudioProcessor& processor)
{
    Played played;
    juce::AudioBuffer<float> block (4, blockSize);
    for (int b = 0; b < 75; ++b)
    {
        juce::MidiBuffer midi;
        if (b == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 127), 0);
        processor.processBlock (block, midi);
        for (int c = 0; c < 4; ++c)
            for (int i = 0; i < blockSize; ++i)
            {
                const auto x = block.getSample (c, i);
                played.finite = played.finite && std::isfinite (x);
                auto& peak = c < 2 ? played.mainPeak : played.attackPeak;
                peak = std::max (peak, std::abs (x));
            }
    }
    return played;
}
} // namespace

// A state of fifty megabytes of attributes: far more than any real state holds, refused
// before JUCE would pool a million names, logged, and nothing changes.
TEST (BadInputTable, FiftyMegabytesOfAttributesAreRefusedAndLogged)
{
    auto processor = preparedProcessor();
    auto& store = processor->getParameterStore();
    const auto before = valuesOf (store);

    juce::MemoryOutputStream text;
    text << "<VELLMARK><float body_decay=\"123\"";
    for (int i = 0; text.getDataSize() < 50u * 1024u * 1024u; ++i)
        text << " unknown" << i << "=\"0.000000000000000000000000000000000\"";
    text << "/><info compatibilitymode=\"2\"/></VELLMARK>";

    juce::MemoryBlock blob;
    {
        juce::MemoryOutputStream out (blob, false);
        out.writeInt (0x21324356);
        out.writeInt ((int) text.getDataSize());
        out.write (text.getData(), text.getDataSize());
        out.writeByte (0);
    }

    LogCapture log;
    processor->setStateInformation (blob.getData(), (int) blob.getSize());
    EXPECT_TRUE (log.contains ("setStateInformationFromXml", "ERROR", "called with null pointer"));
    EXPECT_EQ (valuesOf (store), before);
    EXPECT_TRUE (playKick (*processor).finite);
}

// Texts a host state may hold for a value: the design reads what the decimal parser makes of
// them, with anything that is not a finite number as 0, and leaves every other value alone.
TEST (BadInputTable, ParameterTextsInAState)
{
    struct Case
    {
        const char* text;
        float stored;
    };
    const Case cases[] = { { "nan", 0.0f }, { "inf", 0.0f },    { "-inf", 0.0f }, { "-1e38", -1.0e38f },
                           { "", 0.0f },    { "12abc", 12.0f }, { "1e999", 0.0f } };

    auto processor = preparedProcessor();
    auto& store = processor->getParameterStore();
    const auto good = currentDocument (*processor);
    ASSERT_NE (good, nullptr);

    for (const auto& [text, stored] : cases)
        for (int target = 0; target < Param::count; ++target)
        {
            apply (*processor, *good);
            auto before = valuesOf (store);
            juce::XmlElement document (*good);
            document.getChildByName ("float")->setAttribute (store.getKey (target), text);
            apply (*processor, document);

            auto after = valuesOf (store);
            EXPECT_EQ (after[(size_t) target], stored) << text << " for " << store.getKey (target);
            after[(size_t) target] = before[(size_t) target];
            EXPECT_EQ (after, before) << text;

            for (int slot = 0; slot < store.getNumParameters(); ++slot)
            {
                const auto normalised = store.getParameter (slot);
                EXPECT_TRUE (normalised >= 0.0f && normalised <= 1.0f) << text << ", slot " << slot;
            }
            const auto played = playKick (*processor);
            EXPECT_TRUE (played.finite) << text << " for " << store.getKey (target);
        }
}

// Values far out of range together: a huge master level over a loud kick, and a level or
// decay that flips from one end of the float range to the other between two blocks. Live
// output and the waveform display's render stay finite.
TEST (BadInputTable, ExtremeValuesTogetherStayFinite)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<int, float>> first;
        std::vector<std::pair<int, float>> then;
    };
    const std::vector<Case> cases{
        { "huge level, huge body gain", { { Param::masterLevel, 1.0e38f }, { Param::tweaksBodyGain, 1.0e38f } }, {} },
        { "huge level, negative body gain",
          { { Param::masterLevel, -1.0e38f }, { Param::tweaksBodyGain, -1.0e38f } },
          {} },
        { "huge level, huge punch", { { Param::masterLevel, 1.0e38f }, { Param::tweaksPunch, 1.0e38f } }, {} },
        { "huge level, huge attack gain", { { Param::masterLevel, 1.0e38f }, { Param::attackGain, 1.0e38f } }, {} },
        { "huge level, huge EQ", { { Param::masterLevel, 1.0e38f }, { Param::tweaksEqGain, 1.0e38f } }, {} },
        { "level flips across the range", { { Param::masterLevel, -3.0e38f } }, { { Param::masterLevel, 3.0e38f } } },
        { "decay flips across the range", { { Param::bodyDecay, -3.0e38f } }, { { Param::bodyDecay, 3.0e38f } } },
    };

    for (const auto& c : cases)
    {
        auto processor = preparedProcessor();
        auto& store = processor->getParameterStore();
        auto document = currentDocument (*processor);
        for (const auto& [n, value] : c.first)
            document->getChildByName ("float")->setAttribute (store.getKey (n), value);
        apply (*processor, *document);
        processor->prepareToPlay (sampleRate, blockSize);

        juce::AudioBuffer<float> block (4, blockSize);
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 127), 0);
        processor->processBlock (block, midi);
        for (const auto& [n, value] : c.then)
            store.setValue (n, value);

        for (int channel = 0; channel < 4; ++channel)
            for (int i = 0; i < blockSize; ++i)
                ASSERT_TRUE (std::isfinite (block.getSample (channel, i))) << c.name << ", first block";
        EXPECT_TRUE (playKick (*processor).finite) << c.name;

        const auto& render = processor->render (KickEngine::displayRender, 2, 8192, 14700.0);
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < 8192; ++i)
                ASSERT_TRUE (std::isfinite (render.getSample (channel, i))) << c.name;
    }
}

// Sample data a state may carry for a layer. What loads plays, resampled to the host's rate;
// what does not load leaves the layer playing the sample it had.
TEST (BadInputTable, SampleDataInAState)
{
    using testwav::wavBytes;
    const auto tone = [] (int channel, int frame) { return testwav::sine (frame, 700.0 + 100.0 * channel, 44100.0); };
    const auto embedded = [] (const juce::MemoryBlock& bytes)
    {
        juce::XmlElement entry ("attack_file");
        entry.createNewChildElement ("data")->addTextElement (bytes.toBase64Encoding());
        return entry;
    };

    const ScopedTestFolder folder ("bad-samples");
    const auto textFile = folder.get().getChildFile ("notes.wav");
    textFile.replaceWithText ("These are the notes for Tuesday, not audio.\n");
    juce::XmlElement fileReference ("attack_file");
    fileReference.createNewChildElement ("file")->setAttribute ("name", textFile.getFullPathName());

    testwav::RawWav truncated;
    truncated.claimedDataBytes = 4000 * 4;
    truncated.actualDataBytes = 1000 * 4;
    testwav::RawWav empty;

    struct Case
    {
        const char* name;
        juce::XmlElement entry;
        int frames; // frames that load, at `rate`; 0 when nothing loads
        double rate = 44100.0;
        // A truncated file reads up to its total size, header included, as silence at the end.
        double slackFrames = 0.0;
    };
    const Case cases[] = {
        { "truncated WAV", embedded (truncated.bytes()), 1000, 44100.0, 44.0 / 4.0 },
        { "zero frames", embedded (empty.bytes()), 0 },
        { "8-bit", embedded (wavBytes (44100.0, 2, 2000, 8, tone)), 2000 },
        { "24-bit", embedded (wavBytes (44100.0, 2, 2000, 24, tone)), 2000 },
        { "32-bit float", embedded (wavBytes (44100.0, 2, 2000, 32, tone)), 2000 },
        { "192 kHz", embedded (wavBytes (192000.0, 2, 8000, 16, tone)), 8000, 192000.0 },
        { "6 channels", embedded (wavBytes (44100.0, 6, 2000, 16, tone)), 2000 },
        { "text bytes as embedded audio", embedded (juce::MemoryBlock ("not a RIFF file at all", 22)), 0 },
        { "text file named .wav", fileReference, 0 },
    };

    auto processor = preparedProcessor();
    auto& engine = processor->getEngine();
    const auto loadNow = [&] { engine.loadSamplesNow (KickEngine::live); };

    for (const auto& c : cases)
    {
        // A good sample first, then the case on top of it.
        const auto good = workload::stateWithSamples (*processor, 440.0, true);
        processor->setStateInformation (good.getData(), (int) good.getSize());
        loadNow();
        const auto previousLength = engine.getLiveSample (KickEngine::live, 0).getLength();
        ASSERT_GT (previousLength, 0);

        auto document = currentDocument (*processor);
        auto* data = document->getChildByName ("data");
        data->deleteAllChildElementsWithTagName ("attack_file");
        data->addChildElement (new juce::XmlElement (c.entry));
        document->getChildByName ("float")->setAttribute ("body_body", 0);
        document->getChildByName ("float")->setAttribute ("attackoverlay_enable2", 0);
        apply (*processor, *document);
        loadNow();

        const auto length = engine.getLiveSample (KickEngine::live, 0).getLength();
        const auto expected = c.frames * sampleRate / c.rate;
        if (c.frames == 0)
        {
            EXPECT_EQ (length, previousLength) << c.name << ": the layer keeps its sample";
        }
        else
        {
            EXPECT_GE ((double) length, expected - 1.0) << c.name;
            EXPECT_LE ((double) length, expected + 1.0 + c.slackFrames * sampleRate / c.rate) << c.name;
        }

        const auto played = playKick (*processor);
        EXPECT_TRUE (played.finite) << c.name;
        EXPECT_GT (played.attackPeak, 0.01f) << c.name;
        EXPECT_EQ (played.mainPeak, 0.0f) << c.name;
    }
}

// Folders the plug-in cannot create or write: it still starts, plays and keeps its state;
// saving a preset says why it failed.
TEST (BadInputTable, MissingAndUnwritableFolders)
{
    const ScopedTestFolder folder ("folders");
    const auto blocker = folder.get().getChildFile ("blocker");
    blocker.replaceWithText ("a file where a folder should be");
    const auto readOnly = folder.get().getChildFile ("read-only");
    readOnly.createDirectory();
    readOnly.setReadOnly (true);

    struct Case
    {
        const char* name;
        const char* variable;
        juce::File value;
        bool presetsCanBeSaved;
        bool permissionsOnly = false; // root writes everywhere
    };
    const Case cases[] = {
        { "data folder missing", "XDG_DATA_HOME", folder.get().getChildFile ("new/data"), true },
        { "data folder cannot be made", "XDG_DATA_HOME", blocker.getChildFile ("data"), false },
        { "data folder read-only", "XDG_DATA_HOME", readOnly, false, true },
        { "config folder cannot be made", "XDG_CONFIG_HOME", blocker.getChildFile ("config"), true },
    };

    for (const auto& c : cases)
    {
        if (c.permissionsOnly && ::geteuid() == 0)
            continue; // permissions do not bind root; the other cases still run

        const ScopedEnvironment environment (c.variable, c.value.getFullPathName());
        auto processor = preparedProcessor();
        const auto played = playKick (*processor);
        EXPECT_TRUE (played.finite) << c.name;
        EXPECT_GT (played.mainPeak, 0.05f) << c.name;

        juce::MemoryBlock state;
        processor->getStateInformation (state);
        auto second = preparedProcessor();
        second->setStateInformation (state.getData(), (int) state.getSize());
        EXPECT_EQ (valuesOf (second->getParameterStore()), valuesOf (processor->getParameterStore())) << c.name;

        auto& user = processor->getPresetStore ("main", false);
        (void) user.takeError();
        user.setPresetGroup ("all");
        EXPECT_EQ (user.saveCurrentPreset ("Saved"), c.presetsCanBeSaved) << c.name;
        const auto [failed, text] = user.takeError();
        EXPECT_EQ (failed, ! c.presetsCanBeSaved) << c.name;
        EXPECT_EQ (text.isNotEmpty(), failed) << c.name;
    }
    readOnly.setReadOnly (false);
}
