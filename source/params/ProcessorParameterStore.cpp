#include "params/ProcessorParameterStore.h"

#include "presets/PresetTranslatorThudmor.h"
#include "support/PluginLogs.h"

#include <cmath>

namespace
{
bool isFloatTag (const juce::String& tag)
{
    return tag.equalsIgnoreCase ("float") || tag.equalsIgnoreCase ("Parameters");
}
bool isDataTag (const juce::String& tag)
{
    return tag.equalsIgnoreCase ("data") || tag.equalsIgnoreCase ("NonParameterData");
}

float readNumber (const juce::String& text) { return (float) text.getDoubleValue(); }

juce::XmlElement* findChildIgnoringCase (juce::XmlElement& parent, const juce::String& tag)
{
    for (auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (tag))
            return child;
    return nullptr;
}

juce::String flagName (const juce::String& key, int consumer) { return key + "--" + juce::String (consumer); }
} // namespace

//==============================================================================
// The juce::Value may only be touched on the message thread; a state restored on the
// host's thread updates it from there.
class ProcessorParameterStore::CompatibilityValueSync final : public juce::AsyncUpdater, private juce::Value::Listener
{
public:
    explicit CompatibilityValueSync (ProcessorParameterStore& s)
        : store (s)
    {
        store.compatibilityMode.addListener (this);
    }
    ~CompatibilityValueSync() override
    {
        cancelPendingUpdate();
        store.compatibilityMode.removeListener (this);
    }

    void handleAsyncUpdate() override
    {
        store.compatibilityMode = store.compatibilityModeNow.load (std::memory_order_relaxed);
    }

private:
    // Someone set the value directly (a selector): keep the audio thread's copy in step.
    void valueChanged (juce::Value& value) override
    {
        store.compatibilityModeNow.store ((int) value.getValue(), std::memory_order_relaxed);
    }

    ProcessorParameterStore& store;
};

//==============================================================================
ProcessorParameterStore::ProcessorParameterStore()
{
    resetBuild();
    compatibilitySync = std::make_unique<CompatibilityValueSync> (*this);
    logDebug ("ProcessorParameterStore", "ProcessorParameterStore() constructor");
}

ProcessorParameterStore::~ProcessorParameterStore()
{
    // As JUCE's own plug-in wrappers do on Linux, where a host may destroy the plug-in on
    // another thread than the one delivering its messages. Without a message manager (after
    // JUCE has shut down) there is nothing to race with, and no lock to wait for.
    if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        destructionLock.emplace();
}

void ProcessorParameterStore::resetBuild()
{
    for (size_t i = 0; i < (size_t) capacity; ++i)
    {
        values[i].store (0.0f);
        defaults[i] = 0.0f;
        maximum[i].store (0.0f);
        minimum[i].store (0.0f);
        skew[i].store (0.0f);
        ramps[i].snapTo (0.0f);
    }
    keys.clear();
    parameters.clear();
    automationSlots.clear();
    slotOfParameter.clear();
    orderList.clear();
    orderEntryUsed.clear();
    hiddenList.clear();
    parameterCount = 0;
    buildError.clear();
}

//=== building ==================================================================
bool ProcessorParameterStore::buildFromDocument (const juce::String& documentText)
{
    resetBuild();

    XmlDecoder decoder (*this);
    if (! decoder.walk (documentText, 0))
        buildError = "the document does not parse";
    else if (decoder.getParameterCount() > capacity)
        buildError = "the document defines " + juce::String (decoder.getParameterCount()) + " parameters; at most "
                     + juce::String (capacity) + " fit";

    for (size_t j = 0; buildError.isEmpty() && j < orderEntryUsed.size(); ++j)
        if (! orderEntryUsed[j])
            buildError = "the automation order names \"" + orderList[(int) j] + "\", which is no parameter";

    if (buildError.isNotEmpty())
    {
        logError ("buildFromDocument", "GUI document rejected: " + buildError);
        resetBuild();
        return false;
    }
    return true;
}

