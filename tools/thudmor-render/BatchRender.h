#pragma once

#include "thudmor-render/RenderOptions.h"

// Renders every .preset file below the batch folder into the output folder, keeping the
// relative paths (with the extension .wav). Shows a progress bar when standard output is a
// terminal, names each failure on standard error, and ends with a summary. Returns the
// process exit status: 0 when every preset rendered.
int runBatchRender (const RenderOptions& options);
