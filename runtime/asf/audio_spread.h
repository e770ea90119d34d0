#pragma once
// Audio spread: an audio object stored with its chunks interleaved over Span virtual packets.
// Descrambling puts the chunks back in their plain order.

#include <cstdint>
#include <vector>

#include "header_objects.h"
#include "sample_piece.h"

namespace asf {

struct AudioSpread {
    uint8_t span = 0;
    uint16_t packetLength = 0;  // bytes of a virtual packet
    uint16_t chunkLength = 0;   // bytes of a chunk
    uint32_t ObjectSize() const { return uint32_t(span) * packetLength; }
};

enum class SpreadKind {
    None,     // another error correction, not audio, or span 1: the bytes are plain
    Spread,   // objects are stored scrambled
    Invalid,  // error correction data that cannot describe a spread; the bytes are kept
};
SpreadKind ReadAudioSpread(const StreamProperties& stream, AudioSpread* spread);

// The object given in runs, in plain chunk order. False, with out untouched, when the runs do
// not add up to one whole spread object.
bool Descramble(const AudioSpread& spread, const SamplePiece* runs, size_t count,
                std::vector<uint8_t>& out);

}  // namespace asf