void ProcessorParameterStore::copyValuesToDefaults()
{
    for (size_t i = 0; i < (size_t) capacity; ++i)
        defaults[i] = values[i].load (std::memory_order_relaxed);
}

void ProcessorParameterStore::handleElement (const juce::XmlElement& element, const juce::String& key,
                                             int parameterNumber, int)
{
    if (! element.getTagName().equalsIgnoreCase ("parameter") || buildError.isNotEmpty())
        return;

    if (parameterNumber >= capacity)
    {
        buildError = "more than " + juce::String (capacity) + " parameters";
        return;
    }
    createParameter (element, key, parameterNumber);
}

void ProcessorParameterStore::createParameter (const juce::XmlElement& element, const juce::String& key, int n)
{
    const auto i = (size_t) n;
    keys.add (key);

    float max = 1.0f, min = 0.0f, value = 0.0f, sk = 1.0f;
    for (const auto* child : element.getChildIterator())
    {
        const auto& tag = child->getTagName();
        if (tag.equalsIgnoreCase ("max"))
            max = readNumber (child->getAllSubText());
        else if (tag.equalsIgnoreCase ("min"))
            min = readNumber (child->getAllSubText());
        else if (tag.equalsIgnoreCase ("default"))
            value = readNumber (child->getAllSubText());
        else if (tag.equalsIgnoreCase ("skew"))
            sk = readNumber (child->getAllSubText());
        else if (tag.equalsIgnoreCase ("values"))
        {
            if (child->hasAttribute ("max"))
                max = readNumber (child->getStringAttribute ("max"));
            if (child->hasAttribute ("min"))
                min = readNumber (child->getStringAttribute ("min"));
            if (child->hasAttribute ("default"))
                value = readNumber (child->getStringAttribute ("default"));
        }
    }

    maximum[i].store (max);
    minimum[i].store (min);
    values[i].store (value);
    skew[i].store (sk);
    parameters[n] = std::make_unique<FloatParameter> (values[i]);
    ramps[i].snapTo (value);

    const auto hostName =
        element.hasAttribute ("pname") ? element.getStringAttribute ("pname") : element.getStringAttribute ("name");

    if (hiddenList.contains (key))
    {
        slotOfParameter[n] = -1;
        return;
    }

    int slot = -1;
    for (int j = 0; j < orderList.size(); ++j)
    {
        if (! orderEntryUsed[(size_t) j] && orderList[j] == key)
        {
            slot = j;
            break;
        }
    }

    if (slot >= 0)
    {
        automationSlots[(size_t) slot] = { n, hostName };
        orderEntryUsed[(size_t) slot] = true;
    }
    else
    {
        slot = (int) automationSlots.size();
        automationSlots.push_back ({ n, hostName });
    }
    slotOfParameter[n] = slot;
    ++parameterCount;
}

void ProcessorParameterStore::handleAutomation (const juce::XmlElement& element)
{
    for (const auto* child : element.getChildIterator())
    {
        const auto& tag = child->getTagName();
        if (tag.equalsIgnoreCase ("hidden"))
        {
            hiddenList.addArray (parseAutomationList (*child, false));
        }
        else if (tag.equalsIgnoreCase ("order"))
        {
            for (const auto& entry : parseAutomationList (*child, true))
            {
                orderList.add (entry);
                orderEntryUsed.push_back (false);
                automationSlots.push_back ({});
            }
        }
    }
}

//=== host view =================================================================
int ProcessorParameterStore::getParameterNumberOfSlot (int slot) const
{
    if (slot < 0 || slot >= parameterCount)
        return -1;
    return automationSlots[(size_t) slot].parameterNumber;
}

int ProcessorParameterStore::getSlotOfParameter (int parameterNumber) const
{
    const auto found = slotOfParameter.find (parameterNumber);
    return found == slotOfParameter.end() ? -1 : found->second;
}

