#include "thudmor-render/WaveformPicture.h"

#include <cmath>

namespace
{
const juce::Colour background (0xff14171c);
const juce::Colour gridColour (0xff2c323b);
const juce::Colour labelColour (0xff8a94a3);
const juce::Colour halfScaleColour (0xff7a5a20);
const juce::Colour fullScaleColour (0xff8c2f2f);
const juce::Colour channelColours[] = { juce::Colour (0xff4fc3f7), juce::Colour (0xffffb74d) };

constexpr int margin = 36;

// A tidy grid step (in ms) that gives roughly eight divisions.
double timeStepMs (double totalMs)
{
    for (const auto step : { 5.0, 10.0, 20.0, 25.0, 50.0, 100.0, 200.0, 250.0, 500.0, 1000.0, 2000.0 })
        if (totalMs / step <= 10.0)
            return step;
    return 5000.0;
}

void drawGrid (juce::Graphics& g, juce::Rectangle<float> plot, double totalMs)
{
    const auto centre = plot.getCentreY();
    const auto halfHeight = plot.getHeight() * 0.5f;
    g.setFont (12.0f);

    const auto step = timeStepMs (totalMs);
    for (double ms = 0.0; ms <= totalMs; ms += step)
    {
        const auto x = plot.getX() + (float) (ms / totalMs) * plot.getWidth();
        g.setColour (gridColour);
        g.drawVerticalLine ((int) x, plot.getY(), plot.getBottom());
        g.setColour (labelColour);
        g.drawText (juce::String (ms, 0) + " ms",
                    juce::Rectangle<float> (x + 3.0f, plot.getBottom() + 2.0f, 70.0f, 16.0f),
                    juce::Justification::centredLeft);
    }

    const float halfScale = 0.5011872f; // -6 dBFS
    for (const auto level : { 1.0f, -1.0f, halfScale, -halfScale })
    {
        g.setColour (std::abs (level) == 1.0f ? fullScaleColour : halfScaleColour);
        g.drawHorizontalLine ((int) (centre - level * halfHeight), plot.getX(), plot.getRight());
    }
    g.setColour (gridColour);
    g.drawHorizontalLine ((int) centre, plot.getX(), plot.getRight());

    g.setColour (labelColour);
    g.drawText ("0 dB", juce::Rectangle<float> (2.0f, plot.getY() - 8.0f, (float) margin - 4.0f, 16.0f),
                juce::Justification::centredRight);
    g.drawText ("-6",
                juce::Rectangle<float> (2.0f, centre - halfScale * halfHeight - 8.0f, (float) margin - 4.0f, 16.0f),
                juce::Justification::centredRight);
}

// One vertical line per pixel column from the column's smallest to its largest sample.
void drawChannel (juce::Graphics& g, juce::Rectangle<float> plot, const float* samples, int numSamples)
{
    const auto columns = (int) plot.getWidth();
    const auto centre = plot.getCentreY();
    const auto halfHeight = plot.getHeight() * 0.5f;

    for (int column = 0; column < columns; ++column)
    {
        const auto first = (int) ((juce::int64) column * numSamples / columns);
        const auto last = std::max (first + 1, (int) ((juce::int64) (column + 1) * numSamples / columns));
        auto range = juce::FloatVectorOperations::findMinAndMax (samples + first, std::min (last, numSamples) - first);
        range = range.getIntersectionWith ({ -1.05f, 1.05f });
        const auto top = centre - range.getEnd() * halfHeight;
        const auto bottom = centre - range.getStart() * halfHeight;
        g.drawVerticalLine ((int) plot.getX() + column, top, std::max (bottom, top + 1.0f));
    }
}
} // namespace

juce::Image drawWaveformPicture (const juce::AudioBuffer<float>& audio, double sampleRate, const juce::String& caption,
                                 int width, int height)
{
    juce::Image picture (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (picture);
    g.fillAll (background);

    const auto plot =
        juce::Rectangle<float> ((float) margin, 30.0f, (float) (width - 2 * margin), (float) (height - 60));
    const auto numSamples = audio.getNumSamples();
    const auto totalMs = std::max (1.0, numSamples * 1000.0 / sampleRate);
    drawGrid (g, plot, totalMs);

    if (numSamples > 0)
    {
        for (int channel = std::min (2, audio.getNumChannels()) - 1; channel >= 0; --channel)
        {
            g.setColour (channelColours[channel].withAlpha (channel == 0 ? 0.9f : 0.6f));
            drawChannel (g, plot, audio.getReadPointer (channel), numSamples);
        }
    }

    g.setColour (juce::Colours::white);
    g.setFont (15.0f);
    g.drawText (caption, juce::Rectangle<float> ((float) margin, 6.0f, plot.getWidth(), 20.0f),
                juce::Justification::centredLeft);
    return picture;
}

juce::String writePngFile (const juce::File& target, const juce::Image& picture)
{
    if (! target.getParentDirectory().isDirectory() || target.isDirectory())
        return "cannot write " + target.getFullPathName() + ": no such folder";

    const juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream stream (temporary.getFile());
        if (! stream.openedOk())
            return "cannot write " + target.getFullPathName() + ": " + stream.getStatus().getErrorMessage();

        juce::PNGImageFormat png;
        if (! png.writeImageToStream (picture, stream))
            return "cannot write " + target.getFullPathName() + ": encoding the picture failed";
        stream.flush();
        if (stream.getStatus().failed())
            return "cannot write " + target.getFullPathName() + ": " + stream.getStatus().getErrorMessage();
    }

    if (! temporary.overwriteTargetFileWithTemporary())
        return "cannot write " + target.getFullPathName() + ": renaming the finished file failed";
    return {};
}
