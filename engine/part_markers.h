#pragma once
// Part markers: one marker where each input starts in the joined file, named after that input.

#include <string>
#include <vector>

#include "wm_interfaces.h"

namespace engine {

struct PartStart {
    std::string path;  // the input's path, UTF-8
    QWORD time = 0;    // where the input starts in the output, 100 ns
};

// The file name of a path without its folder and its last extension ("a/b.c.wmv" gives "b.c").
std::u16string PartMarkerName(const std::string& path);

// Adds one marker per part to the output's header; the first failure is reported and returned.
HRESULT AddPartMarkers(IWMHeaderInfo* output, const std::vector<PartStart>& parts);

}  // namespace engine
