// Arbitrary bytes as the host state: blob reader, XML parser, state document, compatibility
// mode and the samples a state carries.
#include "FuzzSupport.h"

THUDMOR_FUZZ_TARGET (fuzzinputs::stateBlob (fuzzing::rig(), data, size, report))
