#include "simple_index.h"

#include "asf_guids.h"

namespace asf {

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
        entries.push_back(e);
    }
    return r.ok();
}

void SimpleIndex::Render(ByteWriter& w) const {
    ObjectScope scope(w, guids::kSimpleIndex);
    w.WriteGuid(fileId);
    w.U64(interval);
    w.U32(maxPacketCount);
    w.U32(static_cast<uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        w.U32(e.packetNumber);
        w.U16(e.packetCount);
    }
}

bool SimpleIndex::WriteTo(ByteSink& sink) const {
    constexpr size_t kPiece = 64 << 10;
    ByteWriter w;
    w.WriteGuid(guids::kSimpleIndex);
    w.U64(kEntriesStart + kEntrySize * entries.size());
    w.WriteGuid(fileId);
    w.U64(interval);
    w.U32(maxPacketCount);
    w.U32(static_cast<uint32_t>(entries.size()));
    auto e = entries.begin();
    for (;;) {
        for (; e != entries.end() && w.Size() < kPiece; ++e) {
            w.U32(e->packetNumber);
            w.U16(e->packetCount);
        }
        if (!sink.Write(w.Buffer().data(), w.Size())) return false;
        if (e == entries.end()) return true;
        w.Buffer().clear();
    }
}

}  // namespace asf
