#include "thudmor-render/RenderOptions.h"

#include <cmath>

namespace
{
constexpr double longestRenderSeconds = 60.0;

juce::File fileFromArgument (const juce::String& text)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (text);
}

// A whole number, with nothing but digits (and a leading minus) in it.
std::optional<int> parseInteger (const juce::String& text)
{
    const auto digits = text.startsWith ("-") ? text.substring (1) : text;
    if (digits.isEmpty() || ! digits.containsOnly ("0123456789") || digits.length() > 9)
        return std::nullopt;
    return text.getIntValue();
}

std::optional<double> parseNumber (const juce::String& text)
{
    if (text.isEmpty() || ! text.containsOnly ("0123456789.") || text.indexOfChar ('.') != text.lastIndexOfChar ('.'))
        return std::nullopt;
    const auto value = text.getDoubleValue();
    return std::isfinite (value) ? std::optional (value) : std::nullopt;
}

class Parser
{
public:
    explicit Parser (const juce::StringArray& args)
        : arguments (args)
    {
    }

    std::variant<RenderOptions, juce::String> parse()
    {
        for (index = 0; index < arguments.size() && error.isEmpty(); ++index)
            parseArgument (arguments[index]);

        if (error.isEmpty() && ! options.showHelp)
            checkCombination();
        if (error.isNotEmpty())
            return error;
        return options;
    }

private:
    void parseArgument (const juce::String& argument)
    {
        auto name = argument;
        std::optional<juce::String> inlineValue;
        if (argument.startsWith ("--") && argument.contains ("="))
        {
            name = argument.upToFirstOccurrenceOf ("=", false, false);
            inlineValue = argument.fromFirstOccurrenceOf ("=", false, false);
        }

        if (name == "--help" || name == "-h")
            options.showHelp = true;
        else if (name == "-o" || name == "--output")
            withValue (name, inlineValue, [this] (const auto& v) { options.output = fileFromArgument (v); });
        else if (name == "--attack1")
            withValue (name, inlineValue, [this] (const auto& v) { options.attack1 = v; });
        else if (name == "--attack2")
            withValue (name, inlineValue, [this] (const auto& v) { options.attack2 = v; });
        else if (name == "--note")
            withValue (name, inlineValue, [this, name] (const auto& v) { setInteger (name, v, 0, 127, options.note); });
        else if (name == "--velocity")
            withValue (name, inlineValue,
                       [this, name] (const auto& v) { setInteger (name, v, 1, 127, options.velocity); });
        else if (name == "--rate")
            withValue (name, inlineValue, [this, name] (const auto& v) { setRate (name, v); });
        else if (name == "--bits")
            withValue (name, inlineValue, [this, name] (const auto& v) { setBits (name, v); });
        else if (name == "--length")
            withValue (name, inlineValue, [this, name] (const auto& v) { setLength (name, v); });
        else if (name == "--png")
            withValue (name, inlineValue, [this] (const auto& v) { options.picture = fileFromArgument (v); });
        else if (name == "--factory-dir")
            withValue (name, inlineValue, [this] (const auto& v) { options.factoryFolder = fileFromArgument (v); });
        else if (name == "--batch")
            withValue (name, inlineValue, [this] (const auto& v) { options.batchFolder = fileFromArgument (v); });
        else if (argument.startsWith ("-") && argument.length() > 1)
            error = "unknown option " + argument + " (see --help)";
        else if (options.preset.isNotEmpty())
            error = "more than one preset given: " + options.preset + " and " + argument;
        else if (argument.isEmpty())
            error = "empty preset name";
        else
            options.preset = argument;
    }

    template <typename Setter>
    void withValue (const juce::String& name, const std::optional<juce::String>& inlineValue, Setter&& set)
    {
        if (inlineValue.has_value())
        {
            if (inlineValue->isEmpty())
                error = name + " needs a value";
            else
                set (*inlineValue);
            return;
        }

        if (index + 1 >= arguments.size() || arguments[index + 1].isEmpty())
        {
            error = name + " needs a value";
            return;
        }
        set (arguments[++index]);
    }

