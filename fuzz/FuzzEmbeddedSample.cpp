// Arbitrary text as an embedded sample: base64 decoding and WAV reading, then playing it.
#include "FuzzSupport.h"

THUDMOR_FUZZ_TARGET (fuzzinputs::embeddedSample (fuzzing::rig(), data, size, report))
