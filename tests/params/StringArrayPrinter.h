#pragma once

#include <juce_core/juce_core.h>

#include <ostream>

// Lets GoogleTest show a key list that differs as text instead of as bytes.
namespace juce
{
inline void PrintTo (const StringArray& array, std::ostream* os)
{
    *os << "{ \"" << array.joinIntoString ("\", \"") << "\" }";
}
} // namespace juce
