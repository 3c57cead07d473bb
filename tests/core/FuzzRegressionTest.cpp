#include "core/FuzzInputs.h"

#include <gtest/gtest.h>

namespace
{
// Every input kept for a fuzz target: the ones that once found a fault and the seeds.
juce::Array<juce::File> inputsFor (const juce::String& target)
{
    juce::Array<juce::File> inputs;
    for (const auto& folder : { juce::File (THUDMOR_TEST_DATA_DIR).getChildFile ("fuzz-regressions/" + target),
                                juce::File (THUDMOR_SOURCE_DIR).getChildFile ("fuzz/corpus/" + target) })
        inputs.addArray (folder.findChildFiles (juce::File::findFiles, false));
    return inputs;
}

using Runner = std::function<void (fuzzinputs::Rig&, const std::uint8_t*, std::size_t, const fuzzinputs::Report&)>;
} // namespace

// The fuzz targets' own checks over their kept inputs, so that the normal suite guards what
// fuzzing found without a fuzzing build.
TEST (FuzzRegression, KeptInputsPassEveryTargetsChecks)
{
    const std::pair<const char*, Runner> targets[] = {
        { "state", fuzzinputs::stateBlob },
        { "preset", fuzzinputs::presetFile },
        { "embedded", fuzzinputs::embeddedSample },
        { "document", [] (fuzzinputs::Rig&, const std::uint8_t* data, std::size_t size,
                          const fuzzinputs::Report& report) { fuzzinputs::documentWalk (data, size, report); } },
    };

    fuzzinputs::Rig rig;
    for (const auto& [target, run] : targets)
    {
        const auto inputs = inputsFor (target);
        EXPECT_FALSE (inputs.isEmpty()) << target << " has seeds";
        for (const auto& input : inputs)
        {
            juce::MemoryBlock bytes;
            ASSERT_TRUE (input.loadFileAsData (bytes)) << input.getFullPathName();
            run (rig, static_cast<const std::uint8_t*> (bytes.getData()), bytes.getSize(),
                 [&] (const char* finding)
                 { ADD_FAILURE() << target << "/" << input.getFileName() << ": " << finding; });
        }
    }
}
