#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

// Google Benchmark's main with JUCE initialised, as the processor needs.
int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
