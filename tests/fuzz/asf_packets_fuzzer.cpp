// Data packets of a whole file, parsed one by one and reassembled into samples the way the
// reader does: payloads stay inside their packet, no sample exceeds the object cap, the samples
// never hold more bytes than the input, objects in progress take memory in proportion to it, and
// no more packets are counted damaged than were read.

#include <string>
#include <vector>

#include "asf/header.h"
#include "asf/packet_parser.h"
#include "asf/sample_assembler.h"
#include "fuzz_check.h"

namespace {

bool Inside(const uint8_t* p, uint32_t n, const uint8_t* begin, uint32_t size) {
    return n == 0 || (p >= begin && n <= size && p - begin <= ptrdiff_t(size - n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    asf::MemorySource source(std::vector<uint8_t>(data, data + size));
    asf::AsfHeader header;
    asf::AsfLayout layout;
    std::string error;
    if (!asf::ReadAsfStructure(source, header, layout, error)) return 0;

    asf::SampleAssembler assembler(header);
    asf::Packet packet;
    asf::SampleList samples;
    uint64_t sampleBytes = 0;
    uint64_t damaged = 0;
    for (uint64_t i = 0; i < layout.packetCount; ++i) {
        const uint8_t* bytes = data + layout.firstPacketOffset + i * layout.packetSize;
        bool whole = asf::ParsePacket(bytes, layout.packetSize, packet);
        for (const asf::Payload& p : packet.payloads) {
            FUZZ_CHECK(Inside(p.data, p.length, bytes, layout.packetSize));
            FUZZ_CHECK(Inside(p.replicated, p.replicatedLength, bytes, layout.packetSize));
        }
        samples.clear();
        assembler.AddPayloads(packet.payloads, samples);
        if (!whole) assembler.PacketDamaged();
        if (i + 1 == layout.packetCount) assembler.EndOfData();
        // Each packet counts once at most, however many of its objects are lost.
        damaged += assembler.TakeDamagedPackets();
        FUZZ_CHECK(damaged <= i + 1);
        for (asf::Sample& s : samples) {
            FUZZ_CHECK(s.data.size() <= asf::kMaxObjectSize);
            sampleBytes += s.data.size();
            assembler.Spares().push_back(std::move(s.data));
        }
        FUZZ_CHECK(sampleBytes <= size);
        // Memory follows the bytes read, never a size the file claims.
        FUZZ_CHECK(assembler.PartialBytes() <= 4 * size + 4096);
    }
    return 0;
}
