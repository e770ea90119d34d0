#pragma once
// A run of a sample's bytes: a sample that came in fragments is several runs, each inside the
// packet that carried it.

#include <cstdint>

namespace asf {

struct SamplePiece {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
};

}  // namespace asf
