#pragma once
// The Simple Index object: per time interval, the packet where the latest key frame starts.

#include <cstdint>
#include <deque>

#include "byte_io.h"

namespace asf {

struct SimpleIndex {
    struct Entry {
        uint32_t packetNumber;
        uint16_t packetCount;
    };
    static constexpr uint64_t kEntriesStart = 56;  // object header and fields
    static constexpr uint64_t kEntrySize = 6;

    Guid fileId;
    uint64_t interval = 10000000;  // 100 ns
    uint32_t maxPacketCount = 0;
    std::deque<Entry> entries;  // a long time line has millions: grown without copies

    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
    // The rendered bytes, written in pieces: never whole in memory.
    bool WriteTo(ByteSink& sink) const;
};

}  // namespace asf
