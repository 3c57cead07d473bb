#include "common/TestEnvironment.h"
#include "host/KickStates.h"
#include "host/TestHost.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    // The plug-in reads its presets, settings and log below HOME: a fresh one per run, with a
    // user "Default" preset so that every instance starts from known values, whatever
    // factory content the machine has installed.
    const TemporaryHome home;
    writeUserDefaultPreset();

    const juce::ScopedJuceInitialiser_GUI juce;
    testing::InitGoogleTest (&argc, argv);

    // Plug-in instances are made on this thread, which is the host's message thread.
    const TestHost host;
    return RUN_ALL_TESTS();
}
