#pragma once
// Reassembles payloads into whole samples (media objects), stream by stream, and flags the
// samples that follow lost data.

#include <array>
#include <cstdint>
#include <map>
#include <memory_resource>
#include <utility>
#include <vector>

#include "header.h"
#include "packet_parser.h"
#include "sample_piece.h"

namespace asf {

constexpr uint32_t kSampleCleanPoint = 0x1;
constexpr uint32_t kSampleDiscontinuity = 0x2;
constexpr uint32_t kSampleDataLoss = 0x4;
constexpr uint32_t kMaxObjectSize = 32u << 20;

// The fields every sample's delivery reads come first, within 64 bytes.
struct Sample {
    Sample() = default;
    // Field by field: value-initialising the whole first costs a string store per sample.
    Sample(uint16_t number, uint32_t sampleFlags, uint64_t sampleTime, uint64_t sampleDuration)
        : stream(number), flags(sampleFlags), time(sampleTime), duration(sampleDuration) {}

    uint16_t stream = 0;
    uint32_t flags = 0;
    uint64_t time = 0;      // 100 ns, preroll removed
    uint64_t duration = 0;  // 100 ns
    // A view: the bytes lie whole in the packet given to AddPayloads, which the caller keeps.
    const uint8_t* view = nullptr;
    uint32_t viewLength = 0;
    // Or, in pieces: the fragments lie in packets of the current block and the one before
    // (see NewBlock); firstBlock tells which block holds the first.
    std::vector<SamplePiece> pieces;
    std::vector<uint8_t> data;  // or the bytes themselves
    uint64_t firstBlock = 0;

    bool IsView() const { return view || !pieces.empty(); }
    size_t Size() const { return view || !pieces.empty() ? viewLength : data.size(); }
};

// Completed samples, appended in file order; the caller chooses where their memory comes from.
using SampleList = std::pmr::vector<Sample>;

class SampleAssembler {
  public:
    explicit SampleAssembler(const AsfHeader& header);
    SampleAssembler(const SampleAssembler&) = delete;  // points into its own map
    SampleAssembler& operator=(const SampleAssembler&) = delete;

    // Only selected streams are assembled; all are selected at first.
    void Select(uint16_t stream, bool on);
    // Adds a packet's payloads; completed samples are appended to out.
    void AddPayloads(const std::vector<Payload>& payloads, SampleList& out);
    // Data was lost somewhere: every stream drops its partial object and flags its next sample.
    void MarkLossAll();
    // The packet last given to AddPayloads is damaged: counted, and MarkLossAll.
    void PacketDamaged();
    // No packets follow: an object still in progress is lost, and counted.
    void EndOfData();
    // Packets found damaged since the last call, each counted once: damaged packets, and the
    // packets of an object whose fragments do not fit together (a gap, an overlap, an offset
    // past its size, a size that changes) or that the data ends inside.
    uint64_t TakeDamagedPackets() { return std::exchange(m_damaged, 0); }
    size_t PartialBytes() const;
    // Samples come as views into the packets instead of copies: whole in one payload, or in
    // fragments within two blocks of packets.
    void UseViews(bool on) { m_views = on; }
    // The packets that follow come from a new block, and the block before the current one is
    // about to go: an object in progress with fragments there is copied out now.
    void NewBlock();
    uint64_t CurrentBlock() const { return m_block; }
    // Piece lists of delivered samples come back here.
    std::vector<std::vector<SamplePiece>>& PieceSpares() { return m_pieceSpares; }
    // Buffers of delivered samples come back here to hold new samples, saving allocations.
    std::vector<std::vector<uint8_t>>& Spares() { return m_spares; }

  private:
    struct Stream {
        bool selected = true;
        bool started = false;
        bool lossPending = false;
        uint64_t timeOffset = 0;
        int durationExtension = -1;  // index among the stream's extension systems
        std::vector<uint16_t> extensionSizes;
        // object in progress
        bool active = false;
        uint32_t objectNumber = 0;
        uint32_t presentationTime = 0;
        bool keyFrame = false;
        uint64_t duration = 0;
        std::vector<uint8_t> data;
        std::vector<SamplePiece> pieces;  // instead of data, while the fragments are viewed
        uint32_t received = 0;
        uint64_t firstBlock = 0;
        uint32_t expected = 0;
        uint64_t lastPacket = 0;  // the last packet with a fragment of it
        uint64_t packets = 0;     // packets with fragments of it
    };
    // A new sample in out, without its bytes.
    Sample& Emit(Stream& s, uint16_t number, uint32_t presentationTime, bool key, uint64_t duration,
                 SampleList& out);
    // A sample whose bytes lie whole in the packet: a view or a copy. The view, taken for
    // almost every sample, is the short way.
    void EmitWhole(Stream& s, uint16_t number, uint32_t presentationTime, bool key,
                   uint64_t duration, const uint8_t* bytes, uint32_t length, SampleList& out) {
        if (!m_views)
            return EmitCopy(s, number, presentationTime, key, duration, bytes, length, out);
        Sample& sample = Emit(s, number, presentationTime, key, duration, out);
        sample.view = bytes;
        sample.viewLength = length;
    }
    [[gnu::noinline]] void EmitCopy(Stream& s, uint16_t number, uint32_t presentationTime, bool key,
                                    uint64_t duration, const uint8_t* bytes, uint32_t length,
                                    SampleList& out);
    void Lose(Stream& s);
    // Lose, counting the lost object's packets and, with offending, the current packet.
    void LoseDamaged(Stream& s, bool offending);
    void CountDamaged(uint64_t packets);
    void JoinPieces(Stream& s);  // the fragments so far into an owned buffer
    uint64_t DurationOf(const Stream& s, const Payload& p) const;
    uint64_t ToSampleTime(const Stream& s, uint32_t presentationMs) const;

    std::vector<uint8_t> NewBuffer(const uint8_t* data, size_t length, size_t capacity);

    uint64_t m_preroll;
    bool m_views = false;
    std::map<uint16_t, Stream> m_streams;
    std::array<Stream*, 128> m_byNumber{};  // into m_streams, whose nodes stay put
    std::vector<std::vector<uint8_t>> m_spares;
    std::vector<std::vector<SamplePiece>> m_pieceSpares;
    uint64_t m_block = 0;
    uint64_t m_packet = 0;          // packets given to AddPayloads
    uint64_t m_countedThrough = 0;  // the last packet counted as damaged
    uint64_t m_damaged = 0;
};

}  // namespace asf
