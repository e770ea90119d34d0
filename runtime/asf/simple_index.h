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
        bool operator==(const Entry& o) const {
            return packetNumber == o.packetNumber && packetCount == o.packetCount;
        }
    };
    // Equal entries in a row, kept once: a long idle stretch of a time line is one run.
    struct Run {
        Entry entry;
        uint64_t count;
    };
    static constexpr uint64_t kEntriesStart = 56;  // object header and fields
    static constexpr uint64_t kEntrySize = 6;

    Guid fileId;
    uint64_t interval = 10000000;  // 100 ns
    uint32_t maxPacketCount = 0;

    void Add(const Entry& e, uint64_t count = 1);
    uint64_t EntryCount() const { return m_entryCount; }
    const std::deque<Run>& Runs() const { return m_runs; }
    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
    // The rendered bytes, written in pieces: never whole in memory.
    bool WriteTo(ByteSink& sink) const;

  private:
    std::deque<Run> m_runs;
    uint64_t m_entryCount = 0;
};

}  // namespace asf
