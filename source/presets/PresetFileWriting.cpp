#include "presets/PresetFileWriting.h"

bool canWritePresetFile (const juce::File& file)
{
    if (file.exists())
        return file.existsAsFile() && file.hasWriteAccess();

    const auto folder = file.getParentDirectory();
    return folder.isDirectory() && folder.hasWriteAccess();
}

bool replaceFileTextSafely (const juce::File& file, const juce::String& text)
{
    const juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream stream (temporary.getFile());
        if (! stream.openedOk())
            return false;
        if (! stream.writeText (text, false, false, "\r\n"))
            return false;
        stream.flush();
        if (stream.getStatus().failed())
            return false;
    }
    return temporary.overwriteTargetFileWithTemporary();
}

juce::String createPresetDocumentText (const juce::XmlElement& document)
{
    return document.createDocument ({}, false, true, "UTF-8");
}
