#include "common/TestEnvironment.h"
#include "support/Folders.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    // Every test process gets its own home, data and config folders, so no test ever
    // reads or writes the real user's presets, settings or log.
    const TemporaryHome home;
    const juce::ScopedJuceInitialiser_GUI juce;
    // Factory content comes from the source tree, whatever is installed on the machine.
    setFactoryFolderOverride (juce::File (THUDMOR_FACTORY_DIR));
    testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
