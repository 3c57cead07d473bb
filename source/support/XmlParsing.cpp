#include "support/XmlParsing.h"

#include <string_view>

namespace
{
struct TagScan
{
    int deepest = 0;
    int attributes = 0;
    bool plain = true;
};

// Walks UTF-8 bytes through the plain XML that JUCE's writer produces and every document the
// plug-in reads is made of: a prolog of comments and instructions, then elements with quoted
// attributes, text, comments and CDATA, with the five named entities and character
// references. Anything else makes the text not plain, and the walk stops there: JUCE's parser
// reads on after most errors, so past that point it could find elements this walk never saw
// (a quote or entity it reads differently, an instruction it never returns from).
class StructureWalk
{
public:
    explicit StructureWalk (std::string_view textToWalk)
        : text (textToWalk)
    {
    }

    TagScan run()
    {
        scan.plain = walk();
        return scan;
    }

private:
    bool walk()
    {
        for (;;)
        {
            skipSpace();
            if (startsWith ("<!--"))
            {
                if (! skipPast (4, "-->"))
                    return false;
            }
            else if (startsWith ("<?"))
            {
                if (! skipPast (2, "?>"))
                    return false;
            }
            else
                break;
        }

        int depth = 0;
        if (! readOpeningTag (depth))
            return false;

        while (depth > 0)
        {
            const auto c = peek();
            if (c == '\0')
                return false;

            if (c == '&')
            {
                if (! readEntity())
                    return false;
            }
            else if (c != '<')
                ++pos;
            else if (startsWith ("<!--"))
            {
                if (! skipPast (4, "-->"))
                    return false;
            }
            else if (startsWith ("<![CDATA["))
            {
                if (! skipPast (9, "]]>"))
                    return false;
            }
            else if (startsWith ("</"))
            {
                if (! skipPast (2, ">"))
                    return false;
                --depth;
            }
            else if (! readOpeningTag (depth))
                return false;
        }

        return true;
    }

    bool readOpeningTag (int& depth)
    {
        ++pos; // the '<'
        if (! readName())
            return false;

        for (;;)
        {
            skipSpace();
            if (startsWith ("/>"))
            {
                pos += 2;
                return true;
            }
            if (peek() == '>')
            {
                ++pos;
                scan.deepest = std::max (scan.deepest, ++depth);
                return true;
            }

            if (! readName())
                return false;
            skipSpace();
            if (peek() != '=')
                return false;
            ++pos;
            skipSpace();

            const auto quote = peek();
            if (quote != '"' && quote != '\'')
                return false;
            ++pos;

            for (auto c = peek(); c != quote; c = peek())
            {
                if (c == '\0')
                    return false;
                if (c == '&')
                {
                    if (! readEntity())
                        return false;
                }
                else
                    ++pos;
            }
            ++pos;
            ++scan.attributes;
        }
    }

    bool readEntity()
    {
        ++pos; // the '&'
        for (const std::string_view named : { "amp;", "quot;", "apos;", "lt;", "gt;" })
            if (startsWithIgnoringCase (named))
            {
                pos += named.size();
                return true;
            }

        if (peek() != '#')
            return false;
        ++pos;

        const bool hex = peek() == 'x' || peek() == 'X';
        if (hex)
            ++pos;

        long code = 0;
        int digits = 0;
        for (; peek() != ';'; ++pos, ++digits)
        {
            const auto digit = juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (unsigned char) peek());
            if (digit < 0 || (! hex && digit > 9) || digits == 7)
                return false;
            code = code * (hex ? 16 : 10) + digit;
        }
        ++pos;

        const bool surrogate = code >= 0xd800 && code <= 0xdfff;
        return digits > 0 && code > 0 && code <= 0x10ffff && ! surrogate;
    }

    bool readName()
    {
        const auto start = pos;
        while (isNameCharacter (peek()))
            ++pos;
        return pos > start;
    }

    void skipSpace()
    {
        for (auto c = peek(); c == ' ' || (c >= '\t' && c <= '\r'); c = peek())
            ++pos;
    }

    bool skipPast (size_t opening, std::string_view terminator)
    {
        const auto found = text.find (terminator, pos + opening);
        if (found == std::string_view::npos)
            return false;
        pos = found + terminator.size();
        return true;
    }

    static bool isNameCharacter (char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'
               || c == ':' || c == '.';
    }

    [[nodiscard]] char peek() const { return pos < text.size() ? text[pos] : '\0'; }
    [[nodiscard]] bool startsWith (std::string_view s) const { return text.substr (pos).starts_with (s); }

    [[nodiscard]] bool startsWithIgnoringCase (std::string_view s) const
    {
        const auto here = text.substr (pos, s.size());
        return here.size() == s.size()
               && std::equal (here.begin(), here.end(), s.begin(),
                              [] (char a, char b) { return juce::CharacterFunctions::toLowerCase (a) == b; });
    }

    const std::string_view text;
    size_t pos = 0;
    TagScan scan;
};

TagScan scanTags (const juce::String& text)
{
    const auto* utf8 = text.toRawUTF8();
    return StructureWalk (std::string_view (utf8, text.getNumBytesAsUTF8())).run();
}
} // namespace

int measureXmlNesting (const juce::String& text) { return scanTags (text).deepest; }

int countXmlAttributes (const juce::String& text) { return scanTags (text).attributes; }

std::unique_ptr<juce::XmlElement> parseXmlSafely (const juce::String& text)
{
    const auto scan = scanTags (text);
    if (! scan.plain || scan.deepest > maximumXmlNesting || scan.attributes > maximumXmlAttributes)
        return nullptr;
    return juce::XmlDocument::parse (text);
}

std::unique_ptr<juce::XmlElement> parseXmlFileSafely (const juce::File& file)
{
    if (! file.existsAsFile())
        return nullptr;
    return parseXmlSafely (file.loadFileAsString());
}
