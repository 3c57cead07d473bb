#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <memory>
#include <vector>

// The few global, per-user switches of the plug-in, kept in one settings file shared by
// every instance in the process. Values are juce::Values: widgets referTo them, and every
// change is written to the file at once. Message thread only.
class PluginProperties final : private juce::Value::Listener
{
public:
    struct Property
    {
        juce::String key;
        juce::String description;
        juce::Value value;
    };

    // A counted hold on the process-wide object: the first Share creates it (reading the
    // settings file), the last one to go deletes it.
    class Share
    {
    public:
        Share();
        ~Share();

        Share (const Share&) = delete;
        Share& operator= (const Share&) = delete;

        [[nodiscard]] PluginProperties& get() const noexcept { return properties; }

    private:
        PluginProperties& properties;
    };

    // Registers a property once per key. A bool default is overridden by the file's value
    // for the key; any other type leaves the value void.
    void registerProperty (const juce::String& key, const juce::String& description, const juce::var& defaultValue);

    // The value of the property with exactly this key, else a void invalid value. The
    // reference stays valid while the caller's Share lives.
    [[nodiscard]] juce::Value& getValue (const juce::String& key);

    [[nodiscard]] const std::vector<std::unique_ptr<Property>>& getProperties() const noexcept { return properties; }

private:
    PluginProperties();
    ~PluginProperties() override;

    void valueChanged (juce::Value& value) override;

    Property invalidProperty{ "Invalid", "Invalid Property Error", juce::Value() };
    std::vector<std::unique_ptr<Property>> properties;
    std::unique_ptr<juce::PropertiesFile> settings;
};
