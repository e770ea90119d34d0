#include "input_file.h"

#include <algorithm>
#include <cstring>

#include "../asf/packet_parser.h"
#include "block_memory.h"

namespace wm {

namespace {

// How many packets at each end of the data the time line is taken from.
constexpr uint64_t kTimeLinePackets = 64;

}  // namespace

HRESULT OpenInputFile(const std::string& path, InputFile& out, std::string& why) {
    int error = 0;
    auto source = asf::FileSource::Open(path, &error);
    if (!source) {
        switch (error) {
            case ENOENT:
                why = std::strerror(error);
                return NS_E_FILE_NOT_FOUND;
            case EISDIR:
                why = "it is a folder";
                return NS_E_FILE_OPEN_FAILED;
            case asf::FileSource::kNotRegular:
                why = "it is not a regular file (a FIFO, a device or a folder)";
                return NS_E_FILE_OPEN_FAILED;
            default:
                why = std::strerror(error);
                return NS_E_FILE_OPEN_FAILED;
        }
    }
    if (source->Size() == 0) {
        why = "the file is empty";
        return NS_E_INVALID_INPUT_FORMAT;
    }
    if (!asf::ReadAsfStructure(*source, out.header, out.layout, why))
        return NS_E_INVALID_INPUT_FORMAT;
    out.source = std::move(source);
    why.clear();
    return S_OK;
}

TimeLine ReadTimeLine(asf::ByteSource& source, const asf::AsfHeader& header,
                      const asf::AsfLayout& layout) {
    TimeLine line;
    line.prerollMs = header.file.preroll;
    const uint64_t count = layout.packetCount;
    const uint64_t head = std::min(count, kTimeLinePackets);
    const uint64_t tailStart = count > kTimeLinePackets ? count - kTimeLinePackets : head;
    const uint32_t size = layout.packetSize;
    asf::Packet packet;
    uint64_t lowMs = UINT64_MAX, highMs = 0;
    // Each run in one read into a block of the reader's memory (a fresh buffer would fault page
    // by page) where it fits; else, or where that fails, packet by packet, up to the first
    // packet that cannot be read.
    block_memory::Chunk run = block_memory::TakeChunk();
    std::vector<uint8_t> one;
    bool readable = true;
    for (auto [first, end] :
         {std::pair{uint64_t(0), head}, std::pair{std::max(head, tailStart), count}}) {
        if (!readable || first >= end) continue;
        const uint64_t runBytes = (end - first) * size;
        const bool whole = runBytes <= block_memory::kChunkBytes &&
                           source.ReadAt(layout.firstPacketOffset + first * size, run.get(),
                                         static_cast<size_t>(runBytes));
        if (!whole) one.resize(size);
        for (uint64_t i = first; i < end; ++i) {
            uint8_t* at = whole ? run.get() + (i - first) * size : one.data();
            if (!whole && !source.ReadAt(layout.firstPacketOffset + i * size, at, size)) {
                readable = false;
                break;
            }
            asf::ParsePacket(at, size, packet);
            for (const asf::Payload& p : packet.payloads) {
                lowMs = std::min<uint64_t>(lowMs, p.presentationTime);
                highMs = std::max<uint64_t>(highMs, p.presentationTime);
            }
        }
    }
    if (lowMs == UINT64_MAX) return line;
    auto toTime = [&](uint64_t ms) {
        return (ms > line.prerollMs ? ms - line.prerollMs : 0) * 10000;
    };
    line.first = toTime(lowMs);
    line.end = toTime(highMs);
    line.hasSamples = true;
    return line;
}

}  // namespace wm
