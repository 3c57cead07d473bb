#include "presets/PresetFileWriting.h"

bool canWritePresetFile (const juce::File& file)
{
    // The new text goes into a temporary file beside the target, so the folder must be
    // writable even when the file already exists.
    const auto folder = file.getParentDirectory();
    if (! folder.isDirectory() || ! folder.hasWriteAccess())
        return false;
    return ! file.exists() || (file.existsAsFile() && file.hasWriteAccess());
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
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.newLineChars = "\r\n";
    return document.toString (format);
}
