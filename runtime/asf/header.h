#pragma once
// The whole header of an ASF file as a model, and where the data packets and indexes lie.

#include <optional>
#include <string>
#include <vector>

#include "byte_io.h"
#include "header_objects.h"
#include "simple_index.h"

namespace asf {

constexpr uint64_t kMaxHeaderSize = 64ull << 20;

struct AsfHeader {
    FileProperties file;
    std::vector<StreamProperties> streams;  // free-standing and embedded, in file order
    std::vector<ExtendedStreamProperties> extended;
    std::vector<StreamBitrate> bitrates;
    std::optional<ContentDescription> content;
    std::vector<StoredAttribute> extendedContent;
    std::vector<StoredAttribute> metadata;
    std::vector<StoredAttribute> metadataLibrary;
    std::optional<LanguageList> languages;
    std::vector<CodecEntry> codecs;
    std::vector<ScriptCommand> scripts;
    MarkerList markers;
    bool encrypted = false;                  // a content encryption object is present
    std::vector<RawObject> others;           // header children we do not model, kept as read
    std::vector<RawObject> extensionOthers;  // the same inside the Header Extension
    uint64_t paddingSize = 0;                // bytes of Padding objects, headers included

    // Parses a header object's bytes (from its GUID on). False with a reason when any size,
    // count or mandatory object is wrong.
    bool Parse(const std::vector<uint8_t>& bytes, std::string& error);
    // Renders the header object with a Padding object of paddingBytes (0: none; else >= 24).
    // Empty, with the reason in why, when a count or length does not fit its field or the
    // header would pass kMaxHeaderSize: nothing is ever cut to fit.
    std::vector<uint8_t> Render(uint64_t paddingBytes, std::string* why = nullptr) const;

    const StreamProperties* FindStream(uint16_t number) const;
    const ExtendedStreamProperties* FindExtended(uint16_t number) const;
    ExtendedStreamProperties* FindExtended(uint16_t number);
    bool IsProtected() const;
};

// A Simple Index object after the data object, its fields checked. Its entries are read only when
// wanted: a long time line has millions.
struct SimpleIndexPlace {
    uint64_t offset = 0;  // of the object
    uint64_t size = 0;
    uint64_t interval = 0;  // 100 ns
    uint32_t entryCount = 0;
};

struct AsfLayout {
    uint64_t headerSize = 0;
    uint64_t dataObjectOffset = 0;
    uint64_t firstPacketOffset = 0;
    uint32_t packetSize = 0;
    uint64_t packetCount = 0;      // whole packets that can be read
    uint64_t promisedPackets = 0;  // packets the data object's size promises
    uint64_t dataObjectEnd = 0;    // end of the data object as far as the file holds it
    bool truncated = false;        // the data object was cut short
    std::vector<SimpleIndexPlace> simpleIndexes;
};

// Reads and checks the header, the data object's header and the index objects after it.
bool ReadAsfStructure(ByteSource& source, AsfHeader& header, AsfLayout& layout, std::string& error);

// The whole index, or one entry of it.
bool ReadSimpleIndex(ByteSource& source, const SimpleIndexPlace& place, SimpleIndex& index);
bool ReadSimpleIndexEntry(ByteSource& source, const SimpleIndexPlace& place, uint32_t i,
                          SimpleIndex::Entry& entry);

}  // namespace asf