Parameter* ProcessorParameterStore::getParameterObject (int n) const
{
    const auto found = parameters.find (n);
    return found == parameters.end() ? nullptr : found->second.get();
}

juce::String ProcessorParameterStore::getParameterName (int slot) const
{
    if (slot < 0 || slot >= parameterCount)
        return "Unknown";
    return automationSlots[(size_t) slot].hostName;
}

float ProcessorParameterStore::toNormalised (int n, float value) const
{
    const auto lo = getMinimum (n);
    const auto hi = getMaximum (n);
    const auto sk = getSkew (n);

    auto p = (value - lo) / (hi - lo);
    if (sk != 1.0f)
        p = std::pow (p, sk);
    // A value below its minimum under a skew, or an empty range, has no position.
    return std::isfinite (p) ? p : 0.0f;
}

float ProcessorParameterStore::fromNormalised (int n, float normalised) const
{
    const auto lo = getMinimum (n);
    const auto hi = getMaximum (n);
    const auto sk = getSkew (n);

    if (sk != 1.0f && normalised > 0.0f)
        normalised = std::exp (std::log (normalised) / sk);
    return (hi - lo) * normalised + lo;
}

float ProcessorParameterStore::getParameter (int slot) const
{
    const auto n = getParameterNumberOfSlot (slot);
    if (n < 0)
        return 0.0f;
    return juce::jlimit (0.0f, 1.0f, toNormalised (n, getValue (n)));
}

void ProcessorParameterStore::setParameter (int slot, float normalised)
{
    const auto n = getParameterNumberOfSlot (slot);
    if (n < 0 || ! std::isfinite (normalised))
        return;

    const auto value = fromNormalised (n, normalised);
    if (std::isfinite (value))
        setValue (n, value);
}

float ProcessorParameterStore::getParameterDefaultValue (int slot) const
{
    const auto n = getParameterNumberOfSlot (slot);
    if (n < 0)
        return 0.0f;
    return toNormalised (n, getDefault (n));
}

//=== ramps =====================================================================
void ProcessorParameterStore::prepareBlock (int numSamples) noexcept
{
    blockSize = numSamples;
    ++blockCounter;
}

void ProcessorParameterStore::snapRampsToValues() noexcept
{
    for (size_t i = 0; i < (size_t) capacity; ++i)
        ramps[i].snapTo (values[i].load (std::memory_order_relaxed));
}

//=== non-parameter data ========================================================
std::unique_ptr<juce::XmlElement> ProcessorParameterStore::getAllNonParameterDataCopy() const
{
    logDebug ("getAllNonParameterDataCopy", "getAllNonParameterData()");
    const juce::ScopedLock sl (lock);
    return std::make_unique<juce::XmlElement> (nonParameterData);
}

std::unique_ptr<juce::XmlElement> ProcessorParameterStore::getNonParameterDataCopy (const juce::String& key) const
{
    const juce::ScopedLock sl (lock);
    for (const auto* child : nonParameterData.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (key))
            return std::make_unique<juce::XmlElement> (*child);
    return nullptr;
}

void ProcessorParameterStore::setNonParameterData (const juce::XmlElement& element)
{
    const juce::ScopedLock sl (lock);
    auto copy = std::make_unique<juce::XmlElement> (element);

    if (auto* existing = findChildIgnoringCase (nonParameterData, element.getTagName()))
        nonParameterData.replaceChildElement (existing, copy.release());
    else
        nonParameterData.addChildElement (copy.release());

    setChangedFlagsLocked (element.getTagName());
}

bool ProcessorParameterStore::takeDataChanged (const juce::String& key, int consumer)
{
    const juce::ScopedLock sl (lock);
    const auto name = flagName (key, consumer);
    const bool wasSet = dataChanged[name] != 0; // a missing flag reads as 0
    dataChanged.set (name, 0);
    return wasSet;
}

