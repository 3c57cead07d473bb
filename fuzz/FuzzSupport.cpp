#include "FuzzSupport.h"

#include "common/TestEnvironment.h"
#include "support/Folders.h"

#include <cstdio>
#include <cstdlib>

namespace fuzzing
{
namespace
{
struct Environment
{
    TemporaryHome home;
    juce::ScopedJuceInitialiser_GUI juce;
    std::unique_ptr<fuzzinputs::Rig> rig;
};

// Lives until the process ends: libFuzzer leaves its loop by exiting.
Environment* environment = nullptr;
} // namespace

void initialise()
{
    if (environment != nullptr)
        return;
    environment = new Environment();
    setFactoryFolderOverride (juce::File (THUDMOR_FACTORY_DIR));
    environment->rig = std::make_unique<fuzzinputs::Rig>();
}

fuzzinputs::Rig& rig() { return *environment->rig; }

void abortWithFinding (const char* finding)
{
    std::fprintf (stderr, "FINDING: %s\n", finding);
    std::abort();
}
} // namespace fuzzing
