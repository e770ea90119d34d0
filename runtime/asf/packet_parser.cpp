#include "packet_parser.h"

#include "byte_io.h"

namespace asf {

namespace {

constexpr uint8_t kCommonPropertyFlags = 0x5D;

// One payload header and its data. payloadEnd bounds the data of a single-payload packet.
bool ParsePayload(ByteReader& r, uint8_t propertyFlags, bool multiple, unsigned payloadLengthType,
                  size_t payloadEnd, Payload& p) {
    uint8_t streamByte = r.U8();
    p.stream = streamByte & 0x7F;
    p.keyFrame = (streamByte & 0x80) != 0;
    p.objectNumber = r.Coded(propertyFlags >> 4);
    uint32_t offsetOrTime = r.Coded(propertyFlags >> 2);
    uint32_t replicatedLength = r.Coded(propertyFlags);
    if (!r.ok()) return false;
    if (replicatedLength == 1) {
        p.compressed = true;
        p.presentationTime = offsetOrTime;
        p.timeDelta = r.U8();
    } else if (replicatedLength >= 8) {
        if (replicatedLength > r.Remaining()) return false;
        p.offset = offsetOrTime;
        p.objectSize = r.U32();
        p.presentationTime = r.U32();
        p.replicated = r.Here();
        p.replicatedLength = replicatedLength - 8;
        r.Skip(p.replicatedLength);
    } else {
        // No usable replicated data: an object we cannot place.
        return false;
    }
    uint32_t length;
    if (multiple) {
        length = r.Coded(payloadLengthType);
    } else {
        if (r.Position() > payloadEnd) return false;
        length = static_cast<uint32_t>(payloadEnd - r.Position());
    }
    if (!r.ok() || length > r.Remaining()) return false;
    p.data = r.Here();
    p.length = length;
    r.Skip(length);
    return r.ok();
}

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// ParsePayload for the flags most writers use in packets of several payloads (BYTE stream,
// object number and replicated length, DWORD offset, WORD payload length): the fields lie at
// fixed places, read from spans checked once each.
bool ParseCommonPayload(ByteReader& r, Payload& p) {
    const uint8_t* h = r.Span(7);
    if (!h) return false;
    p.stream = h[0] & 0x7F;
    p.keyFrame = (h[0] & 0x80) != 0;
    p.objectNumber = h[1];
    const uint32_t offsetOrTime = Get32(h + 2);
    const uint8_t replicatedLength = h[6];
    if (replicatedLength == 1) {
        const uint8_t* delta = r.Span(1);
        if (!delta) return false;
        p.compressed = true;
        p.presentationTime = offsetOrTime;
        p.timeDelta = *delta;
    } else if (replicatedLength >= 8) {
        const uint8_t* replicated = r.Span(replicatedLength);
        if (!replicated) return false;
        p.offset = offsetOrTime;
        p.objectSize = Get32(replicated);
        p.presentationTime = Get32(replicated + 4);
        p.replicated = replicated + 8;
        p.replicatedLength = replicatedLength - 8u;
    } else {
        return false;
    }
    const uint8_t* length = r.Span(2);
    if (!length) return false;
    p.length = Get16(length);
    p.data = r.Span(p.length);
    return p.data != nullptr;
}

}  // namespace

bool ParsePacket(const uint8_t* bytes, uint32_t packetSize, Packet& packet) {
    packet.payloads.clear();
    ByteReader r(bytes, packetSize);
    uint8_t flags = r.U8();
    if (flags & 0x80) {
        // Error correction data; only the plain form (length type 00) is defined.
        if (flags & 0x60) return false;
        r.Skip(flags & 0x0F);
        flags = r.U8();
        if (flags & 0x80) return false;
    }
    uint8_t propertyFlags = r.U8();
    uint32_t packetLength = r.Coded(flags >> 5);
    r.Coded(flags >> 1);  // sequence
    uint32_t padding = r.Coded(flags >> 3);
    packet.sendTime = r.U32();
    packet.duration = r.U16();
    if (!r.ok()) return false;
    if ((flags >> 5 & 3) == 0) packetLength = packetSize;
    // A shorter explicit length means the rest of the packet is padding as well.
    if (packetLength > packetSize || packetLength < r.Position()) return false;
    uint64_t totalPadding = uint64_t(padding) + (packetSize - packetLength);
    bool multiple = (flags & 0x01) != 0;
    if (totalPadding > packetSize - r.Position()) {
        // Some writers store a padding length that does not fit; payload lengths still tell.
        if (!multiple) return false;
        totalPadding = 0;
    }
    size_t payloadEnd = static_cast<size_t>(packetSize - totalPadding);

    if (!multiple) {
        ByteReader body(bytes, payloadEnd);
        body.Skip(r.Position());
        Payload p;
        if (!ParsePayload(body, propertyFlags, false, 0, payloadEnd, p)) return false;
        packet.payloads.push_back(p);
        return true;
    }
    uint8_t multi = r.U8();
    unsigned count = multi & 0x3F;
    unsigned payloadLengthType = multi >> 6;
    if (!r.ok()) return false;
    // The flags most writers use (BYTE replicated length, DWORD offset, BYTE object number and
    // stream; WORD payload lengths) have a parser of their own.
    const bool common = propertyFlags == kCommonPropertyFlags && payloadLengthType == 2;
    auto parseAll = [&](size_t end) {
        packet.payloads.clear();
        ByteReader body(bytes, end);
        if (!body.Skip(r.Position())) return false;
        for (unsigned i = 0; i < count; ++i) {
            Payload& p = packet.payloads.emplace_back();
            const bool parsed =
                common ? ParseCommonPayload(body, p)
                       : ParsePayload(body, propertyFlags, true, payloadLengthType, end, p);
            if (!parsed) {
                packet.payloads.pop_back();
                return false;
            }
        }
        return true;
    };
    if (parseAll(payloadEnd)) return true;
    // Some writers count the padding outside a shorter explicit length: the two add up to the
    // packet size, and the padding is not to be taken twice.
    if (padding + uint64_t(packetLength) != packetSize || padding == 0) return false;
    return parseAll(packetLength);
}

}  // namespace asf
