#pragma once

#include "params/Parameter.h"
#include "params/ParameterNumbers.h"
#include "params/SmoothingRamp.h"
#include "params/XmlDecoder.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class PresetTranslatorThudmor;
struct PresetStoreList;

// The processor's single source of truth: 41 parameter values in real units, the host's
// view of them, the non-parameter data with its change flags, the compatibility mode and
// a few live values the engine writes for the editor.
class ProcessorParameterStore final : public XmlDecoderHandler
{
public:
    static constexpr int capacity = Param::count;
    static constexpr int consumerCount = 3;

    ProcessorParameterStore();
    ~ProcessorParameterStore() override;

    ProcessorParameterStore (const ProcessorParameterStore&) = delete;
    ProcessorParameterStore& operator= (const ProcessorParameterStore&) = delete;

    //=== building (pass 0 of the document walk) ==============================================
    // Walks the document and builds the parameters. A document that does not parse, holds
    // more than `capacity` parameters or whose `order` list names no parameter is rejected:
    // the reason is logged, nothing is built and false is returned.
    bool buildFromDocument (const juce::String& documentText);
    void copyValuesToDefaults();

    void handleElement (const juce::XmlElement& element, const juce::String& key, int parameterNumber,
                        int pass) override;
    void endContainer (const juce::XmlElement&, int) override {}
    void handleKeyMap (const juce::XmlElement&) override {}
    void handleAutomation (const juce::XmlElement& element) override;
    void handleTour (const juce::XmlElement&) override {}

    //=== host view ============================================================================
    [[nodiscard]] int getNumParameters() const noexcept { return parameterCount; }
    [[nodiscard]] juce::String getParameterName (int slot) const;
    [[nodiscard]] float getParameter (int slot) const;
    void setParameter (int slot, float normalised);
    [[nodiscard]] float getParameterDefaultValue (int slot) const;
    [[nodiscard]] juce::String getParameterText (int) const { return {}; }
    [[nodiscard]] int getParameterNumberOfSlot (int slot) const;
    [[nodiscard]] int getSlotOfParameter (int parameterNumber) const;

    //=== values, by parameter number ==========================================================
    [[nodiscard]] int getNumBuiltParameters() const noexcept { return (int) keys.size(); }
    [[nodiscard]] float getValue (int n) const noexcept { return values[(size_t) n].load (std::memory_order_relaxed); }
    void setValue (int n, float v) noexcept { values[(size_t) n].store (v, std::memory_order_relaxed); }
    [[nodiscard]] float getDefault (int n) const noexcept { return defaults[(size_t) n]; }
    [[nodiscard]] float getMinimum (int n) const noexcept
    {
        return minimum[(size_t) n].load (std::memory_order_relaxed);
    }
    [[nodiscard]] float getMaximum (int n) const noexcept
    {
        return maximum[(size_t) n].load (std::memory_order_relaxed);
    }
    [[nodiscard]] float getSkew (int n) const noexcept { return skew[(size_t) n].load (std::memory_order_relaxed); }
    void setMinimum (int n, float v) noexcept { minimum[(size_t) n].store (v, std::memory_order_relaxed); }
    void setMaximum (int n, float v) noexcept { maximum[(size_t) n].store (v, std::memory_order_relaxed); }
    void setSkew (int n, float v) noexcept { skew[(size_t) n].store (v, std::memory_order_relaxed); }
    [[nodiscard]] const juce::String& getKey (int n) const { return keys.getReference (n); }
    [[nodiscard]] const juce::StringArray& getKeys() const noexcept { return keys; }
    [[nodiscard]] int getParameterNumber (const juce::String& key) const { return keys.indexOf (key); }
    [[nodiscard]] Parameter* getParameterObject (int n) const;

    // Value to normalised position, p = ((v - lo) / (hi - lo)) ^ skew, not clamped.
    [[nodiscard]] float toNormalised (int n, float value) const;
    // Normalised position to value.
    [[nodiscard]] float fromNormalised (int n, float normalised) const;

