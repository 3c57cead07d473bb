#pragma once

#include <juce_core/juce_core.h>

// Points HOME, XDG_DATA_HOME and XDG_CONFIG_HOME at a fresh temporary folder for the
// lifetime of the object and removes the folder afterwards.
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();

    TemporaryHome (const TemporaryHome&) = delete;
    TemporaryHome& operator= (const TemporaryHome&) = delete;

    [[nodiscard]] const juce::File& getFolder() const noexcept { return folder; }

private:
    juce::File folder;
};

// A fresh, empty folder below the temporary home, removed with the object.
class ScopedTestFolder
{
public:
    explicit ScopedTestFolder (const juce::String& name = "folder");
    ~ScopedTestFolder();

    ScopedTestFolder (const ScopedTestFolder&) = delete;
    ScopedTestFolder& operator= (const ScopedTestFolder&) = delete;

    [[nodiscard]] const juce::File& get() const noexcept { return folder; }

private:
    juce::File folder;
};
