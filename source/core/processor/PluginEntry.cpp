#include <juce_audio_processors/juce_audio_processors.h>

namespace
{
class BootstrapProcessor final : public juce::AudioProcessor
{
public:
    BootstrapProcessor()
        : AudioProcessor (BusesProperties()
                              .withInput ("Input", juce::AudioChannelSet::stereo(), false)
                              .withOutput ("Output", juce::AudioChannelSet::stereo(), true)
                              .withOutput ("Attack Output", juce::AudioChannelSet::stereo(), true))
    {
    }
    const juce::String getName() const override { return "Thud Mor"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>& b, juce::MidiBuffer&) override { b.clear(); }
    double getTailLengthSeconds() const override { return 0; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return "Default"; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}
};
} // namespace

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter() { return new BootstrapProcessor(); }
