#pragma once
// Prepares each block of data packets before the player takes it (on the reading thread, or on
// the player's while it waits for the block): parses its packets, assembles the samples they
// complete (views into the block and the one before), puts scrambled audio in plain order and
// counts damage, packet by packet, so that the player only queues and delivers.

#include <map>
#include <memory>
#include <vector>

#include "../asf/audio_spread.h"
#include "../asf/header.h"
#include "../asf/packet_parser.h"
#include "../asf/sample_assembler.h"
#include "block_prefetcher.h"
#include "nss_buffer.h"

namespace wm {

class BlockAssembler {
  public:
    // Delivered samples' bytes come back through recycler.
    BlockAssembler(const asf::AsfHeader& header, const asf::AsfLayout& layout,
                   std::shared_ptr<BufferRecycler> recycler);
    BlockAssembler(const BlockAssembler&) = delete;
    BlockAssembler& operator=(const BlockAssembler&) = delete;

    // Before the first block.
    void Select(uint16_t stream, bool on) { m_assembler.Select(stream, on); }
    // The next block in file order. A short end (not a whole packet) is left to the consumer,
    // which fails on it.
    void Prepare(PacketBlock& block);

  private:
    // False when the sample is not one whole spread object; it is then passed on as it is.
    bool Descramble(asf::Sample& s);

    asf::SampleAssembler m_assembler;
    std::map<uint16_t, asf::AudioSpread> m_spreads;  // streams whose objects are scrambled
    const uint32_t m_packetSize;
    const uint64_t m_packetCount;
    const bool m_wholeData;  // the data object is not cut: an object it ends inside is lost
    uint64_t m_packet = 0;   // packets prepared
    asf::Packet m_parsed;
    std::shared_ptr<BufferRecycler> m_recycler;
};

}  // namespace wm
