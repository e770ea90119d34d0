#pragma once
// The Simple Index object: per time interval, the packet where the latest key frame starts.

#include <cstdint>
#include <vector>

#include "byte_io.h"

namespace asf {

struct SimpleIndex {
    struct Entry {
        uint32_t packetNumber;
        uint16_t packetCount;
    };
    Guid fileId;
    uint64_t interval = 10000000;  // 100 ns
    uint32_t maxPacketCount = 0;
    std::vector<Entry> entries;

    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
};

}  // namespace asf
