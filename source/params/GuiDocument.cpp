#include "params/GuiDocument.h"

#include "support/PluginLogs.h"

#include <ThudmorBinaryData.h>

juce::String getXmlConfiguration()
{
    logDebug ("getXmlConfiguration", "Release version");
    logDebug ("getXmlConfiguration",
              "Loading memory stream for GUI.XML with size " + juce::String (ThudmorBinary::gui_xmlSize));

    juce::MemoryInputStream stream (ThudmorBinary::gui_xml, (size_t) ThudmorBinary::gui_xmlSize, false);
    return stream.readEntireStreamAsString();
}
