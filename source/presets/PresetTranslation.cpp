#include "engine/AudioSampleFile.h"
#include "presets/PresetTranslatorThudmor.h"
#include "presets/PresetXml.h"
#include "support/Folders.h"
#include "support/PluginLogs.h"

namespace
{
bool isAbsoluteOnThisPlatform (const juce::String& path) { return path.startsWith ("/") || path.startsWith ("~"); }

// The beta versions wrote no compatibility mode; version 1.1 wrote mode 1.
bool needsBetaConversions (const juce::XmlElement& info)
{
    return ! info.hasAttribute ("compatibilitymode") || info.getIntAttribute ("compatibilitymode") == 1;
}

// The beta format kept the drive amount under another key; a file holding both keys keeps both.
void renameBetaDrive (juce::XmlElement& floats)
{
    if (! floats.hasAttribute ("tweaks_drive") || floats.hasAttribute ("waveform_drive"))
        return;

    const auto value = floats.getStringAttribute ("tweaks_drive");
    floats.removeAttribute ("tweaks_drive");
    floats.setAttribute ("waveform_drive", value);
}

// Before the second attack layer there was one enable for the only layer.
void splitSingleAttackEnable (juce::XmlElement& floats)
{
    if (! floats.hasAttribute ("attack_attack"))
        return;

    const auto value = floats.getStringAttribute ("attack_attack");
    floats.removeAttribute ("attack_attack");
    floats.setAttribute ("attackoverlay_enable1", value);
    floats.setAttribute ("attackoverlay_enable2", "0");
}

// The audio as embedded text, or empty when the file cannot be loaded or written back.
juce::String loadAsEmbeddedText (const juce::File& file)
{
    AudioSampleFile sample;
    if (! sample.loadFile (file))
        return {};
    return sample.toEmbeddedText();
}

// Entry form with a `file` child: the copy saved in the user data folder wins over the
// original path, which may be gone or belong to another machine.
void importFromFileChild (juce::XmlElement& entry, juce::XmlElement& fileChild)
{
    auto embedded = loadAsEmbeddedText (joinPath (getUserDataFolder(), fileChild.getStringAttribute ("backup_name")));

    if (embedded.isEmpty())
    {
        const auto name = expandFactoryDir (fileChild.getStringAttribute ("name"));
        if (! isAbsoluteOnThisPlatform (name))
        {
            logDebug ("importLegacyAttackFileFormat", "path not compatible with platform " + name);
            return;
        }
        embedded = loadAsEmbeddedText (joinPath (getUserDataFolder(), name));
    }

    if (embedded.isEmpty())
        return;

    fileChild.removeAttribute ("backup_name");
    fileChild.removeAttribute ("backuponsave");
    entry.createNewChildElement ("data")->addTextElement (embedded);
}

// The oldest form: the path as an attribute of the entry itself.
void importFromEntryAttribute (juce::XmlElement& entry)
{
    const auto path = expandFactoryDir (entry.getStringAttribute ("file"));
    if (! isAbsoluteOnThisPlatform (path))
        return;

    const auto file = joinPath (getUserDataFolder(), path);
    if (! file.existsAsFile())
        return;

    const auto embedded = loadAsEmbeddedText (file);
    if (embedded.isEmpty())
        return;

    entry.removeAllAttributes();
    entry.createNewChildElement ("file")->setAttribute ("name", path);
    entry.createNewChildElement ("data")->addTextElement (embedded);
}
} // namespace

juce::XmlElement& PresetTranslatorThudmor::translate (juce::XmlElement& document)
{
    const auto* info = PresetXml::findChild (document, "info");
    if (info == nullptr)
        return document;

    if (needsBetaConversions (*info))
    {
        for (auto* child : document.getChildIterator())
        {
            if (PresetXml::isFloatTag (child->getTagName()))
                renameBetaDrive (*child);
            else if (child->getTagName().equalsIgnoreCase ("data"))
                if (auto* entry = PresetXml::findChild (*child, "attack_file"))
                    if (PresetXml::findChild (*entry, "data") == nullptr)
                        importLegacyAttackFileFormat (*entry);
        }
    }

    for (auto* child : document.getChildIterator())
        if (PresetXml::isFloatTag (child->getTagName()))
            splitSingleAttackEnable (*child);

    return document;
}

void PresetTranslatorThudmor::importLegacyAttackFileFormat (juce::XmlElement& entry)
{
    if (auto* fileChild = PresetXml::findChild (entry, "file"))
        importFromFileChild (entry, *fileChild);
    else
        importFromEntryAttribute (entry);
}
