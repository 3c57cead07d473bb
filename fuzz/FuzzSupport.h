#pragma once

#include "core/FuzzInputs.h"

// What every fuzz target shares: a JUCE environment with its own temporary HOME and factory
// folder, one plug-in instance, and findings that abort so that libFuzzer keeps the input.
namespace fuzzing
{
// Call from LLVMFuzzerInitialize.
void initialise();

[[nodiscard]] fuzzinputs::Rig& rig();

// Prints the finding and aborts.
void abortWithFinding (const char* finding);
} // namespace fuzzing

// One fuzz target: `body` is a statement using `data`, `size` and `report`.
#define THUDMOR_FUZZ_TARGET(body)                                                                                      \
    extern "C" int LLVMFuzzerInitialize (int*, char***)                                                                \
    {                                                                                                                  \
        fuzzing::initialise();                                                                                         \
        return 0;                                                                                                      \
    }                                                                                                                  \
    extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)                                 \
    {                                                                                                                  \
        const fuzzinputs::Report report = fuzzing::abortWithFinding;                                                   \
        body;                                                                                                          \
        return 0;                                                                                                      \
    }
