#pragma once

#include "host/HostedKick.h"

#include <gtest/gtest.h>

// Base of the tests that run once per plug-in format.
class HostFormatTest : public testing::TestWithParam<PluginFormatKind>
{
protected:
    // A prepared instance of the format under test; fails the test when the bundle does not load.
    [[nodiscard]] std::unique_ptr<HostedKick> loadKick (double sampleRate = 48000.0, int blockSize = 512) const
    {
        juce::String error;
        auto kick = HostedKick::load (GetParam(), sampleRate, blockSize, error);
        EXPECT_NE (kick, nullptr) << error;
        return kick;
    }
};

inline std::string formatTestName (const testing::TestParamInfo<PluginFormatKind>& info)
{
    return formatLabel (info.param);
}

#define THUDMOR_INSTANTIATE_FOR_BOTH_FORMATS(suite)                                                                    \
    INSTANTIATE_TEST_SUITE_P (Formats, suite, testing::Values (PluginFormatKind::vst3, PluginFormatKind::lv2),         \
                              formatTestName)
