#include "header.h"

#include "asf_guids.h"

namespace asf {

namespace {

bool ParseExtension(ByteReader r, AsfHeader& h, std::string& error) {
    r.ReadGuid();
    r.U16();
    uint32_t dataSize = r.U32();
    if (!r.ok() || dataSize != r.Remaining()) {
        error = "the header extension's size is wrong";
        return false;
    }
    while (r.Remaining() >= 24) {
        Guid id = r.ReadGuid();
        uint64_t size = r.U64();
        if (size < 24 || size - 24 > r.Remaining()) {
            error = "an object in the header extension lies about its size";
            return false;
        }
        ByteReader body = r.Sub(static_cast<size_t>(size - 24));
        bool ok = true;
        if (id == guids::kExtendedStreamProperties) {
            ExtendedStreamProperties e;
            ok = e.Parse(body);
            if (ok) h.extended.push_back(std::move(e));
        } else if (id == guids::kMetadata) {
            ok = ParseMetadata(body, false, h.metadata);
        } else if (id == guids::kMetadataLibrary) {
            ok = ParseMetadata(body, true, h.metadataLibrary);
        } else if (id == guids::kLanguageList) {
            LanguageList l;
            ok = l.Parse(body);
            if (ok) h.languages = std::move(l);
        } else if (id == guids::kPadding) {
            h.paddingSize += size;
        } else {
            if (id == guids::kAdvancedContentEncryption) h.encrypted = true;
            std::vector<uint8_t> bytes;
            body.Bytes(body.Remaining(), bytes);
            h.extensionOthers.push_back({id, std::move(bytes)});
        }
        if (!ok) {
            error = "object " + id.ToText() + " in the header extension is damaged";
            return false;
        }
    }
    return true;
}

bool ParseChild(const Guid& id, ByteReader body, uint64_t size, AsfHeader& h, bool& sawFile,
                std::string& error) {
    if (id == guids::kFileProperties) {
        sawFile = true;
        return h.file.Parse(body);
    }
    if (id == guids::kStreamProperties) {
        StreamProperties s;
        if (!s.Parse(body)) return false;
        if (h.FindStream(s.Number())) {
            error = "two streams have the same number";
            return false;
        }
        h.streams.push_back(std::move(s));
        return true;
    }
    if (id == guids::kHeaderExtension) return ParseExtension(body, h, error);
    if (id == guids::kCodecList) return ParseCodecList(body, h.codecs);
    if (id == guids::kScriptCommand) return ParseScriptCommands(body, h.scripts);
    if (id == guids::kMarker) return h.markers.Parse(body);
    if (id == guids::kContentDescription) {
        ContentDescription c;
        if (!c.Parse(body)) return false;
        h.content = std::move(c);
        return true;
    }
    if (id == guids::kExtendedContentDescription)
        return ParseExtendedContentDescription(body, h.extendedContent);
    if (id == guids::kStreamBitrateProperties) return ParseStreamBitrates(body, h.bitrates);
    if (id == guids::kPadding) {
        h.paddingSize += size;
        return true;
    }
    if (id == guids::kContentEncryption || id == guids::kExtendedContentEncryption)
        h.encrypted = true;
    std::vector<uint8_t> bytes;
    body.Bytes(body.Remaining(), bytes);
    h.others.push_back({id, std::move(bytes)});
    return true;
}

}  // namespace

bool AsfHeader::Parse(const std::vector<uint8_t>& bytes, std::string& error) {
    ByteReader r(bytes);
    if (r.ReadGuid() != guids::kHeader) {
        error = "not an ASF file";
        return false;
    }
    uint64_t size = r.U64();
    // The object count is often off by one, so the sizes decide; but a count that the header
    // could not possibly hold means the header lies.
    uint32_t count = r.U32();
    r.U8();
    r.U8();
    if (!r.ok() || size != bytes.size()) {
        error = "the header's size is wrong";
        return false;
    }
    if (count > r.Remaining() / 24) {
        error = "the header claims more objects than it can hold";
        return false;
    }
    bool sawFile = false;
    while (r.Remaining() >= 24) {
        Guid id = r.ReadGuid();
        uint64_t childSize = r.U64();
        if (childSize < 24 || childSize - 24 > r.Remaining()) {
            error = "a header object lies about its size";
            return false;
        }
        ByteReader body = r.Sub(static_cast<size_t>(childSize - 24));
        if (!ParseChild(id, body, childSize, *this, sawFile, error)) {
            if (error.empty()) error = "header object " + id.ToText() + " is damaged";
            return false;
        }
    }
    for (ExtendedStreamProperties& e : extended) {
        if (e.embedded && !FindStream(e.embedded->Number())) streams.push_back(*e.embedded);
    }
    if (!sawFile) {
        error = "the header has no file properties";
        return false;
    }
    if (file.minPacketSize != file.maxPacketSize || file.minPacketSize < kMinPacketSize ||
        file.minPacketSize > kMaxPacketSize) {
        error = "the packet size is not usable";
        return false;
    }
    if (streams.empty()) {
        error = "the file has no streams";
        return false;
    }
    // Sample times are milliseconds in 32 bits; an offset past them cannot be played to.
    constexpr uint64_t kLongestTimeLine = uint64_t(UINT32_MAX) * 10000;  // 100 ns
    if (file.preroll > UINT32_MAX) {  // ms, within every 32-bit presentation time
        error = "the preroll lies beyond the longest time line a file can hold";
        return false;
    }
    for (const StreamProperties& s : streams) {
        if (s.timeOffset > kLongestTimeLine) {
            error = "a stream's time offset lies beyond the longest time line a file can hold";
            return false;
        }
    }
    return true;
}

std::vector<uint8_t> AsfHeader::Render(uint64_t paddingBytes, std::string* why) const {
    ByteWriter w;
    w.WriteGuid(guids::kHeader);
    w.U64(0);
    w.U32(0);
    w.U8(1);
    w.U8(2);
    uint32_t children = 0;
    file.Render(w), ++children;
    for (const StreamProperties& s : streams) {
        const ExtendedStreamProperties* e = FindExtended(s.Number());
        if (e && e->embedded) continue;
        s.Render(w), ++children;
    }
    {
        ObjectScope ext(w, guids::kHeaderExtension);
        w.WriteGuid(guids::kReserved1);
        w.U16(6);
        size_t sizeAt = w.Size();
        w.U32(0);
        for (const ExtendedStreamProperties& e : extended) e.Render(w);
        if (languages) languages->Render(w);
        if (!metadata.empty()) RenderMetadata(w, false, metadata);
        if (!metadataLibrary.empty()) RenderMetadata(w, true, metadataLibrary);
        for (const RawObject& o : extensionOthers) o.Render(w);
        w.PatchField32(sizeAt, w.Size() - sizeAt - 4, "the header extension");
        ++children;
    }
    if (!codecs.empty()) RenderCodecList(w, codecs), ++children;
    if (!scripts.empty()) RenderScriptCommands(w, scripts), ++children;
    if (!markers.markers.empty()) markers.Render(w), ++children;
    if (content) content->Render(w), ++children;
    if (!extendedContent.empty()) RenderExtendedContentDescription(w, extendedContent), ++children;
    if (!bitrates.empty()) RenderStreamBitrates(w, bitrates), ++children;
    for (const RawObject& o : others) o.Render(w), ++children;
    const char* tooLarge = w.TooLarge();
    if (tooLarge || w.Size() + paddingBytes > kMaxHeaderSize) {
        if (why)
            *why = tooLarge ? std::string(tooLarge) + " is too large for its field in the header"
                            : "the header would be larger than 64 MiB";
        return {};
    }
    if (paddingBytes >= 24) {
        w.WriteGuid(guids::kPadding);
        w.U64(paddingBytes);
        w.Zeros(static_cast<size_t>(paddingBytes - 24));
        ++children;
    }
    w.PatchU64(16, w.Size());
    w.PatchU32(24, children);
    return w.Take();
}

const StreamProperties* AsfHeader::FindStream(uint16_t number) const {
    for (const StreamProperties& s : streams)
        if (s.Number() == number) return &s;
    return nullptr;
}

const ExtendedStreamProperties* AsfHeader::FindExtended(uint16_t number) const {
    for (const ExtendedStreamProperties& e : extended)
        if (e.streamNumber == number) return &e;
    return nullptr;
}

ExtendedStreamProperties* AsfHeader::FindExtended(uint16_t number) {
    for (ExtendedStreamProperties& e : extended)
        if (e.streamNumber == number) return &e;
    return nullptr;
}

bool AsfHeader::IsProtected() const {
    if (encrypted) return true;
    for (const StreamProperties& s : streams)
        if (s.Encrypted()) return true;
    return false;
}

bool ReadAsfStructure(ByteSource& source, AsfHeader& header, AsfLayout& layout,
                      std::string& error) {
    uint8_t head[30];
    if (!source.ReadAt(0, head, sizeof head)) {
        error = source.Size() == 0 ? "the file is empty" : "not an ASF file";
        return false;
    }
    ByteReader r(head, sizeof head);
    if (r.ReadGuid() != guids::kHeader) {
        error = "not an ASF file";
        return false;
    }
    uint64_t headerSize = r.U64();
    if (headerSize < 30 || headerSize > kMaxHeaderSize) {
        error = "the header's size is wrong";
        return false;
    }
    if (headerSize > source.Size()) {
        error = "the file ends inside its header";
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(headerSize));
    if (!source.ReadAt(0, bytes.data(), bytes.size())) {
        error = "the header cannot be read";
        return false;
    }
    if (!header.Parse(bytes, error)) return false;

    layout.headerSize = headerSize;
    layout.dataObjectOffset = headerSize;
    layout.packetSize = header.file.minPacketSize;
    uint8_t dataHead[50];
    if (!source.ReadAt(headerSize, dataHead, sizeof dataHead)) {
        error = "the file has no data object";
        return false;
    }
    ByteReader d(dataHead, sizeof dataHead);
    if (d.ReadGuid() != guids::kData) {
        error = "the data object is missing";
        return false;
    }
    uint64_t dataSize = d.U64();
    layout.firstPacketOffset = headerSize + 50;
    uint64_t fileSize = source.Size();
    uint64_t available = fileSize - layout.firstPacketOffset;
    bool sizeKnown = dataSize >= 50 && !(header.file.flags & FileProperties::kBroadcast);
    uint64_t dataBytes = available;
    if (sizeKnown) {
        if (dataSize - 50 > available) {
            layout.truncated = true;
        } else {
            dataBytes = dataSize - 50;
        }
    }
    layout.packetCount = dataBytes / layout.packetSize;
    layout.promisedPackets = layout.packetCount;
    if (layout.truncated)
        layout.promisedPackets =
            (dataSize - 50) / layout.packetSize + ((dataSize - 50) % layout.packetSize != 0);
    layout.dataObjectEnd = layout.firstPacketOffset + dataBytes;
    if (!sizeKnown || layout.truncated) return true;

    // Index objects follow the data object; damage there only loses the index.
    uint64_t at = layout.dataObjectEnd;
    for (int objects = 0; objects < 256 && fileSize - at >= 24; ++objects) {
        uint8_t oh[24];
        if (!source.ReadAt(at, oh, sizeof oh)) break;
        ByteReader o(oh, sizeof oh);
        Guid id = o.ReadGuid();
        uint64_t size = o.U64();
        if (size < 24 || size > fileSize - at) break;
        if (id == guids::kSimpleIndex && size <= kMaxHeaderSize) {
            uint8_t fields[SimpleIndex::kEntriesStart - 24];
            ByteReader f(fields, sizeof fields);
            SimpleIndexPlace place;
            place.offset = at;
            place.size = size;
            if (size >= SimpleIndex::kEntriesStart &&
                source.ReadAt(at + 24, fields, sizeof fields)) {
                f.ReadGuid();  // file ID
                place.interval = f.U64();
                f.U32();  // largest packet count
                place.entryCount = f.U32();
                if (f.ok() && place.entryCount <=
                                  (size - SimpleIndex::kEntriesStart) / SimpleIndex::kEntrySize)
                    layout.simpleIndexes.push_back(place);
            }
        }
        at += size;
    }
    return true;
}

bool ReadSimpleIndex(ByteSource& source, const SimpleIndexPlace& place, SimpleIndex& index) {
    std::vector<uint8_t> body(static_cast<size_t>(place.size - 24));
    return source.ReadAt(place.offset + 24, body.data(), body.size()) &&
           index.Parse(ByteReader(body));
}

bool ReadSimpleIndexEntry(ByteSource& source, const SimpleIndexPlace& place, uint32_t i,
                          SimpleIndex::Entry& entry) {
    uint8_t bytes[SimpleIndex::kEntrySize];
    if (i >= place.entryCount || !source.ReadAt(place.offset + SimpleIndex::kEntriesStart +
                                                    uint64_t(i) * SimpleIndex::kEntrySize,
                                                bytes, sizeof bytes))
        return false;
    ByteReader r(bytes, sizeof bytes);
    entry.packetNumber = r.U32();
    entry.packetCount = r.U16();
    return r.ok();
}

}  // namespace asf
