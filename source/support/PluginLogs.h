#pragma once

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <functional>

// The process-wide diagnostic log "vellmark.log" in the user data folder. It writes only
// when the user has created the file; lines are
//   time ":[" function "|" thread "] " message CR LF
// where message is " DEBUG: text" or " ERROR: text".
class PluginLogs final : public juce::DeletedAtShutdown
{
public:
    // Null while the instance is being created (calls from inside its own construction).
    static PluginLogs* getInstance();

    void write (const juce::String& functionName, const juce::String& message);

    [[nodiscard]] bool isEnabled() const noexcept { return enabled; }
    [[nodiscard]] const juce::String& getPath() const noexcept { return path; }

    // Shows the one-time "no write access" warning. The GUI layer installs a presenter that
    // opens a non-modal alert box; without one (tests, tools) the warning is printed to
    // standard error.
    using WarningPresenter = std::function<void (const juce::String& title, const juce::String& text)>;
    static void setWarningPresenter (WarningPresenter presenter);

    ~PluginLogs() override;

private:
    PluginLogs();

    bool enabled = false;
    juce::String path;
    juce::CriticalSection lock;
    juce::String creatorThread;
};

// Convenience for the two levels: logDebug ("load", "text") writes " DEBUG: text".
void logDebug (const juce::String& functionName, const juce::String& text);
void logError (const juce::String& functionName, const juce::String& text);
