#pragma once
// The ASF header objects, one struct each. Parse reads an object's body (the bytes after its
// 24-byte GUID and size) and fails on any field that does not fit; Render writes the whole
// object, size field included.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "byte_io.h"
#include "guid.h"

namespace asf {

// Format limits, so that no count read from a file can make us allocate without bound.
constexpr uint32_t kMaxStreams = 127;
constexpr uint32_t kMaxPacketSize = 1u << 20;
// The smallest packet that holds a packet header (flags, property flags, send time, duration:
// 8 bytes) and one payload of one byte (stream, replicated length, time delta, length: 5).
constexpr uint32_t kMinPacketSize = 13;

struct FileProperties {
    Guid fileId;
    uint64_t fileSize = 0;
    uint64_t creationDate = 0;
    uint64_t dataPacketsCount = 0;
    uint64_t playDuration = 0;  // 100 ns, includes preroll
    uint64_t sendDuration = 0;  // 100 ns
    uint64_t preroll = 0;       // ms
    uint32_t flags = 0;
    uint32_t minPacketSize = 0;
    uint32_t maxPacketSize = 0;
    uint32_t maxBitrate = 0;

    static constexpr uint32_t kBroadcast = 1;
    static constexpr uint32_t kSeekable = 2;
    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
};

struct StreamProperties {
    Guid streamType;
    Guid errorCorrectionType;
    uint64_t timeOffset = 0;  // 100 ns
    uint16_t flags = 0;       // bits 0-6 stream number, bit 15 encrypted
    uint32_t reserved = 0;
    std::vector<uint8_t> typeSpecific;
    std::vector<uint8_t> errorCorrection;

    uint16_t Number() const { return flags & 0x7F; }
    bool Encrypted() const { return (flags & 0x8000) != 0; }
    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
};

struct PayloadExtensionSystem {
    Guid id;
    uint16_t dataSize = 0;  // 0xFFFF: variable, each instance starts with a WORD length
    std::vector<uint8_t> info;
};

struct ExtendedStreamProperties {
    uint64_t startTime = 0;
    uint64_t endTime = 0;
    uint32_t dataBitrate = 0;
    uint32_t bufferSize = 0;  // ms: the stream's buffer window
    uint32_t initialBufferFullness = 0;
    uint32_t altDataBitrate = 0;
    uint32_t altBufferSize = 0;
    uint32_t altInitialBufferFullness = 0;
    uint32_t maxObjectSize = 0;
    uint32_t flags = 0;
    uint16_t streamNumber = 0;
    uint16_t languageIndex = 0;
    uint64_t avgTimePerFrame = 0;
    struct Name {
        uint16_t languageIndex;
        std::u16string name;
    };
    std::vector<Name> names;
    std::vector<PayloadExtensionSystem> extensions;
    std::optional<StreamProperties> embedded;

    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
};

struct StreamBitrate {
    uint16_t stream;
    uint32_t bitrate;
};
bool ParseStreamBitrates(ByteReader r, std::vector<StreamBitrate>& out);
void RenderStreamBitrates(ByteWriter& w, const std::vector<StreamBitrate>& in);

struct ContentDescription {
    std::u16string title, author, copyright, description, rating;
    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
};

// One attribute as stored: on-disk type code (0 string, 1 bytes, 2 BOOL, 3 DWORD, 4 QWORD,
// 5 WORD, 6 GUID) and the value bytes as stored.
struct StoredAttribute {
    uint16_t language = 0;
    uint16_t stream = 0;
    std::u16string name;
    uint16_t type = 0;
    std::vector<uint8_t> value;
};
bool ParseExtendedContentDescription(ByteReader r, std::vector<StoredAttribute>& out);
void RenderExtendedContentDescription(ByteWriter& w, const std::vector<StoredAttribute>& in);
// Metadata (library=false) and Metadata Library (library=true) share one record layout.
bool ParseMetadata(ByteReader r, bool library, std::vector<StoredAttribute>& out);
void RenderMetadata(ByteWriter& w, bool library, const std::vector<StoredAttribute>& in);

struct CodecEntry {
    uint16_t type = 0;  // 1 video, 2 audio, 0xFFFF unknown
    std::u16string name;
    std::u16string description;
    std::vector<uint8_t> info;
};
bool ParseCodecList(ByteReader r, std::vector<CodecEntry>& out);
void RenderCodecList(ByteWriter& w, const std::vector<CodecEntry>& in);

struct ScriptCommand {
    uint32_t time = 0;  // ms, includes preroll
    std::u16string type;
    std::u16string command;
};
bool ParseScriptCommands(ByteReader r, std::vector<ScriptCommand>& out);
void RenderScriptCommands(ByteWriter& w, const std::vector<ScriptCommand>& in);

struct Marker {
    uint64_t offset = 0;
    uint64_t time = 0;  // 100 ns, includes preroll
    uint32_t sendTime = 0;
    uint32_t flags = 0;
    std::u16string description;
};
struct MarkerList {
    std::u16string name;
    std::vector<Marker> markers;
    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
};

struct LanguageList {
    std::vector<std::u16string> languages;
    bool Parse(ByteReader r);
    void Render(ByteWriter& w) const;
};

// An object kept byte for byte: body is everything after the 24-byte object header.
struct RawObject {
    Guid id;
    std::vector<uint8_t> body;
    void Render(ByteWriter& w) const;
};

}  // namespace asf