    //=== per-block ramps of the live voices (audio thread) ==================================
    void prepareBlock (int numSamples) noexcept;
    [[nodiscard]] float getRampedValue (int n, int sampleIndex) noexcept
    {
        return ramps[(size_t) n].valueAt (sampleIndex, getValue (n), blockSize, blockCounter);
    }
    [[nodiscard]] int getBlockSize() const noexcept { return blockSize; }
    void snapRampsToValues() noexcept;

    //=== live values shared with the editor ==================================================
    std::atomic<bool> noteTriggered{ false };
    std::atomic<float> outputLevel{ 0.0f };
    std::atomic<int> levelHeld{ 1 };
    std::atomic<float> tempo{ 120.0f };

    //=== non-parameter data ==================================================================
    [[nodiscard]] std::unique_ptr<juce::XmlElement> getAllNonParameterDataCopy() const;
    [[nodiscard]] std::unique_ptr<juce::XmlElement> getNonParameterDataCopy (const juce::String& key) const;
    void setNonParameterData (const juce::XmlElement& element);
    bool takeDataChanged (const juce::String& key, int consumer);
    void markAllDataChanged();
    [[nodiscard]] juce::CriticalSection& getLock() const noexcept { return lock; }

    std::atomic<bool> stateDataReplaced{ false };
    std::atomic<bool> stateApplied{ false };

    //=== state ===============================================================================
    void setStateInformationFromXml (const juce::XmlElement* xml, bool mergeData, bool applyCompatibility);

    //=== compatibility mode ==================================================================
    // Read at note start on the audio thread: a plain atomic mirror of the juce::Value, which
    // only the message thread may touch.
    [[nodiscard]] int getCompatibilityMode() const noexcept
    {
        return compatibilityModeNow.load (std::memory_order_relaxed);
    }
    void setCompatibilityMode (int mode);
    [[nodiscard]] juce::Value& getCompatibilityModeValue() noexcept { return compatibilityMode; }
    std::atomic<bool> isLatestCompatibilityMode{ true };

    void setTranslator (PresetTranslatorThudmor* t) noexcept { translator = t; }
    [[nodiscard]] PresetTranslatorThudmor* getTranslator() const noexcept { return translator; }
    void setPresetStores (PresetStoreList* list) noexcept { presetStores = list; }
    [[nodiscard]] PresetStoreList* getPresetStores() const noexcept { return presetStores; }

private:
    struct AutomationSlot
    {
        int parameterNumber = -1;
        juce::String hostName;
    };

    void createParameter (const juce::XmlElement& element, const juce::String& key, int n);
    void replaceNonParameterData (const juce::XmlElement& element);
    void mergeNonParameterData (const juce::XmlElement& element);
    void applyCompatibilityFromInfo (const juce::XmlElement& info);
    void setChangedFlagsLocked (const juce::String& key);
    void resetBuild();

    std::array<std::atomic<float>, capacity> values{};
    std::array<float, capacity> defaults{};
    std::array<SmoothingRamp, capacity> ramps{};
    std::array<std::atomic<float>, capacity> maximum{};
    std::array<std::atomic<float>, capacity> minimum{};
    std::array<std::atomic<float>, capacity> skew{};

    juce::StringArray keys;
    std::map<int, std::unique_ptr<FloatParameter>> parameters;
    std::vector<AutomationSlot> automationSlots;
    std::map<int, int> slotOfParameter;
    juce::StringArray orderList;
    std::vector<bool> orderEntryUsed;
    juce::StringArray hiddenList;
    int parameterCount = 0;
    juce::String buildError;

    juce::HashMap<juce::String, int> dataChanged{ 101 };
    juce::XmlElement nonParameterData{ "data" };
    // Held from the start of destruction until the members below are gone: their pending
    // message-thread callbacks must not run while a host destroys the plug-in on another thread.
    std::optional<juce::MessageManagerLock> destructionLock;
    juce::Value compatibilityMode{ juce::var (2) };
    std::atomic<int> compatibilityModeNow{ 2 };
    mutable juce::CriticalSection lock;
    class CompatibilityValueSync;
    std::unique_ptr<CompatibilityValueSync> compatibilitySync;

    int blockSize = 0;
    std::uint64_t blockCounter = 0;

    PresetTranslatorThudmor* translator = nullptr;
    PresetStoreList* presetStores = nullptr;
};
