#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <optional>

// Sets (or, given no value, removes) an environment variable for the lifetime of the object.
class ScopedEnvironment
{
public:
    ScopedEnvironment (const char* nameToSet, const std::optional<juce::String>& value)
        : name (nameToSet)
    {
        if (const auto* old = std::getenv (name))
            previous = juce::String (old);

        if (value)
            ::setenv (name, value->toRawUTF8(), 1);
        else
            ::unsetenv (name);
    }

    ~ScopedEnvironment()
    {
        if (previous)
            ::setenv (name, previous->toRawUTF8(), 1);
        else
            ::unsetenv (name);
    }

    ScopedEnvironment (const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator= (const ScopedEnvironment&) = delete;

private:
    const char* name;
    std::optional<juce::String> previous;
};
