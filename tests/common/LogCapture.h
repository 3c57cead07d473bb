#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

// One parsed line of the plug-in log: time ":[" function "|" thread "] " " LEVEL: " text.
struct LogEntry
{
    juce::String function;
    juce::String level; // "DEBUG" or "ERROR"
    juce::String text;
};

// Reads what the plug-in log gained since a mark. The log only writes when "vellmark.log"
// exists when its process-wide instance is created, so the first capture in a process
// creates the file and, if an instance without it already exists, drops that instance so
// that the next line logged opens a fresh one. Use it on the thread that runs the test
// while no other thread logs.
class LogCapture
{
public:
    LogCapture();

    // Forgets everything logged so far.
    void mark();

    [[nodiscard]] std::vector<LogEntry> entries() const;

    // Whether an entry with exactly this function, level and text was logged since the mark.
    [[nodiscard]] bool contains (const juce::String& function, const juce::String& level,
                                 const juce::String& text) const;

    // The same, for a text that starts with the given prefix.
    [[nodiscard]] bool containsStart (const juce::String& function, const juce::String& level,
                                      const juce::String& textStart) const;

    [[nodiscard]] static juce::File getLogFile();

private:
    juce::int64 markPosition = 0;
};
