#include "common/LogCapture.h"

#include "support/Folders.h"
#include "support/PluginLogs.h"

namespace
{
void enableLog()
{
    const auto file = LogCapture::getLogFile();
    if (! file.existsAsFile())
        file.create();

    if (auto* logs = PluginLogs::getInstance(); logs != nullptr && ! logs->isEnabled())
        delete logs; // the next log call creates an instance that sees the file
}

std::optional<LogEntry> parseLine (const juce::String& line)
{
    const auto open = line.indexOf (":[");
    const auto bar = line.indexOf (open, "|");
    const auto close = line.indexOf (bar, "] ");
    if (open < 0 || bar < 0 || close < 0)
        return std::nullopt;

    const auto message = line.substring (close + 2).trimStart();
    const auto colon = message.indexOf (": ");
    if (colon < 0)
        return std::nullopt;

    return LogEntry{ line.substring (open + 2, bar), message.substring (0, colon), message.substring (colon + 2) };
}
} // namespace

juce::File LogCapture::getLogFile() { return getUserDataFolder().getChildFile ("vellmark.log"); }

LogCapture::LogCapture()
{
    enableLog();
    mark();
}

void LogCapture::mark() { markPosition = getLogFile().getSize(); }

std::vector<LogEntry> LogCapture::entries() const
{
    juce::FileInputStream stream (getLogFile());
    if (! stream.openedOk())
        return {};

    stream.setPosition (markPosition);
    juce::StringArray lines;
    lines.addLines (stream.readEntireStreamAsString());

    std::vector<LogEntry> result;
    for (const auto& line : lines)
        if (auto entry = parseLine (line))
            result.push_back (*entry);
    return result;
}

bool LogCapture::contains (const juce::String& function, const juce::String& level, const juce::String& text) const
{
    for (const auto& entry : entries())
        if (entry.function == function && entry.level == level && entry.text == text)
            return true;
    return false;
}

bool LogCapture::containsStart (const juce::String& function, const juce::String& level,
                                const juce::String& textStart) const
{
    for (const auto& entry : entries())
        if (entry.function == function && entry.level == level && entry.text.startsWith (textStart))
            return true;
    return false;
}
