// Arbitrary text as the GUI description document: the walk, the store it builds, a kick.
#include "FuzzSupport.h"

THUDMOR_FUZZ_TARGET (fuzzinputs::documentWalk (data, size, report))
