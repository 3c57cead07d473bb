#pragma once

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

#include <memory>

class PresetTranslatorThudmor;

// One preset file held in memory: read, edited and written by the preset stores, the pack
// installer and builder, the wizard and the preset browsers. Failures leave a text in
// getError(), which is empty after a success.
class PresetFile final
{
public:
    // The translator, when given, rewrites every document read into the current form.
    explicit PresetFile (PresetTranslatorThudmor* translatorToUse = nullptr);

    PresetFile (const PresetFile&) = delete;
    PresetFile& operator= (const PresetFile&) = delete;

    bool read (const juce::String& path);
    bool write (const juce::String& path);

    // The entry `key` of the document's non-parameter data, or null.
    juce::XmlElement* getDataEntry (const juce::String& key);

    // The bare file name stored in the `file` child of entry `key`, or empty.
    juce::String getDisplayFileName (const juce::String& key);
    void setDataFileName (const juce::String& key, const juce::String& path);

    // Used when a bank is built from scratch: creates the `float` and `info` children as needed.
    void setFloat (const juce::String& key, float value);

    void setBlurb (const juce::String& text);
    // False for a null image or a document without non-parameter data.
    bool setImage (const juce::Image& picture);

    [[nodiscard]] const juce::String& getError() const noexcept { return error; }
    [[nodiscard]] juce::XmlElement& getXml() noexcept { return *xml; }
    [[nodiscard]] const juce::XmlElement& getXml() const noexcept { return *xml; }
    [[nodiscard]] const juce::Image& getImage() const noexcept { return image; }
    [[nodiscard]] const juce::String& getBlurb() const noexcept { return blurb; }
    [[nodiscard]] const juce::String& getFile() const noexcept { return file; }

    static constexpr int imageSize = 100;

private:
    [[nodiscard]] juce::XmlElement* findData() const;
    [[nodiscard]] juce::XmlElement* findFileChild (const juce::String& key);
    void takeNameFromFile (const juce::File& source);
    void readBlurbAndImage();

    juce::String error;
    std::unique_ptr<juce::XmlElement> xml;
    juce::Image image;
    juce::String blurb;
    PresetTranslatorThudmor* translator = nullptr;
    juce::String file;
};
