#pragma once

#include <juce_core/juce_core.h>

// Runs one of the built command-line tools and collects what it printed and how it ended.
struct ToolRun
{
    bool finished = false;
    int exitCode = -1;
    juce::String output;
};

// `streams` says what to collect (juce::ChildProcess::wantStdOut / wantStdErr); whatever is
// not collected goes nowhere.
inline ToolRun runTool (const juce::String& program, const juce::StringArray& arguments, int streams,
                        int timeoutMs = 120000)
{
    juce::StringArray command (program);
    command.addArray (arguments);

    juce::ChildProcess process;
    ToolRun run;
    if (! process.start (command, streams))
        return run;

    run.output = process.readAllProcessOutput(); // returns once the tool closes its output
    run.finished = process.waitForProcessToFinish (timeoutMs);
    if (! run.finished)
        process.kill();
    else
        run.exitCode = (int) process.getExitCode();
    return run;
}

// The non-empty lines of a text.
inline juce::StringArray nonEmptyLines (const juce::String& text)
{
    auto lines = juce::StringArray::fromLines (text);
    lines.removeEmptyStrings();
    return lines;
}
