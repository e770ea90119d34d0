#pragma once
// Parses one data packet into its payloads. Every field is checked against the packet's bytes;
// a packet that does not parse yields the payloads that came before the fault.

#include <cstdint>
#include <vector>

namespace asf {

struct Payload {
    uint8_t stream = 0;
    bool keyFrame = false;
    uint32_t objectNumber = 0;
    uint32_t offset = 0;  // offset into the media object (unused when compressed)
    uint32_t objectSize = 0;
    uint32_t presentationTime = 0;        // ms, includes preroll
    const uint8_t* replicated = nullptr;  // replicated data after the first 8 bytes
    uint32_t replicatedLength = 0;
    bool compressed = false;  // data is a run of whole objects: BYTE length + bytes
    uint8_t timeDelta = 0;    // ms between compressed sub-payloads
    const uint8_t* data = nullptr;
    uint32_t length = 0;
};

struct Packet {
    uint32_t sendTime = 0;  // ms
    uint16_t duration = 0;
    std::vector<Payload> payloads;
};

// False when the packet is damaged; packet.payloads then holds what parsed before the fault.
bool ParsePacket(const uint8_t* bytes, uint32_t packetSize, Packet& packet);

}  // namespace asf
