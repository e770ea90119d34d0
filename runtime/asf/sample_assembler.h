#pragma once
// Reassembles payloads into whole samples (media objects), stream by stream, and flags the
// samples that follow lost data.

#include <cstdint>
#include <map>
#include <vector>

#include "header.h"
#include "packet_parser.h"

namespace asf {

constexpr uint32_t kSampleCleanPoint = 0x1;
constexpr uint32_t kSampleDiscontinuity = 0x2;
constexpr uint32_t kSampleDataLoss = 0x4;
constexpr uint32_t kMaxObjectSize = 32u << 20;

struct Sample {
    uint16_t stream = 0;
    uint64_t time = 0;      // 100 ns, preroll removed
    uint64_t duration = 0;  // 100 ns
    uint32_t flags = 0;
    std::vector<uint8_t> data;
};

class SampleAssembler {
  public:
    explicit SampleAssembler(const AsfHeader& header);

    // Only selected streams are assembled; all are selected at first.
    void Select(uint16_t stream, bool on);
    // Adds a packet's payloads; completed samples are appended to out.
    void AddPayloads(const std::vector<Payload>& payloads, std::vector<Sample>& out);
    // Data was lost somewhere: every stream drops its partial object and flags its next sample.
    void MarkLossAll();
    size_t PartialBytes() const;
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
        uint32_t expected = 0;
    };
    void Emit(Stream& s, uint16_t number, uint32_t presentationTime, bool key, uint64_t duration,
              std::vector<uint8_t> data, std::vector<Sample>& out);
    void Lose(Stream& s);
    uint64_t DurationOf(const Stream& s, const Payload& p) const;
    uint64_t ToSampleTime(const Stream& s, uint32_t presentationMs) const;

    std::vector<uint8_t> NewBuffer(const uint8_t* data, size_t length, size_t capacity);

    uint64_t m_preroll;
    std::map<uint16_t, Stream> m_streams;
    std::vector<std::vector<uint8_t>> m_spares;
};

}  // namespace asf
