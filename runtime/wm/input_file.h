#pragma once
// Opens a file for reading as ASF: regular files only, never blocking on a FIFO or a device.
// A failure comes with the reason in words for the user.

#include <memory>
#include <string>

#include "../asf/header.h"
#include "wm_types.h"

namespace wm {

struct InputFile {
    std::unique_ptr<asf::ByteSource> source;
    asf::AsfHeader header;
    asf::AsfLayout layout;
};

HRESULT OpenInputFile(const std::string& path, InputFile& out, std::string& why);

// The time line of a file's samples, from its first and last packets (100 ns, preroll removed).
struct TimeLine {
    uint64_t first = 0;
    uint64_t end = 0;
    uint64_t prerollMs = 0;
    bool hasSamples = false;
};
TimeLine ReadTimeLine(asf::ByteSource& source, const asf::AsfHeader& header,
                      const asf::AsfLayout& layout);

}  // namespace wm
