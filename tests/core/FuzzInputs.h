#pragma once

#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// What each fuzz target does with one input and what it requires of the result. The fuzz
// targets (fuzz/) abort on a finding; the regression test replays kept inputs through the
// same code in the normal test suite.
namespace fuzzinputs
{
using Report = std::function<void (const char* finding)>;

// One plug-in instance that every input starts from scratch on: the state it had when made,
// no note sounding, its samples loaded.
class Rig final
{
public:
    Rig();
    VellmarkKick7702AudioProcessor& fresh();

    // Loads the live samples now and plays a note through one block on all four channels;
    // reports anything that is not a finite number.
    void requireFiniteBlock (const Report& report);

private:
    std::unique_ptr<VellmarkKick7702AudioProcessor> processor;
    juce::MemoryBlock baseline;
};

// The bytes as the host state blob.
void stateBlob (Rig& rig, const std::uint8_t* data, std::size_t size, const Report& report);

// The bytes as a preset file, loaded as a main preset and as a second-layer attack bank.
void presetFile (Rig& rig, const std::uint8_t* data, std::size_t size, const Report& report);

// The bytes as embedded sample text: decoded alone, then as both layers' samples.
void embeddedSample (Rig& rig, const std::uint8_t* data, std::size_t size, const Report& report);

// The bytes as the GUI description document: both walk passes, a store built from it and a
// kick voice playing from that store.
void documentWalk (const std::uint8_t* data, std::size_t size, const Report& report);
} // namespace fuzzinputs
