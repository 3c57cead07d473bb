#include "support/XmlParsing.h"

#include <string_view>

namespace
{
struct TagScan
{
    int deepest = 0;
    int attributes = 0;
    bool instructionInContent = false;
};

// Scans UTF-8 bytes: every character that matters to the tag structure is ASCII.
TagScan scanTags (std::string_view text)
{
    const auto skipPast = [&text] (size_t from, std::string_view terminator)
    {
        const auto found = text.find (terminator, from);
        return found == std::string_view::npos ? text.size() : found + terminator.size();
    };

    int depth = 0;
    TagScan scan;
    size_t i = 0;

    while ((i = text.find ('<', i)) != std::string_view::npos)
    {
        const auto rest = text.substr (i);
        if (rest.starts_with ("<!--"))
        {
            i = skipPast (i + 4, "-->");
            continue;
        }
        if (rest.starts_with ("<![CDATA["))
        {
            i = skipPast (i + 9, "]]>");
            continue;
        }
        if (rest.starts_with ("<?") && depth > 0)
            scan.instructionInContent = true;
        if (rest.starts_with ("<?") || rest.starts_with ("<!"))
        {
            i = skipPast (i + 2, ">");
            continue;
        }

        const bool closing = rest.starts_with ("</");
        bool selfClosing = false;
        char quote = 0;
        size_t j = i + 1;

        for (; j < text.size(); ++j)
        {
            const auto c = text[j];
            if (quote != 0)
            {
                if (c == quote)
                    quote = 0;
            }
            else if (c == '"' || c == '\'')
            {
                quote = c; // inside a tag only attribute values are quoted
                ++scan.attributes;
            }
            else if (c == '>')
            {
                selfClosing = text[j - 1] == '/';
                break;
            }
        }

        if (closing)
            depth = std::max (0, depth - 1);
        else if (! selfClosing)
            scan.deepest = std::max (scan.deepest, ++depth);

        i = j + 1;
    }

    return scan;
}

TagScan scanTags (const juce::String& text)
{
    const auto* utf8 = text.toRawUTF8();
    return scanTags (std::string_view (utf8, text.getNumBytesAsUTF8()));
}
} // namespace

int measureXmlNesting (const juce::String& text) { return scanTags (text).deepest; }

int countXmlAttributes (const juce::String& text) { return scanTags (text).attributes; }

std::unique_ptr<juce::XmlElement> parseXmlSafely (const juce::String& text)
{
    const auto scan = scanTags (text);
    if (scan.deepest > maximumXmlNesting || scan.attributes > maximumXmlAttributes || scan.instructionInContent)
        return nullptr;
    return juce::XmlDocument::parse (text);
}

std::unique_ptr<juce::XmlElement> parseXmlFileSafely (const juce::File& file)
{
    if (! file.existsAsFile())
        return nullptr;
    return parseXmlSafely (file.loadFileAsString());
}
