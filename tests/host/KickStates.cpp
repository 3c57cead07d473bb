#include "host/KickStates.h"

#include "host/ParameterTable.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>

namespace
{
// Values the user default preset changes, away from the document defaults.
const ValueOverrides userDefaultOverrides{ { "body_decay", 200.0f },   { "master_level", 1.0f },
                                           { "attack_gain", 2.0f },    { "body_start", 800.0f },
                                           { "tweaks_eqgain", 3.0f },  { "attackoverlay_enable1", 0.0f },
                                           { "waveform_phase", 0.25f } };

juce::String keyText (std::string_view key) { return juce::String (key.data(), key.size()); }

std::unique_ptr<juce::XmlElement> makeDocument (const ValueOverrides& overrides)
{
    auto document = std::make_unique<juce::XmlElement> ("VELLMARK");
    auto* floats = document->createNewChildElement ("float");
    for (const auto& row : hostParameterTable)
        floats->setAttribute (keyText (row.key), row.documentDefault);
    for (const auto& row : hiddenParameterTable)
        floats->setAttribute (keyText (row.key), row.documentDefault);
    for (const auto& [key, value] : overrides)
        floats->setAttribute (keyText (key), value);

    document->createNewChildElement ("data");
    auto* info = document->createNewChildElement ("info");
    info->setAttribute ("version", "1.9.7");
    info->setAttribute ("compatibilitymode", 2);
    info->setAttribute ("plugin", "Thud Mor");
    return document;
}
} // namespace

std::unique_ptr<juce::XmlElement> makeKickState (const ValueOverrides& overrides, bool withAttackSample)
{
    auto document = makeDocument (overrides);
    if (withAttackSample)
    {
        const auto sample = makeEmbeddedAttackSample();
        auto* data = document->getChildByName ("data");
        for (const auto* key : { "attack_file", "attack2_file" })
            data->createNewChildElement (key)->createNewChildElement ("data")->addTextElement (sample);
    }
    return document;
}

juce::MemoryBlock makePluginBlob (const juce::XmlElement& document)
{
    juce::MemoryBlock blob;
    juce::AudioProcessor::copyXmlToBinary (document, blob);
    return blob;
}

juce::String makeEmbeddedAttackSample()
{
    constexpr double rate = 44100.0;
    constexpr int frames = 2000;
    juce::AudioBuffer<float> audio (2, frames);
    for (int i = 0; i < frames; ++i)
    {
        const auto envelope = 1.0 - (double) i / frames;
        const auto value = (float) (0.8 * envelope * std::sin (juce::MathConstants<double>::twoPi * 2500.0 * i / rate));
        audio.setSample (0, i, value);
        audio.setSample (1, i, value);
    }

    juce::MemoryBlock bytes;
    {
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (new juce::MemoryOutputStream (bytes, false), rate, 2, 16, {}, 0));
        writer->writeFromAudioSampleBuffer (audio, 0, frames);
    }
    return bytes.toBase64Encoding();
}

void writeUserDefaultPreset()
{
    const auto dataHome = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {});
    jassert (juce::File::isAbsolutePath (dataHome));
    const auto file = juce::File (dataHome).getChildFile ("Vellmark/Thudmor/Presets/main/Default.preset");
    file.getParentDirectory().createDirectory();
    makeDocument (userDefaultOverrides)->writeTo (file);
}

float userDefaultValue (std::string_view key)
{
    for (const auto& [changedKey, value] : userDefaultOverrides)
        if (changedKey == key)
            return value;
    for (const auto& row : hostParameterTable)
        if (row.key == key)
            return row.documentDefault;
    for (const auto& row : hiddenParameterTable)
        if (row.key == key)
            return row.documentDefault;
    jassertfalse;
    return 0.0f;
}
