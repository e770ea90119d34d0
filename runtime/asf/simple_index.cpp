#include "simple_index.h"

#include "asf_guids.h"

namespace asf {

void SimpleIndex::Add(const Entry& e, uint64_t count) {
    if (count == 0) return;
    if (!m_runs.empty() && m_runs.back().entry == e)
        m_runs.back().count += count;
    else
        m_runs.push_back({e, count});
    m_entryCount += count;
}

bool SimpleIndex::Parse(ByteReader r) {
    fileId = r.ReadGuid();
    interval = r.U64();
    maxPacketCount = r.U32();
    uint32_t count = r.U32();
    if (!r.ok() || count > r.Remaining() / 6) return false;
    for (uint32_t i = 0; i < count; ++i) {
        Entry e;
        e.packetNumber = r.U32();
        e.packetCount = r.U16();
        Add(e);
    }
    return r.ok();
}

void SimpleIndex::Render(ByteWriter& w) const {
    ObjectScope scope(w, guids::kSimpleIndex);
    w.WriteGuid(fileId);
    w.U64(interval);
    w.U32(maxPacketCount);
    w.Field32(m_entryCount, "the number of index entries");
    for (const Run& run : m_runs) {
        for (uint64_t i = 0; i < run.count; ++i) {
            w.U32(run.entry.packetNumber);
            w.U16(run.entry.packetCount);
        }
    }
}

bool SimpleIndex::WriteTo(ByteSink& sink) const {
    constexpr size_t kPiece = 64 << 10;
    if (m_entryCount > UINT32_MAX) return false;  // its count field is 32 bits
    ByteWriter w;
    w.WriteGuid(guids::kSimpleIndex);
    w.U64(kEntriesStart + kEntrySize * m_entryCount);
    w.WriteGuid(fileId);
    w.U64(interval);
    w.U32(maxPacketCount);
    w.U32(static_cast<uint32_t>(m_entryCount));
    auto run = m_runs.begin();
    uint64_t done = 0;  // entries of *run written
    for (;;) {
        for (; run != m_runs.end() && w.Size() < kPiece; ++run, done = 0) {
            for (; done < run->count && w.Size() < kPiece; ++done) {
                w.U32(run->entry.packetNumber);
                w.U16(run->entry.packetCount);
            }
            if (done < run->count) break;
        }
        if (!sink.Write(w.Buffer().data(), w.Size())) return false;
        if (run == m_runs.end()) return true;
        w.Buffer().clear();
    }
}

}  // namespace asf
