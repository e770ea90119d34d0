#pragma once
// One line naming how a later input's stream differs from the first input's stream it was to
// pair with, for the mismatch message.

#include <string>

#include "stream_table.h"

namespace engine {

// "video 640×480, the first file's is 320×240\n" and the like: compares firstType (a stream of
// the first input) with other's first unpaired stream of the same media type.
std::string StreamDifferenceLine(WM_MEDIA_TYPE* firstType, BOOL firstVbr, StreamTable& other,
                                 const StreamMap& map);

}  // namespace engine
