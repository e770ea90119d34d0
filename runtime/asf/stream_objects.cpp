#include "asf_guids.h"
#include "header_objects.h"

namespace asf {

bool FileProperties::Parse(ByteReader r) {
    fileId = r.ReadGuid();
    fileSize = r.U64();
    creationDate = r.U64();
    dataPacketsCount = r.U64();
    playDuration = r.U64();
    sendDuration = r.U64();
    preroll = r.U64();
    flags = r.U32();
    minPacketSize = r.U32();
    maxPacketSize = r.U32();
    maxBitrate = r.U32();
    return r.ok();
}

void FileProperties::Render(ByteWriter& w) const {
    ObjectScope scope(w, guids::kFileProperties);
    w.WriteGuid(fileId);
    w.U64(fileSize);
    w.U64(creationDate);
    w.U64(dataPacketsCount);
    w.U64(playDuration);
    w.U64(sendDuration);
    w.U64(preroll);
    w.U32(flags);
    w.U32(minPacketSize);
    w.U32(maxPacketSize);
    w.U32(maxBitrate);
}

bool StreamProperties::Parse(ByteReader r) {
    streamType = r.ReadGuid();
    errorCorrectionType = r.ReadGuid();
    timeOffset = r.U64();
    uint32_t typeLength = r.U32();
    uint32_t ecLength = r.U32();
    flags = r.U16();
    reserved = r.U32();
    r.Bytes(typeLength, typeSpecific);
    r.Bytes(ecLength, errorCorrection);
    return r.ok() && Number() != 0;
}

void StreamProperties::Render(ByteWriter& w) const {
    ObjectScope scope(w, guids::kStreamProperties);
    w.WriteGuid(streamType);
    w.WriteGuid(errorCorrectionType);
    w.U64(timeOffset);
    w.Field32(typeSpecific.size(), "a stream's format");
    w.Field32(errorCorrection.size(), "a stream's error correction data");
    w.U16(flags);
    w.U32(reserved);
    w.Bytes(typeSpecific);
    w.Bytes(errorCorrection);
}

bool ExtendedStreamProperties::Parse(ByteReader r) {
    startTime = r.U64();
    endTime = r.U64();
    dataBitrate = r.U32();
    bufferSize = r.U32();
    initialBufferFullness = r.U32();
    altDataBitrate = r.U32();
    altBufferSize = r.U32();
    altInitialBufferFullness = r.U32();
    maxObjectSize = r.U32();
    flags = r.U32();
    streamNumber = r.U16();
    languageIndex = r.U16();
    avgTimePerFrame = r.U64();
    uint16_t nameCount = r.U16();
    uint16_t extensionCount = r.U16();
    if (!r.ok()) return false;
    for (uint16_t i = 0; i < nameCount && r.ok(); ++i) {
        Name n;
        n.languageIndex = r.U16();
        n.name = r.Utf16Bytes(r.U16());
        if (r.ok()) names.push_back(std::move(n));
    }
    for (uint16_t i = 0; i < extensionCount && r.ok(); ++i) {
        PayloadExtensionSystem e;
        e.id = r.ReadGuid();
        e.dataSize = r.U16();
        r.Bytes(r.U32(), e.info);
        if (r.ok()) extensions.push_back(std::move(e));
    }
    if (!r.ok()) return false;
    if (r.Remaining() >= 24) {
        Guid id = r.ReadGuid();
        uint64_t size = r.U64();
        if (id != guids::kStreamProperties || size < 24 || size - 24 > r.Remaining()) return false;
        StreamProperties sp;
        if (!sp.Parse(r.Sub(static_cast<size_t>(size - 24)))) return false;
        embedded = std::move(sp);
    }
    return r.ok();
}

void ExtendedStreamProperties::Render(ByteWriter& w) const {
    ObjectScope scope(w, guids::kExtendedStreamProperties);
    w.U64(startTime);
    w.U64(endTime);
    w.U32(dataBitrate);
    w.U32(bufferSize);
    w.U32(initialBufferFullness);
    w.U32(altDataBitrate);
    w.U32(altBufferSize);
    w.U32(altInitialBufferFullness);
    w.U32(maxObjectSize);
    w.U32(flags);
    w.U16(streamNumber);
    w.U16(languageIndex);
    w.U64(avgTimePerFrame);
    w.Field16(names.size(), "the number of a stream's names");
    w.Field16(extensions.size(), "the number of a stream's payload extensions");
    for (const Name& n : names) {
        w.U16(n.languageIndex);
        w.Field16(uint64_t(n.name.size()) * 2 + 2, "a stream's name");
        w.Utf16(n.name, true);
    }
    for (const PayloadExtensionSystem& e : extensions) {
        w.WriteGuid(e.id);
        w.U16(e.dataSize);
        w.Field32(e.info.size(), "a payload extension's information");
        w.Bytes(e.info);
    }
    if (embedded) embedded->Render(w);
}

bool ParseStreamBitrates(ByteReader r, std::vector<StreamBitrate>& out) {
    uint16_t count = r.U16();
    if (!r.ok() || count > r.Remaining() / 6) return false;
    for (uint16_t i = 0; i < count; ++i) {
        uint16_t stream = r.U16() & 0x7F;
        out.push_back({stream, r.U32()});
    }
    return r.ok();
}

void RenderStreamBitrates(ByteWriter& w, const std::vector<StreamBitrate>& in) {
    ObjectScope scope(w, guids::kStreamBitrateProperties);
    w.Field16(in.size(), "the number of stream bit rates");
    for (const StreamBitrate& b : in) {
        w.U16(b.stream);
        w.U32(b.bitrate);
    }
}

bool LanguageList::Parse(ByteReader r) {
    uint16_t count = r.U16();
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
        std::u16string s = r.Utf16Bytes(r.U8());
        if (r.ok()) languages.push_back(std::move(s));
    }
    return r.ok();
}

void LanguageList::Render(ByteWriter& w) const {
    ObjectScope scope(w, guids::kLanguageList);
    w.Field16(languages.size(), "the number of languages");
    for (const std::u16string& s : languages) {
        w.Field8(uint64_t(s.size()) * 2 + 2, "a language's name");
        w.Utf16(s, true);
    }
}

void RawObject::Render(ByteWriter& w) const {
    ObjectScope scope(w, id);
    w.Bytes(body);
}

}  // namespace asf