void ProcessorParameterStore::markAllDataChanged()
{
    const juce::ScopedLock sl (lock);
    for (const auto* child : nonParameterData.getChildIterator())
        if (! child->isTextElement())
            setChangedFlagsLocked (child->getTagName());
}

void ProcessorParameterStore::setChangedFlagsLocked (const juce::String& key)
{
    for (int consumer = 0; consumer < consumerCount; ++consumer)
        dataChanged.set (flagName (key, consumer), 1);
}

//=== state =====================================================================
void ProcessorParameterStore::setStateInformationFromXml (const juce::XmlElement* xml, bool mergeData,
                                                          bool applyCompatibility)
{
    if (xml == nullptr)
    {
        logError ("setStateInformationFromXml", "called with null pointer");
    }
    else
    {
        if (! xml->getTagName().equalsIgnoreCase ("VELLMARK"))
        {
            logError ("setStateInformationFromXml", "Invalid XML; VELLMARK tag not found");
            return;
        }

        for (const auto* child : xml->getChildIterator())
        {
            const auto& tag = child->getTagName();
            if (isFloatTag (tag))
            {
                for (int n = 0; n < keys.size(); ++n)
                    if (child->hasAttribute (keys[n]))
                        if (auto* parameter = getParameterObject (n))
                            parameter->setFromString (child->getStringAttribute (keys[n]));
            }
            else if (isDataTag (tag))
            {
                if (mergeData)
                    mergeNonParameterData (*child);
                else
                    replaceNonParameterData (*child);
            }
            else if (tag.equalsIgnoreCase ("info") && applyCompatibility)
            {
                applyCompatibilityFromInfo (*child);
            }
        }
    }

    stateDataReplaced = true;
    stateApplied = true;
    markAllDataChanged();
}

void ProcessorParameterStore::mergeNonParameterData (const juce::XmlElement& element)
{
    const juce::ScopedLock sl (lock);
    for (const auto* entry : element.getChildIterator())
    {
        if (entry->isTextElement())
            continue;
        if (auto* existing = findChildIgnoringCase (nonParameterData, entry->getTagName()))
            nonParameterData.removeChildElement (existing, true);
        nonParameterData.addChildElement (new juce::XmlElement (*entry));
    }
}

void ProcessorParameterStore::replaceNonParameterData (const juce::XmlElement& element)
{
    logDebug ("setAllNonParameterData", "called");
    {
        const juce::ScopedLock sl (lock);
        if (&element != &nonParameterData)
        {
            nonParameterData.removeAllAttributes();
            nonParameterData.deleteAllChildElements();
            nonParameterData.setTagName (element.getTagName());

            for (int i = 0; i < element.getNumAttributes(); ++i)
                nonParameterData.setAttribute (element.getAttributeName (i), element.getAttributeValue (i));
            for (const auto* child : element.getChildIterator())
                nonParameterData.addChildElement (new juce::XmlElement (*child));
        }
    }
    markAllDataChanged();
    stateDataReplaced = true;
}

void ProcessorParameterStore::applyCompatibilityFromInfo (const juce::XmlElement& info)
{
    const auto latest = translator != nullptr ? translator->getLatestCompatibilityMode()
                                              : PresetTranslatorThudmor::latestCompatibilityMode;
    auto mode = info.getIntAttribute ("compatibilitymode", 1);
    if (mode < 1 || mode > latest)
        mode = latest;

    setCompatibilityMode (mode);
    if (translator != nullptr)
        translator->applyCompatibilityMode (mode, *this);
    isLatestCompatibilityMode = (mode == latest);
}

void ProcessorParameterStore::setCompatibilityMode (int mode)
{
    compatibilityModeNow.store (mode, std::memory_order_relaxed);

    if (juce::MessageManager::existsAndIsCurrentThread())
        compatibilityMode = mode;
    else
        compatibilitySync->triggerAsyncUpdate();
}
