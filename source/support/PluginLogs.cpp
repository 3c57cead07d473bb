#include "support/PluginLogs.h"

#include "support/Folders.h"

#include <atomic>
#include <iostream>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
std::recursive_mutex creationMutex;
std::atomic<PluginLogs*> instance{ nullptr };
bool creating = false;

std::mutex presenterMutex;
PluginLogs::WarningPresenter warningPresenter;

juce::String currentThreadLabel() { return juce::String ((juce::int64)::syscall (SYS_gettid)); }

bool isWritable (const juce::File& file)
{
    if (file.exists())
        return ! file.isDirectory() && file.hasWriteAccess();
    const auto parent = file.getParentDirectory();
    return parent.isDirectory() && parent.hasWriteAccess();
}
} // namespace

PluginLogs* PluginLogs::getInstance()
{
    if (auto* existing = instance.load())
        return existing;

    const std::lock_guard guard (creationMutex);
    if (creating)
        return nullptr; // called from inside the log's own construction
    if (auto* existing = instance.load())
        return existing;

    creating = true;
    auto* created = new PluginLogs();
    instance = created;
    creating = false;
    return created;
}

PluginLogs::PluginLogs()
{
    const auto file = getUserDataFolder().getChildFile ("vellmark.log");
    path = file.getFullPathName();

    if (! isWritable (file))
    {
        const auto text = "No write access to " + path
                          + ". You may want to check that this folder exists and the permissions are correct.  "
                            "The plugin will need to write to this location to save presets.";
        const std::lock_guard guard (presenterMutex);
        if (warningPresenter)
            warningPresenter ("Warning", text);
        else
            std::cerr << "Warning: " << text << std::endl;
    }

    // The user switches logging on by creating the file; the program never creates it.
    enabled = file.existsAsFile();
    creatorThread = currentThreadLabel();
}

PluginLogs::~PluginLogs() { instance = nullptr; }

void PluginLogs::setWarningPresenter (WarningPresenter presenter)
{
    const std::lock_guard guard (presenterMutex);
    warningPresenter = std::move (presenter);
}

void PluginLogs::write (const juce::String& functionName, const juce::String& message)
{
    if (! enabled)
        return;

    const juce::ScopedLock sl (lock);

    auto threadLabel = currentThreadLabel();
    if (threadLabel != creatorThread)
        threadLabel += juce::String (" logging started on " + creatorThread).substring (0, 100);

    const auto line = juce::Time::getCurrentTime().toString (true, true, true, false) + ":[" + functionName + "|"
                      + threadLabel + "] " + message + "\n";

    juce::FileOutputStream stream (juce::File (path), 16384);
    if (stream.openedOk())
    {
        stream.writeText (line.replace ("\r\n", "\n").replace ("\n", "\r\n"), false, false, nullptr);
        stream.flush();
    }
}

void logDebug (const juce::String& functionName, const juce::String& text)
{
    if (auto* logs = PluginLogs::getInstance())
        logs->write (functionName, " DEBUG: " + text);
}

void logError (const juce::String& functionName, const juce::String& text)
{
    if (auto* logs = PluginLogs::getInstance())
        logs->write (functionName, " ERROR: " + text);
}
