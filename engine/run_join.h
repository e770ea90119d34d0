#pragma once
// The steps of one whole join after its name checks: Init, the wide names, OpenInputs, the
// profile check, Configure, Merge, Cleanup and the output put in place, stopping at the first
// failure.

#include <string>
#include <vector>

#include "merger.h"

namespace engine {

// merger holds the caller's path table already; first, second and output are UTF-8 paths. The
// output is written beside its name and put there by one rename once the join is complete;
// replace permits that rename to replace an existing file. A failed or stopped join writes
// nothing.
HRESULT RunJoin(CMerger& merger, const char* first, const char* second, const char* output,
                bool replace);

// After a finished join: "FILE: N damaged packets skipped" for each input that had damage.
std::vector<std::string> DamagedInputLines(const CMerger& merger);

}  // namespace engine
