#pragma once

#include "core/AudioDataSource.h"
#include "params/ProcessorParameterStore.h"

// The plug-in independent part of the processor: its parameter store, and the render
// interface it offers the editor.
class VellmarkProcessor : public AudioDataSource
{
public:
    [[nodiscard]] ProcessorParameterStore& getParameterStore() noexcept { return parameterStore; }
    [[nodiscard]] const ProcessorParameterStore& getParameterStore() const noexcept { return parameterStore; }

protected:
    ProcessorParameterStore parameterStore;
};
