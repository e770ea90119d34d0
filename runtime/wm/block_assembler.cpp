#include "block_assembler.h"

#include <algorithm>

namespace wm {

namespace {
constexpr size_t kMaxSparePieceLists = 256;
}  // namespace

BlockAssembler::BlockAssembler(const asf::AsfHeader& header, const asf::AsfLayout& layout,
                               std::shared_ptr<BufferRecycler> recycler)
    : m_assembler(header),
      m_packetSize(layout.packetSize),
      m_packetCount(layout.packetCount),
      m_wholeData(layout.promisedPackets == layout.packetCount),
      m_recycler(std::move(recycler)) {
    for (const asf::StreamProperties& s : header.streams) {
        asf::AudioSpread spread;
        if (asf::ReadAudioSpread(s, &spread) == asf::SpreadKind::Spread)
            m_spreads[s.Number()] = spread;
    }
    m_assembler.UseViews(true);
}

void BlockAssembler::Prepare(PacketBlock& block) {
    // Fragments in the block before the previous one are copied out first: it may go now.
    m_assembler.NewBlock();
    block.sequence = m_assembler.CurrentBlock();
    m_recycler->TakeAll(m_assembler.Spares());
    block.samples.clear();
    const size_t count = m_packetSize ? block.size() / m_packetSize : 0;
    block.packets.resize(count);
    for (size_t i = 0; i < count; ++i) {
        ReadyPacket& ready = block.packets[i];
        ready.whole = asf::ParsePacket(block.data() + i * m_packetSize, m_packetSize, m_parsed);
        ready.sendTime = m_parsed.sendTime;
        ++m_packet;
        const size_t first = block.samples.size();
        m_assembler.AddPayloads(m_parsed.payloads, block.samples);
        if (!ready.whole) m_assembler.PacketDamaged();
        if (m_packet == m_packetCount && m_wholeData) m_assembler.EndOfData();
        uint64_t damaged = m_assembler.TakeDamagedPackets();
        if (!m_spreads.empty())
            for (size_t s = first; s < block.samples.size(); ++s)
                if (!Descramble(block.samples[s])) ++damaged;
        ready.damaged = static_cast<uint32_t>(std::min<uint64_t>(damaged, UINT32_MAX));
        ready.samplesEnd = static_cast<uint32_t>(block.samples.size());
    }
}

// A sample of a spread stream becomes a copy of its bytes in plain order.
bool BlockAssembler::Descramble(asf::Sample& s) {
    auto spread = m_spreads.find(s.stream);
    if (spread == m_spreads.end()) return true;
    asf::SamplePiece whole{s.view ? s.view : s.data.data(),
                           s.view ? s.viewLength : static_cast<uint32_t>(s.data.size())};
    const bool inPieces = !s.pieces.empty();
    std::vector<uint8_t> plain;
    auto& spares = m_assembler.Spares();
    if (!spares.empty()) {
        plain = std::move(spares.back());
        spares.pop_back();
    }
    if (!asf::Descramble(spread->second, inPieces ? s.pieces.data() : &whole,
                         inPieces ? s.pieces.size() : 1, plain)) {
        spares.push_back(std::move(plain));
        return false;
    }
    if (inPieces && m_assembler.PieceSpares().size() < kMaxSparePieceLists)
        m_assembler.PieceSpares().push_back(std::move(s.pieces));
    if (!s.view && !inPieces) spares.push_back(std::move(s.data));
    s.pieces.clear();
    s.view = nullptr;
    s.viewLength = 0;
    s.data = std::move(plain);
    return true;
}

}  // namespace wm
