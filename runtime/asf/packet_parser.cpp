#include "packet_parser.h"

#include "byte_io.h"

namespace asf {

namespace {

constexpr uint8_t kCommonPropertyFlags = 0x5D;

// A payload header's leading fields, read at their coded widths or at the common fixed ones.
struct PayloadHead {
    uint8_t streamByte = 0;
    uint32_t objectNumber = 0;
    uint32_t offsetOrTime = 0;
    uint32_t replicatedLength = 0;
};

// The rest of a payload after its head: replicated data or a compressed run's time delta, then
// its length and data. payloadEnd bounds the data of a single-payload packet. Inlined, so that
// the common layout's fixed widths are known where it is read.
[[gnu::always_inline]] inline bool ParsePayloadRest(ByteReader& r, const PayloadHead& head,
                                                    bool multiple, unsigned payloadLengthType,
                                                    size_t payloadEnd, Payload& p) {
    p.stream = head.streamByte & 0x7F;
    p.keyFrame = (head.streamByte & 0x80) != 0;
    p.objectNumber = head.objectNumber;
    if (head.replicatedLength == 1) {
        const uint8_t* delta = r.Span(1);
        if (!delta) return false;
        p.compressed = true;
        p.presentationTime = head.offsetOrTime;
        p.timeDelta = *delta;
    } else if (head.replicatedLength >= 8) {
        const uint8_t* replicated = r.Span(head.replicatedLength);
        if (!replicated) return false;
        p.offset = head.offsetOrTime;
        p.objectSize = Get32(replicated);
        p.presentationTime = Get32(replicated + 4);
        p.replicated = replicated + 8;
        p.replicatedLength = head.replicatedLength - 8;
    } else {
        // No usable replicated data: an object we cannot place.
        return false;
    }
    uint32_t length;
    if (multiple) {
        length = r.Coded(payloadLengthType);
        if (!r.ok()) return false;
    } else {
        if (r.Position() > payloadEnd) return false;
        length = static_cast<uint32_t>(payloadEnd - r.Position());
    }
    p.length = length;
    p.data = r.Span(length);
    return p.data != nullptr;
}

// One payload, its head at the widths the property flags give.
bool ParsePayload(ByteReader& r, uint8_t propertyFlags, bool multiple, unsigned payloadLengthType,
                  size_t payloadEnd, Payload& p) {
    PayloadHead head;
    head.streamByte = r.U8();
    head.objectNumber = r.Coded(propertyFlags >> 4);
    head.offsetOrTime = r.Coded(propertyFlags >> 2);
    head.replicatedLength = r.Coded(propertyFlags);
    return r.ok() && ParsePayloadRest(r, head, multiple, payloadLengthType, payloadEnd, p);
}

// One payload of the layout most writers use in packets of several payloads (BYTE stream,
// object number and replicated length, DWORD offset, WORD payload length): its head lies at
// fixed places, read from one checked span.
bool ParseCommonPayload(ByteReader& r, size_t payloadEnd, Payload& p) {
    const uint8_t* h = r.Span(7);
    if (!h) return false;
    const PayloadHead head{h[0], h[1], Get32(h + 2), h[6]};
    return ParsePayloadRest(r, head, true, 2, payloadEnd, p);
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
    // stream; WORD payload lengths) have their payload heads read at fixed places.
    const bool common = propertyFlags == kCommonPropertyFlags && payloadLengthType == 2;
    auto parseAll = [&](size_t end) {
        packet.payloads.clear();
        ByteReader body(bytes, end);
        if (!body.Skip(r.Position())) return false;
        for (unsigned i = 0; i < count; ++i) {
            Payload& p = packet.payloads.emplace_back();
            const bool parsed =
                common ? ParseCommonPayload(body, end, p)
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
