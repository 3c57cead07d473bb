#include "core/processor/HostParameter.h"

#include "params/ProcessorParameterStore.h"

HostParameter::HostParameter (ProcessorParameterStore& parameterStore, int slotIndex, const juce::String& parameterID)
    : juce::AudioProcessorParameterWithID (juce::ParameterID (parameterID), parameterStore.getParameterName (slotIndex))
    , store (parameterStore)
    , slot (slotIndex)
{
}

float HostParameter::getValue() const { return store.getParameter (slot); }

void HostParameter::setValue (float newValue) { store.setParameter (slot, newValue); }

float HostParameter::getDefaultValue() const { return store.getParameterDefaultValue (slot); }

juce::String HostParameter::getName (int maximumStringLength) const
{
    return store.getParameterName (slot).substring (0, maximumStringLength);
}
