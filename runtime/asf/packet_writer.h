#pragma once
// Turns whole samples into fixed-size data packets (multiple payloads, fragments for large
// samples, send times that never go back) and keeps what the Simple Index needs.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "byte_io.h"
#include "sample_piece.h"
#include "simple_index.h"

namespace asf {

class PacketWriter {
  public:
    // Packets go to sink; preroll in ms; videoStreams get a Simple Index.
    PacketWriter(ByteSink& sink, uint32_t packetSize, uint64_t preroll,
                 const std::vector<uint16_t>& videoStreams);
    PacketWriter(const PacketWriter&) = delete;  // points into its own maps
    PacketWriter& operator=(const PacketWriter&) = delete;

    // time and duration in 100 ns, preroll not included. False when the sink fails or the
    // sample cannot be stored (too large, time out of range, a packet size the packet's WORD
    // fields cannot describe or too small for a payload, a packet number past the index's
    // DWORD).
    bool AddSample(uint16_t stream, uint64_t time, uint64_t duration, bool keyFrame,
                   const uint8_t* data, uint32_t length) {
        const SamplePiece whole{data, length};
        return AddSample(stream, time, duration, keyFrame, &whole, 1, length);
    }
    // The sample's first length bytes, from pieces in order.
    bool AddSample(uint16_t stream, uint64_t time, uint64_t duration, bool keyFrame,
                   const SamplePiece* pieces, size_t count, uint32_t length);
    // Writes the last packet.
    bool Finish();

    uint64_t PacketCount() const { return m_packets; }
    // End of the last sample, 100 ns, preroll not included. A sample without a duration lasts as
    // long as its stream's average step between samples (steps over a second left out), in ms.
    uint64_t ContentEnd() const;
    uint64_t LastSendTime() const { return m_lastSend; }  // ms
    uint32_t MaxObjectSize(uint16_t stream) const;
    // The index of a video stream, entries up to the content's end; once, after Finish (the
    // entries move out: a long time line has millions).
    SimpleIndex TakeIndex(uint16_t stream);

    static constexpr uint32_t kDefaultPacketSize = 3200;
    static constexpr size_t kPacketHeader = 14;
    static constexpr size_t kPayloadHeader = 17;

  private:
    struct StreamState {
        uint8_t objectNumber = 0;
        uint32_t maxObject = 0;
        bool started = false;
        uint64_t lastTime = 0;
        uint64_t lastEnd = 0;  // of a sample with a duration
        uint64_t steps = 0;    // sum and count of the steps between samples
        uint64_t stepCount = 0;
    };
    struct IndexState {
        SimpleIndex index;
        bool haveKey = false;
        SimpleIndex::Entry lastKey{};
    };
    bool FlushPacket();
    void StartPacket(uint32_t sendTime);

    ByteSink& m_sink;
    uint32_t m_packetSize;
    uint64_t m_preroll;
    uint8_t* m_packet = nullptr;  // claimed from the sink while open
    size_t m_used = 0;
    unsigned m_payloads = 0;
    bool m_open = false;
    uint64_t m_packets = 0;
    uint64_t m_lastSend = 0;
    bool m_failed = false;
    std::map<uint16_t, StreamState> m_streams;
    std::map<uint16_t, IndexState> m_indexes;
    // By stream number, into the maps (their nodes stay put): no search per sample.
    std::array<StreamState*, 128> m_streamByNumber{};
    std::array<IndexState*, 128> m_indexByNumber{};
};

}  // namespace asf
