#include "support/PluginProperties.h"

#include "common/LogCapture.h"
#include "support/Folders.h"

#include <gtest/gtest.h>

namespace
{
class PluginPropertiesTest : public testing::Test
{
protected:
    void SetUp() override { getSettingsFile().deleteFile(); }
    void TearDown() override { getSettingsFile().deleteFile(); }

    // What the processor registers when it starts.
    static void registerShipped (PluginProperties& properties)
    {
        properties.registerProperty ("RunWizardOnOpen", "Show wizard when loaded", true);
        properties.registerProperty ("TooltipsEnabled", "Show tooltips", true);
    }

    // A widget bound to a property changes it, as a toggle button would. JUCE tells the
    // listeners asynchronously; the test delivers the notice at once.
    static void changeFromWidget (PluginProperties& properties, const juce::String& key, const juce::var& newValue)
    {
        juce::Value widget;
        widget.referTo (properties.getValue (key));
        widget = newValue;
        widget.getValueSource().sendChangeMessage (true);
    }

    // The stored text of a key in the settings file, or nothing.
    static std::optional<juce::String> storedValue (const juce::String& key)
    {
        const auto xml = juce::parseXML (getSettingsFile());
        if (xml == nullptr || ! xml->hasTagName ("PROPERTIES"))
            return std::nullopt;
        for (const auto* entry : xml->getChildWithTagNameIterator ("VALUE"))
            if (entry->getStringAttribute ("name") == key)
                return entry->getStringAttribute ("val");
        return std::nullopt;
    }
};
} // namespace

TEST_F (PluginPropertiesTest, WithoutASettingsFileBothPropertiesAreTrueAndNothingIsWritten)
{
    {
        const PluginProperties::Share share;
        registerShipped (share.get());
        EXPECT_EQ (share.get().getValue ("RunWizardOnOpen").getValue(), juce::var (true));
        EXPECT_EQ (share.get().getValue ("TooltipsEnabled").getValue(), juce::var (true));

        const auto& list = share.get().getProperties();
        ASSERT_EQ (list.size(), 2u);
        EXPECT_EQ (list[0]->key, "RunWizardOnOpen");
        EXPECT_EQ (list[1]->description, "Show tooltips");
    }
    EXPECT_FALSE (getSettingsFile().exists());
}

TEST_F (PluginPropertiesTest, AChangeIsWrittenAtOnceAndReadBackByTheNextObject)
{
    const LogCapture log;
    {
        const PluginProperties::Share share;
        registerShipped (share.get());
        changeFromWidget (share.get(), "TooltipsEnabled", false);

        // On disk while the object still lives, not only when it goes.
        EXPECT_EQ (storedValue ("TooltipsEnabled"), juce::String ("0"));
        EXPECT_FALSE (storedValue ("RunWizardOnOpen").has_value());
        EXPECT_TRUE (log.contains ("valueChanged", "DEBUG", "writing TooltipsEnabled = 0"));

        changeFromWidget (share.get(), "RunWizardOnOpen", false);
        changeFromWidget (share.get(), "RunWizardOnOpen", true);
        EXPECT_EQ (storedValue ("RunWizardOnOpen"), juce::String ("1"));
    }

    const PluginProperties::Share share;
    registerShipped (share.get());
    EXPECT_EQ (share.get().getValue ("TooltipsEnabled").getValue(), juce::var (false));
    EXPECT_EQ (share.get().getValue ("RunWizardOnOpen").getValue(), juce::var (true));
}

TEST_F (PluginPropertiesTest, UnknownKeysAndOtherLetterCasesGiveTheInvalidValue)
{
    const PluginProperties::Share share;
    registerShipped (share.get());
    auto& tooltips = share.get().getValue ("TooltipsEnabled");

    for (const juce::String key : { "tooltipsenabled", "TOOLTIPSENABLED", "Nope", "" })
    {
        SCOPED_TRACE (key);
        const LogCapture log;
        auto& value = share.get().getValue (key);

        EXPECT_TRUE (value.getValue().isVoid());
        EXPECT_FALSE (value.refersToSameSourceAs (tooltips));
        EXPECT_TRUE (log.contains ("getValue", "DEBUG", "called with " + key));
        EXPECT_TRUE (log.contains ("propertyListLookup", "DEBUG", "Key not found: " + key));
    }
}

TEST_F (PluginPropertiesTest, InvalidSettingsFileIsLoggedAndReplacedAtTheNextChange)
{
    const auto deep = "<?xml version=\"1.0\"?><PROPERTIES>" + juce::String::repeatedString ("<a>", 200000);

    const std::pair<const char*, juce::String> cases[] = {
        { "not XML", "TooltipsEnabled=0 and other words" },
        { "cut short", "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"TooltipsEnabled\" val=\"0\"" },
        // JUCE's parser would recurse once per level and overflow the stack.
        { "nested far too deeply", deep },
    };

    for (const auto& [description, text] : cases)
    {
        SCOPED_TRACE (description);
        ASSERT_TRUE (getSettingsFile().getParentDirectory().createDirectory());
        ASSERT_TRUE (getSettingsFile().replaceWithText (text));
        const LogCapture log;

        const PluginProperties::Share share;
        EXPECT_TRUE (log.contains ("PluginProperties", "ERROR",
                                   "settings file isn't working " + getSettingsFile().getFullPathName()));
        registerShipped (share.get());
        EXPECT_EQ (share.get().getValue ("TooltipsEnabled").getValue(), juce::var (true));

        changeFromWidget (share.get(), "TooltipsEnabled", false);
        EXPECT_EQ (storedValue ("TooltipsEnabled"), juce::String ("0"));
    }
}

TEST_F (PluginPropertiesTest, OnlyBoolDefaultsGetAValueAndAKeyRegistersOnce)
{
    const LogCapture log;
    const PluginProperties::Share share;
    auto& properties = share.get();

    properties.registerProperty ("Zoom", "Window zoom", 1.5);
    EXPECT_TRUE (log.contains ("registerProperty", "ERROR", "non-bool property"));
    EXPECT_TRUE (properties.getValue ("Zoom").getValue().isVoid());

    properties.registerProperty ("TooltipsEnabled", "Show tooltips", true);
    properties.registerProperty ("TooltipsEnabled", "Something else", false);
    ASSERT_EQ (properties.getProperties().size(), 2u);
    EXPECT_EQ (properties.getProperties()[1]->description, "Show tooltips");
    EXPECT_EQ (properties.getValue ("TooltipsEnabled").getValue(), juce::var (true));
}

TEST_F (PluginPropertiesTest, SharesHoldOneObjectThatTheLastOneDeletes)
{
    auto first = std::make_unique<PluginProperties::Share>();
    registerShipped (first->get());
    {
        const PluginProperties::Share second;
        EXPECT_EQ (&second.get(), &first->get());
        EXPECT_EQ (second.get().getProperties().size(), 2u);
    }
    EXPECT_EQ (first->get().getProperties().size(), 2u) << "the object went while a share was left";

    first.reset();
    const PluginProperties::Share fresh;
    EXPECT_TRUE (fresh.get().getProperties().empty());
}