    void setInteger (const juce::String& name, const juce::String& text, int lowest, int highest, int& target)
    {
        const auto value = parseInteger (text);
        if (! value.has_value() || *value < lowest || *value > highest)
            error = name + " must be a whole number from " + juce::String (lowest) + " to " + juce::String (highest)
                    + ", not " + text.quoted();
        else
            target = *value;
    }

    void setRate (const juce::String& name, const juce::String& text)
    {
        const auto value = parseInteger (text);
        if (! value.has_value() || (*value != 44100 && *value != 48000 && *value != 96000))
            error = name + " must be 44100, 48000 or 96000, not " + text.quoted();
        else
            options.sampleRate = *value;
    }

    void setBits (const juce::String& name, const juce::String& text)
    {
        const auto value = parseInteger (text);
        if (! value.has_value() || (*value != 16 && *value != 24 && *value != 32))
            error = name + " must be 16, 24 or 32 (float), not " + text.quoted();
        else
            options.bitsPerSample = *value;
    }

    void setLength (const juce::String& name, const juce::String& text)
    {
        const auto value = parseNumber (text);
        if (! value.has_value() || *value <= 0.0 || *value > longestRenderSeconds)
            error = name + " must be a number of seconds above 0 and at most " + juce::String (longestRenderSeconds, 0)
                    + ", not " + text.quoted();
        else
            options.lengthSeconds = *value;
    }

    void checkCombination()
    {
        if (options.isBatch() && options.preset.isNotEmpty())
            error = "give either a preset or --batch, not both";
        else if (! options.isBatch() && options.preset.isEmpty())
            error = "no preset given (see --help)";
        else if (options.output == juce::File())
            error =
                options.isBatch() ? "--batch needs an output folder: -o OUTDIR" : "no output file given: -o OUT.wav";
        else if (options.isBatch() && options.picture != juce::File())
            error = "--png draws a single render; it cannot be combined with --batch";
        else if (options.factoryFolder != juce::File() && ! options.factoryFolder.isDirectory())
            error = "--factory-dir " + options.factoryFolder.getFullPathName() + " is not a folder";
        else if (options.isBatch() && ! options.batchFolder.isDirectory())
            error = "--batch " + options.batchFolder.getFullPathName() + " is not a folder";
    }

    const juce::StringArray& arguments;
    int index = 0;
    RenderOptions options;
    juce::String error;
};
} // namespace

std::variant<RenderOptions, juce::String> parseRenderOptions (const juce::StringArray& arguments)
{
    return Parser (arguments).parse();
}

juce::String getRenderHelpText()
{
    return R"(thudmor-render: render one kick of the Thudmor synthesiser to a WAV file, offline.

Usage:
  thudmor-render PRESET -o OUT.wav [options]
  thudmor-render --batch PRESET_FOLDER -o OUT_FOLDER [options]

PRESET is a path to a .preset file, or the name of a main preset (sub-folders with "/",
for example "Default" or "Techno/Rumble"), looked up among the user's presets first and
then among the factory presets.

Options:
  -o, --output FILE     the WAV file to write (with --batch: the folder to write into)
  --attack1 BANK        load an attack bank (path or name) into attack layer 1
  --attack2 BANK        load an attack bank (path or name) into attack layer 2
  --note N              MIDI note of the kick, 0 to 127 (default 36)
  --velocity V          velocity, 1 to 127 (default 127)
  --rate HZ             sample rate: 44100, 48000 or 96000 (default 48000)
  --bits 16|24|32       bit depth; 32 writes floating point (default 24)
  --length SECONDS      length of the file (default: the kick's length plus 50 ms)
  --png FILE            also draw the waveform into a PNG picture
  --factory-dir DIR     read factory presets and samples from DIR instead of the installed ones
  --batch DIR           render every .preset file below DIR into the output folder, keeping
                        the sub-folders; shows progress on a terminal and ends with a summary
  -h, --help            show this text

The kick is rendered through the plug-in's own processor, exactly as a host would play a
note-on at the first sample. Options also accept the form --option=value.

Exit status: 0 on success; 1 when a preset, bank or file cannot be read or written (one line
on standard error names the problem); 2 for a bad command line. A failed render never leaves
a partly written file behind.
)";
}
