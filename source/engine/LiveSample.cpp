#include "engine/LiveSample.h"

#include "params/ProcessorParameterStore.h"
#include "support/Folders.h"
#include "support/PluginLogs.h"

#include <cmath>
#include <new>

namespace
{
constexpr int initialBufferFrames = 12000;
constexpr int maximumResampledFrames = 768000;
constexpr double smallestRatio = 0.001;

const juce::XmlElement* findChildIgnoringCase (const juce::XmlElement& element, const juce::String& tag)
{
    for (const auto* child : element.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (tag))
            return child;
    return nullptr;
}
} // namespace

class LiveSample::LoadingJob final : public SampleLoader::Job
{
public:
    explicit LoadingJob (LiveSample& ownerToLoad)
        : owner (ownerToLoad)
    {
    }
    void run() override { owner.load(); }

private:
    LiveSample& owner;
};

LiveSample::LiveSample (ProcessorParameterStore& parameterStore, SampleLoader& sampleLoader,
                        const juce::String& dataKey, int kind)
    : store (parameterStore)
    , loader (sampleLoader)
    , key (dataKey)
    , renderKind (kind)
    , job (std::make_unique<LoadingJob> (*this))
    , workBuffer (std::make_unique<juce::AudioBuffer<float>> (2, initialBufferFrames))
    , readyBuffer (std::make_unique<juce::AudioBuffer<float>> (2, initialBufferFrames))
{
}

LiveSample::~LiveSample() { loader.cancel (*job); }

void LiveSample::poll() noexcept
{
    if (ready.load (std::memory_order_acquire))
    {
        const juce::ScopedLock sl (lock);
        const auto length = readyBuffer->getNumSamples();
        publishedLeft = length > 0 ? readyBuffer->getReadPointer (0) : nullptr;
        publishedRight = length > 0 ? readyBuffer->getReadPointer (1) : nullptr;
        publishedLength.store (length, std::memory_order_relaxed);
        ready.store (false, std::memory_order_release);
    }

    if (! job->isQueued() && loader.hasRoom())
        loader.push (*job);
}

void LiveSample::setTargetRate (double rate) noexcept
{
    if (! std::isfinite (rate) || rate < 0.0)
        rate = 0.0;

    if (targetRate.exchange (rate, std::memory_order_relaxed) != rate)
        resampleNeeded.store (true, std::memory_order_release);
}

void LiveSample::runLoadingJobNow() { load(); }

void LiveSample::load()
{
    const juce::ScopedLock sl (loadLock);

    if (! resampleNeeded.load (std::memory_order_acquire) && ! store.takeDataChanged (key, renderKind))
        return;
    resampleNeeded.store (false, std::memory_order_release);

    const auto element = store.getNonParameterDataCopy (key);
    if (element == nullptr)
        return;

    const auto* data = findChildIgnoringCase (*element, "data");
    if (data == nullptr || ! source.loadEmbedded (data->getAllSubText(), "embedded file"))
    {
        if (const auto* file = findChildIgnoringCase (*element, "file"))
        {
            const auto name = file->getStringAttribute ("name");
            // A bare file name carries no location to look in; the layer keeps its audio.
            if (name.containsChar ('/') || name.containsChar ('\\'))
                source.loadFile (resolveSamplePath (name, file->getStringAttribute ("backup_name")));
        }
    }

    resampleAndPublish();
}

void LiveSample::resampleAndPublish()
{
    const auto sourceRate = source.getSampleRate();
    const auto rate = targetRate.load (std::memory_order_relaxed);
    const auto& audio = source.getAudio();

    try
    {
        if (sourceRate <= 0.0 || rate <= 0.0)
        {
            publishFromLoader (std::make_unique<juce::AudioBuffer<float>> (2, 0));
            return;
        }

        const auto ratio = sourceRate / rate;
        const auto length = (int) std::min ((double) audio.getNumSamples() / ratio, (double) maximumResampledFrames);

        auto fresh = std::make_unique<juce::AudioBuffer<float>> (2, length);
        fresh->clear();

        if (ratio >= smallestRatio && audio.getNumChannels() > 0)
        {
            for (int channel = 0; channel < 2; ++channel)
            {
                const auto sourceChannel = std::min (channel, audio.getNumChannels() - 1);
                interpolators[(size_t) channel].reset();
                interpolators[(size_t) channel].process (ratio, audio.getReadPointer (sourceChannel),
                                                         fresh->getWritePointer (channel), length,
                                                         audio.getNumSamples(), 0);
            }
        }

        publishFromLoader (std::move (fresh));
    }
    catch (const std::bad_alloc& failure)
    {
        // The layer keeps playing what it has.
        logDebug ("threadResample", "Bad allocation " + juce::String (failure.what()));
    }
}

void LiveSample::publishFromLoader (std::unique_ptr<juce::AudioBuffer<float>> fresh)
{
    // Only a buffer the voices cannot be reading may be freed here. While a result waits
    // (ready set), the published audio may still be the work buffer, so the waiting result is
    // replaced instead; otherwise the owner's last poll moved off the work buffer.
    {
        const juce::ScopedLock sl (lock);
        if (ready.load (std::memory_order_acquire))
        {
            std::swap (readyBuffer, fresh);
        }
        else
        {
            std::swap (workBuffer, fresh);
            std::swap (workBuffer, readyBuffer);
            ready.store (true, std::memory_order_release);
        }
    }
    // fresh, now holding the retired buffer, is freed here, outside the exchange lock.
}
