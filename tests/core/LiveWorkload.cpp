#include "core/LiveWorkload.h"

#include "common/AllocationCounter.h"
#include "core/StateDocument.h"
#include "engine/TestWavFiles.h"

#include <chrono>
#include <optional>

namespace workload
{
juce::XmlElement sampleEntry (const juce::String& key, double toneHz, int frames)
{
    const auto bytes =
        testwav::wavBytes (44100.0, 2, frames, 16,
                           [toneHz, frames] (int, int frame) {
                               return (1.0f - (float) frame / (float) frames) * testwav::sine (frame, toneHz, 44100.0);
                           });
    juce::XmlElement entry (key);
    entry.createNewChildElement ("data")->addTextElement (bytes.toBase64Encoding());
    return entry;
}

juce::MemoryBlock stateWithSamples (VellmarkKick7702AudioProcessor& processor, double toneHz, bool split)
{
    juce::MemoryBlock current;
    processor.getStateInformation (current);
    auto document = readStateBlob (current.getData(), (int) current.getSize());
    jassert (document != nullptr);

    if (auto* floats = document->getChildByName ("float"))
    {
        floats->setAttribute ("attackoverlay_enable1", 1);
        floats->setAttribute ("attackoverlay_enable2", 1);
        floats->setAttribute ("body_splitattack", split ? 1 : 0);
    }
    if (auto* data = document->getChildByName ("data"))
    {
        data->deleteAllChildElements();
        // Lengths differ with the pitch, so that a change of sample shows in the published length.
        const auto frames = 1500 + (int) toneHz;
        data->addChildElement (new juce::XmlElement (sampleEntry ("attack_file", toneHz, frames)));
        data->addChildElement (new juce::XmlElement (sampleEntry ("attack2_file", toneHz * 1.5, frames + 100)));
    }

    juce::MemoryBlock blob;
    writeStateBlob (*document, blob);
    return blob;
}
} // namespace workload

AudioThreadPlayer::AudioThreadPlayer (VellmarkKick7702AudioProcessor& processorToPlay, Options playerOptions,
                                      AudioThreadMonitor* monitorToUse)
    : processor (processorToPlay)
    , options (playerOptions)
    , monitor (monitorToUse)
{
    head.playing = true;
}

AudioThreadPlayer::~AudioThreadPlayer() { join(); }

void AudioThreadPlayer::start()
{
    running = true;
    thread = std::thread ([this] { run(); });
}

void AudioThreadPlayer::join()
{
    if (thread.joinable())
        thread.join();
}

void AudioThreadPlayer::run()
{
    // Everything the loop needs exists before the watch starts.
    juce::AudioBuffer<float> buffer (4, options.blockSize);
    juce::MidiBuffer midi;
    midi.ensureSize (1024);
    const auto& parameters = processor.getParameters();
    auto& layer1 = processor.getEngine().getLiveSample (KickEngine::live, 0);
    auto& layer2 = processor.getEngine().getLiveSample (KickEngine::live, 1);
    processor.setPlayHead (&head);

    {
        std::optional<AudioThreadMonitor::ScopedWatch> watch;
        if (monitor != nullptr)
            watch.emplace (*monitor);
        AllocationCounter counter;

        auto lengths = std::make_pair (layer1.getLength(), layer2.getLength());
        for (int b = 0; b < options.numBlocks; ++b)
        {
            midi.clear();
            if (b % 19 == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, 30 + b % 24, (juce::uint8) (60 + b % 67)), b % 97);
            if (b % 31 == 0)
                midi.addEvent (juce::MidiMessage::noteOff (1, 30 + b % 24), options.blockSize - 1);

            // Host automation arrives on the audio thread.
            auto* automated = parameters[b % parameters.size()];
            automated->setValue ((float) ((b * 7) % 100) / 99.0f);

            processor.processBlock (buffer, midi);
            head.advance (options.blockSize, options.sampleRate);

            for (int c = 0; c < buffer.getNumChannels(); ++c)
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                {
                    const auto x = buffer.getSample (c, i);
                    alwaysFinite = alwaysFinite && std::isfinite (x);
                    peak = std::max (peak, std::abs (x));
                }

            const auto now = std::make_pair (layer1.getLength(), layer2.getLength());
            sampleTakeOvers += (now.first != lengths.first ? 1 : 0) + (now.second != lengths.second ? 1 : 0);
            lengths = now;

            if (options.pauseMicroseconds > 0)
                std::this_thread::sleep_for (std::chrono::microseconds (options.pauseMicroseconds));
        }
        operatorNewCount = counter.getCount();
    }

    processor.setPlayHead (nullptr);
    running = false;
}
