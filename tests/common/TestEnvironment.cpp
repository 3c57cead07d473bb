#include "common/TestEnvironment.h"

#include <cstdlib>
#include <unistd.h>

TemporaryHome::TemporaryHome()
{
    // CTest starts several test processes at once; the process id keeps their homes apart
    // (getNonexistentChildFile alone can hand two processes the same name).
    folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                 .getNonexistentChildFile ("thudmor-test-home-" + juce::String ((int) ::getpid()), "", false);
    folder.createDirectory();

    const auto set = [] (const char* name, const juce::File& value)
    { ::setenv (name, value.getFullPathName().toRawUTF8(), 1); };
    set ("HOME", folder);
    set ("XDG_DATA_HOME", folder.getChildFile (".local/share"));
    set ("XDG_CONFIG_HOME", folder.getChildFile (".config"));
}

TemporaryHome::~TemporaryHome() { folder.deleteRecursively(); }

ScopedTestFolder::ScopedTestFolder (const juce::String& name)
{
    folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                 .getNonexistentChildFile (name + "-" + juce::String ((int) ::getpid()), "", false);
    folder.createDirectory();
}

ScopedTestFolder::~ScopedTestFolder()
{
    folder.setReadOnly (false, true);
    folder.deleteRecursively();
}
