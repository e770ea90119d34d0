#include "audio_spread.h"

#include <algorithm>
#include <cstring>

#include "asf_guids.h"

namespace asf {

SpreadKind ReadAudioSpread(const StreamProperties& stream, AudioSpread* spread) {
    if (stream.streamType != guids::kAudioMedia ||
        stream.errorCorrectionType != guids::kAudioSpread)
        return SpreadKind::None;
    ByteReader r(stream.errorCorrection.data(), stream.errorCorrection.size());
    AudioSpread s;
    s.span = r.U8();
    s.packetLength = r.U16();
    s.chunkLength = r.U16();
    if (!r.ok()) return SpreadKind::Invalid;
    if (s.span == 1) return SpreadKind::None;
    if (s.span == 0 || s.chunkLength == 0 || s.packetLength % s.chunkLength ||
        s.packetLength / s.chunkLength < 2)
        return SpreadKind::Invalid;
    *spread = s;
    return SpreadKind::Spread;
}

bool Descramble(const AudioSpread& spread, const SamplePiece* runs, size_t count,
                std::vector<uint8_t>& out) {
    size_t total = 0;
    for (size_t i = 0; i < count; ++i) total += runs[i].length;
    if (total != spread.ObjectSize()) return false;
    out.resize(total);
    // Stored chunk j is row j / perPacket, column j % perPacket; plain chunk column * span + row.
    const uint32_t c = spread.chunkLength;
    const uint32_t perPacket = spread.packetLength / c;
    const SamplePiece* run = runs;
    uint32_t inRun = 0;
    for (uint32_t j = 0; j < total / c; ++j) {
        uint8_t* to = out.data() + size_t((j % perPacket) * spread.span + j / perPacket) * c;
        for (uint32_t left = c; left > 0;) {
            while (inRun == run->length) {
                ++run;
                inRun = 0;
            }
            uint32_t n = std::min(left, run->length - inRun);
            std::memcpy(to, run->data + inRun, n);
            to += n;
            inRun += n;
            left -= n;
        }
    }
    return true;
}

}  // namespace asf
