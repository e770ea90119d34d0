#include "packet_writer.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace asf {

namespace {
constexpr uint64_t kIndexInterval = 10000000;  // 1 s in 100 ns
constexpr uint64_t kMaxStep = 10000000;        // 1 s: a gap, not a sample's length
constexpr unsigned kMaxPayloads = 63;
constexpr uint8_t kLengthTypeFlags = 0x11;       // multiple payloads, WORD padding length
constexpr uint8_t kPropertyFlags = 0x5D;         // BYTE replicated length, DWORD offset, BYTE
                                                 // object number, BYTE stream number
constexpr uint8_t kMultiplePayloadFlags = 0x80;  // WORD payload lengths

void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

PacketWriter::PacketWriter(ByteSink& sink, uint32_t packetSize, uint64_t preroll,
                           const std::vector<uint16_t>& videoStreams)
    : m_sink(sink), m_packetSize(packetSize), m_preroll(preroll) {
    for (uint16_t s : videoStreams) {
        IndexState& ix = m_indexes[s];
        if (s < m_indexByNumber.size()) m_indexByNumber[s] = &ix;
    }
}

void PacketWriter::StartPacket(uint32_t sendTime) {
    m_packet = m_sink.Claim(m_packetSize);
    m_used = kPacketHeader;
    uint8_t* p = m_packet;
    std::memset(p, 0, kPacketHeader);
    p[0] = 0x82;  // error correction present, 2 bytes of data
    p[3] = kLengthTypeFlags;
    p[4] = kPropertyFlags;
    Put32(p + 7, sendTime);
    m_payloads = 0;
    m_open = true;
}

bool PacketWriter::FlushPacket() {
    if (!m_open) return true;
    uint8_t* p = m_packet;
    Put16(p + 5, static_cast<uint16_t>(m_packetSize - m_used));
    p[13] = static_cast<uint8_t>(kMultiplePayloadFlags | m_payloads);
    std::memset(p + m_used, 0, m_packetSize - m_used);
    m_open = false;
    m_packet = nullptr;
    ++m_packets;
    if (!m_sink.Commit(m_packetSize)) m_failed = true;
    return !m_failed;
}

bool PacketWriter::AddSample(uint16_t stream, uint64_t time, uint64_t duration, bool keyFrame,
                             const SamplePiece* pieces, size_t count, uint32_t length) {
    if (m_failed || stream == 0 || stream > 127 || length == 0) return false;
    // The packet's padding and payload lengths are WORDs, and a packet must hold a payload.
    if (m_packetSize > 0xFFFF || m_packetSize < kPacketHeader + kPayloadHeader + 1) return false;
    uint64_t available = 0;
    for (size_t i = 0; i < count; ++i) available += pieces[i].length;
    if (available < length) return false;
    uint64_t presentation = time / 10000 + m_preroll;
    if (presentation > UINT32_MAX) return false;
    // Send times follow the samples but never go back, whatever order the samples come in.
    m_lastSend = std::max<uint64_t>(m_lastSend, time / 10000);
    StreamState*& known = m_streamByNumber[stream];
    if (!known) known = &m_streams[stream];
    StreamState& s = *known;
    if (s.started && time > s.lastTime && time - s.lastTime <= kMaxStep) {
        s.steps += time - s.lastTime;
        ++s.stepCount;
    }
    s.started = true;
    s.lastTime = std::max(s.lastTime, time);
    if (duration) s.lastEnd = std::max(s.lastEnd, time + duration);
    s.maxObject = std::max(s.maxObject, length);

    uint64_t firstPacket = m_packets;
    uint32_t offset = 0;
    const SamplePiece* piece = pieces;
    uint32_t inPiece = 0;  // bytes of *piece already stored
    while (offset < length) {
        if (m_open && (m_payloads == kMaxPayloads || m_packetSize - m_used < kPayloadHeader + 1)) {
            if (!FlushPacket()) return false;
        }
        if (!m_open) StartPacket(static_cast<uint32_t>(m_lastSend));
        if (offset == 0) firstPacket = m_packets;
        size_t room = m_packetSize - m_used - kPayloadHeader;
        uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(room, length - offset));
        uint8_t* h = m_packet + m_used;
        h[0] = static_cast<uint8_t>(stream | (keyFrame ? 0x80 : 0));
        h[1] = s.objectNumber;
        Put32(h + 2, offset);
        h[6] = 8;
        Put32(h + 7, length);
        Put32(h + 11, static_cast<uint32_t>(presentation));
        Put16(h + 15, static_cast<uint16_t>(chunk));
        uint8_t* to = h + kPayloadHeader;
        if (count == 1) {  // the common case: the chunk lies at its offset in the one piece
            std::memcpy(to, pieces->data + offset, chunk);
        } else {
            for (uint32_t left = chunk; left > 0;) {
                while (inPiece == piece->length) {
                    ++piece;
                    inPiece = 0;
                }
                const uint32_t take = std::min(left, piece->length - inPiece);
                std::memcpy(to, piece->data + inPiece, take);
                to += take;
                inPiece += take;
                left -= take;
            }
        }
        m_used += kPayloadHeader + chunk;
        ++m_payloads;
        offset += chunk;
    }
    ++s.objectNumber;

    if (m_indexByNumber[stream] && keyFrame) {
        IndexState& ix = *m_indexByNumber[stream];
        if (firstPacket > UINT32_MAX) return !(m_failed = true);  // the index holds DWORDs
        SimpleIndex::Entry key{
            static_cast<uint32_t>(firstPacket),
            static_cast<uint16_t>(std::min<uint64_t>(m_packets - firstPacket + 1, UINT16_MAX))};
        // Entry i covers i seconds on the presentation timeline (preroll included).
        uint64_t keyTime = presentation * 10000;
        // Entries up to the key frame's time, each the key frame before it.
        const uint64_t upTo = (keyTime + kIndexInterval - 1) / kIndexInterval;
        if (upTo > ix.index.EntryCount())
            ix.index.Add(ix.haveKey ? ix.lastKey : key, upTo - ix.index.EntryCount());
        ix.lastKey = key;
        ix.haveKey = true;
    }
    return true;
}

bool PacketWriter::Finish() { return FlushPacket(); }

uint64_t PacketWriter::ContentEnd() const {
    uint64_t end = 0;
    for (const auto& [number, s] : m_streams) {
        uint64_t step = s.stepCount ? (s.steps / s.stepCount + 5000) / 10000 * 10000 : 0;
        end = std::max({end, s.lastEnd, s.lastTime + step});
    }
    return end;
}

uint32_t PacketWriter::MaxObjectSize(uint16_t stream) const {
    auto it = m_streams.find(stream);
    return it == m_streams.end() ? 0 : it->second.maxObject;
}

SimpleIndex PacketWriter::TakeIndex(uint16_t stream) {
    SimpleIndex index;
    index.interval = kIndexInterval;
    auto it = m_indexes.find(stream);
    if (it == m_indexes.end()) return index;
    IndexState& ix = it->second;
    index = std::move(ix.index);
    index.interval = kIndexInterval;
    const uint64_t end = ContentEnd() + m_preroll * 10000;
    const uint64_t upTo = end / kIndexInterval + 1;  // entries up to and including the end
    if (ix.haveKey && upTo > index.EntryCount()) index.Add(ix.lastKey, upTo - index.EntryCount());
    for (const SimpleIndex::Run& run : index.Runs())
        index.maxPacketCount = std::max<uint32_t>(index.maxPacketCount, run.entry.packetCount);
    return index;
}

}  // namespace asf
