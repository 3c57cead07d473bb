// Arbitrary bytes as a preset file: read, translated and applied as a main preset and as a
// second-layer attack bank.
#include "FuzzSupport.h"

THUDMOR_FUZZ_TARGET (fuzzinputs::presetFile (fuzzing::rig(), data, size, report))
