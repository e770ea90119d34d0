#pragma once
// The steps of one whole join after its name checks: Init, the wide names, OpenInputs, the
// profile check, Configure, Merge and Cleanup, stopping at the first failure.

#include "merger.h"

namespace engine {

// merger holds the caller's path table already; first, second and output are UTF-8 paths.
HRESULT RunJoin(CMerger& merger, const char* first, const char* second, const char* output);

}  // namespace engine
