#include "sample_assembler.h"

#include <algorithm>

#include "asf_guids.h"

namespace asf {

SampleAssembler::SampleAssembler(const AsfHeader& header) : m_preroll(header.file.preroll) {
    for (const StreamProperties& sp : header.streams) {
        Stream& s = m_streams[sp.Number()];
        m_byNumber[sp.Number()] = &s;
        s.timeOffset = sp.timeOffset;
        if (const ExtendedStreamProperties* e = header.FindExtended(sp.Number())) {
            for (size_t i = 0; i < e->extensions.size(); ++i) {
                if (e->extensions[i].id == guids::kPesSampleDuration && s.durationExtension < 0)
                    s.durationExtension = static_cast<int>(i);
                s.extensionSizes.push_back(e->extensions[i].dataSize);
            }
        }
    }
}

void SampleAssembler::Select(uint16_t stream, bool on) {
    auto it = m_streams.find(stream);
    if (it == m_streams.end()) return;
    it->second.selected = on;
    if (!on) {
        it->second.active = false;
        it->second.data = {};
        it->second.pieces.clear();
    }
}

uint64_t SampleAssembler::ToSampleTime(const Stream& s, uint32_t presentationMs) const {
    uint64_t ms = presentationMs > m_preroll ? presentationMs - m_preroll : 0;
    return ms * 10000 + s.timeOffset;
}

uint64_t SampleAssembler::DurationOf(const Stream& s, const Payload& p) const {
    if (s.durationExtension < 0 || !p.replicated) return 0;
    ByteReader r(p.replicated, p.replicatedLength);
    for (int i = 0; i < static_cast<int>(s.extensionSizes.size()); ++i) {
        uint32_t size = s.extensionSizes[i];
        if (size == 0xFFFF) size = r.U16();
        if (i == s.durationExtension) {
            if (size < 2) return 0;
            uint64_t ms = r.U16();
            return r.ok() ? ms * 10000 : 0;
        }
        if (!r.Skip(size)) return 0;
    }
    return 0;
}

Sample& SampleAssembler::Emit(Stream& s, uint16_t number, uint32_t presentationTime, bool key,
                              uint64_t duration, SampleList& out) {
    uint32_t flags = key ? kSampleCleanPoint : 0;
    if (!s.started) flags |= kSampleDiscontinuity;
    if (s.lossPending) flags |= kSampleDiscontinuity | kSampleDataLoss;
    s.started = true;
    s.lossPending = false;
    return out.emplace_back(number, flags, ToSampleTime(s, presentationTime), duration);
}

void SampleAssembler::EmitCopy(Stream& s, uint16_t number, uint32_t presentationTime, bool key,
                               uint64_t duration, const uint8_t* bytes, uint32_t length,
                               SampleList& out) {
    std::vector<uint8_t> data = NewBuffer(bytes, length, length);
    Emit(s, number, presentationTime, key, duration, out).data = std::move(data);
}

std::vector<uint8_t> SampleAssembler::NewBuffer(const uint8_t* data, size_t length,
                                                size_t capacity) {
    std::vector<uint8_t> v;
    if (!m_spares.empty()) {
        v = std::move(m_spares.back());
        m_spares.pop_back();
    }
    v.reserve(capacity);
    v.assign(data, data + length);
    return v;
}

void SampleAssembler::Lose(Stream& s) {
    s.active = false;
    s.data = {};
    s.pieces.clear();
    s.lossPending = true;
}

void SampleAssembler::MarkLossAll() {
    for (auto& [number, s] : m_streams) Lose(s);
}

void SampleAssembler::CountDamaged(uint64_t packets) {
    if (packets == 0) return;
    // A packet is counted once, also when it holds fragments of several lost objects.
    m_damaged += std::min(packets, m_packet - m_countedThrough);
    m_countedThrough = m_packet;
}

void SampleAssembler::LoseDamaged(Stream& s, bool offending) {
    uint64_t packets = s.active ? s.packets : 0;
    if (offending && !(s.active && s.lastPacket == m_packet)) ++packets;
    CountDamaged(packets);
    Lose(s);
}

void SampleAssembler::PacketDamaged() {
    CountDamaged(1);
    MarkLossAll();
}

void SampleAssembler::EndOfData() {
    for (auto& [number, s] : m_streams)
        if (s.active) LoseDamaged(s, false);
}

size_t SampleAssembler::PartialBytes() const {
    size_t n = 0;
    for (const auto& [number, s] : m_streams)
        n += s.data.capacity() + s.pieces.capacity() * sizeof(SamplePiece);
    return n;
}

void SampleAssembler::AddPayloads(const std::vector<Payload>& payloads, SampleList& out) {
    ++m_packet;
    for (const Payload& p : payloads) {
        Stream* known = p.stream < m_byNumber.size() ? m_byNumber[p.stream] : nullptr;
        if (!known) {
            CountDamaged(1);  // no such stream: the payload's stream number is damaged
            continue;
        }
        if (!known->selected) continue;
        Stream& s = *known;
        if (p.compressed) {
            if (s.active) LoseDamaged(s, false);
            ByteReader r(p.data, p.length);
            uint32_t time = p.presentationTime;
            while (r.Remaining() > 0) {
                uint8_t n = r.U8();
                if (!r.ok() || n > r.Remaining()) {
                    LoseDamaged(s, true);
                    break;
                }
                EmitWhole(s, p.stream, time, p.keyFrame, uint64_t(p.timeDelta) * 10000, r.Here(), n,
                          out);
                r.Skip(n);
                time += p.timeDelta;
            }
            continue;
        }
        if (p.offset == 0) {
            if (s.active) LoseDamaged(s, false);  // ended before all its fragments came
            if (p.objectSize == 0 || p.objectSize > kMaxObjectSize || p.length > p.objectSize) {
                LoseDamaged(s, true);
                continue;
            }
            if (p.length == p.objectSize) {
                EmitWhole(s, p.stream, p.presentationTime, p.keyFrame, DurationOf(s, p), p.data,
                          p.length, out);
                continue;
            }
            s.active = true;
            s.objectNumber = p.objectNumber;
            s.presentationTime = p.presentationTime;
            s.keyFrame = p.keyFrame;
            s.duration = DurationOf(s, p);
            s.expected = p.objectSize;
            s.received = p.length;
            s.lastPacket = m_packet;
            s.packets = 1;
            if (m_views) {
                if (!m_pieceSpares.empty()) {
                    s.pieces = std::move(m_pieceSpares.back());
                    m_pieceSpares.pop_back();
                    s.pieces.clear();
                }
                s.pieces.push_back({p.data, p.length});
                s.firstBlock = m_block;
                continue;
            }
            // Room grows with the fragments that arrive, not with the size the payload claims.
            s.data = NewBuffer(p.data, p.length, p.length);
            continue;
        }
        // A later fragment must continue the object in progress exactly. One without an object
        // is damage too, unless the loss is known already or the data began inside its object.
        if (!s.active || p.objectNumber != s.objectNumber || p.objectSize != s.expected ||
            p.offset != s.received || p.length > s.expected - s.received) {
            if (s.active || (s.started && !s.lossPending))
                LoseDamaged(s, true);
            else
                Lose(s);
            continue;
        }
        s.received += p.length;
        if (s.lastPacket != m_packet) {
            s.lastPacket = m_packet;
            ++s.packets;
        }
        if (!s.pieces.empty())
            s.pieces.push_back({p.data, p.length});
        else
            s.data.insert(s.data.end(), p.data, p.data + p.length);
        if (s.received != s.expected) continue;
        s.active = false;
        if (s.pieces.empty()) {
            Emit(s, p.stream, s.presentationTime, s.keyFrame, s.duration, out).data =
                std::move(s.data);
            s.data = {};
            continue;
        }
        Sample& sample = Emit(s, p.stream, s.presentationTime, s.keyFrame, s.duration, out);
        sample.pieces.swap(s.pieces);
        sample.viewLength = s.expected;
        sample.firstBlock = s.firstBlock;
    }
}

void SampleAssembler::NewBlock() {
    for (auto& [number, s] : m_streams)
        if (s.active && !s.pieces.empty() && s.firstBlock < m_block) JoinPieces(s);
    ++m_block;
}

void SampleAssembler::JoinPieces(Stream& s) {
    std::vector<uint8_t> data = NewBuffer(nullptr, 0, s.received);
    for (const SamplePiece& piece : s.pieces)
        data.insert(data.end(), piece.data, piece.data + piece.length);
    s.data = std::move(data);
    s.pieces.clear();
}

}  // namespace asf
