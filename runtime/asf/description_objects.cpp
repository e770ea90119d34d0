#include "asf_guids.h"
#include "header_objects.h"

namespace asf {

namespace {
// A string's stored length with its terminator, in bytes or in characters; the fields it goes
// into check that it fits.
uint64_t ByteLength(const std::u16string& s) { return uint64_t(s.size()) * 2 + 2; }
uint64_t CharLength(const std::u16string& s) { return uint64_t(s.size()) + 1; }
}  // namespace

bool ContentDescription::Parse(ByteReader r) {
    uint16_t lengths[5];
    for (uint16_t& l : lengths) l = r.U16();
    std::u16string* fields[5] = {&title, &author, &copyright, &description, &rating};
    for (int i = 0; i < 5; ++i) *fields[i] = r.Utf16Bytes(lengths[i]);
    return r.ok();
}

void ContentDescription::Render(ByteWriter& w) const {
    ObjectScope scope(w, guids::kContentDescription);
    const std::u16string* fields[5] = {&title, &author, &copyright, &description, &rating};
    for (const std::u16string* f : fields)
        w.Field16(f->empty() ? 0 : ByteLength(*f),
                  "a title, author, copyright, description or rating");
    for (const std::u16string* f : fields)
        if (!f->empty()) w.Utf16(*f, true);
}

bool ParseExtendedContentDescription(ByteReader r, std::vector<StoredAttribute>& out) {
    uint16_t count = r.U16();
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
        StoredAttribute a;
        a.name = r.Utf16Bytes(r.U16());
        a.type = r.U16();
        uint16_t length = r.U16();
        r.Bytes(length, a.value);
        if (r.ok()) out.push_back(std::move(a));
    }
    return r.ok();
}

void RenderExtendedContentDescription(ByteWriter& w, const std::vector<StoredAttribute>& in) {
    ObjectScope scope(w, guids::kExtendedContentDescription);
    w.Field16(in.size(), "the number of attributes");
    for (const StoredAttribute& a : in) {
        w.Field16(ByteLength(a.name), "an attribute's name");
        w.Utf16(a.name, true);
        w.U16(a.type);
        w.Field16(a.value.size(), "an attribute's value");
        w.Bytes(a.value);
    }
}

bool ParseMetadata(ByteReader r, bool library, std::vector<StoredAttribute>& out) {
    uint16_t count = r.U16();
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
        StoredAttribute a;
        uint16_t first = r.U16();
        a.language = library ? first : 0;
        a.stream = r.U16();
        uint16_t nameLength = r.U16();
        a.type = r.U16();
        uint32_t dataLength = r.U32();
        a.name = r.Utf16Bytes(nameLength);
        r.Bytes(dataLength, a.value);
        if (r.ok()) out.push_back(std::move(a));
    }
    return r.ok();
}

void RenderMetadata(ByteWriter& w, bool library, const std::vector<StoredAttribute>& in) {
    ObjectScope scope(w, library ? guids::kMetadataLibrary : guids::kMetadata);
    w.Field16(in.size(), "the number of attributes");
    for (const StoredAttribute& a : in) {
        w.U16(library ? a.language : 0);
        w.U16(a.stream);
        w.Field16(ByteLength(a.name), "an attribute's name");
        w.U16(a.type);
        w.Field32(a.value.size(), "an attribute's value");
        w.Utf16(a.name, true);
        w.Bytes(a.value);
    }
}

bool ParseCodecList(ByteReader r, std::vector<CodecEntry>& out) {
    r.ReadGuid();
    uint32_t count = r.U32();
    for (uint32_t i = 0; i < count && r.ok(); ++i) {
        CodecEntry e;
        e.type = r.U16();
        e.name = r.Utf16Chars(r.U16());
        e.description = r.Utf16Chars(r.U16());
        r.Bytes(r.U16(), e.info);
        if (r.ok()) out.push_back(std::move(e));
    }
    return r.ok();
}

void RenderCodecList(ByteWriter& w, const std::vector<CodecEntry>& in) {
    ObjectScope scope(w, guids::kCodecList);
    w.WriteGuid(guids::kReserved2);
    w.Field32(in.size(), "the number of codecs");
    for (const CodecEntry& e : in) {
        w.U16(e.type);
        w.Field16(CharLength(e.name), "a codec's name");
        w.Utf16(e.name, true);
        w.Field16(CharLength(e.description), "a codec's description");
        w.Utf16(e.description, true);
        w.Field16(e.info.size(), "a codec's information");
        w.Bytes(e.info);
    }
}

bool ParseScriptCommands(ByteReader r, std::vector<ScriptCommand>& out) {
    r.ReadGuid();
    uint16_t commandCount = r.U16();
    uint16_t typeCount = r.U16();
    std::vector<std::u16string> types;
    for (uint16_t i = 0; i < typeCount && r.ok(); ++i) types.push_back(r.Utf16Chars(r.U16()));
    for (uint16_t i = 0; i < commandCount && r.ok(); ++i) {
        ScriptCommand c;
        c.time = r.U32();
        uint16_t typeIndex = r.U16();
        c.command = r.Utf16Chars(r.U16());
        if (typeIndex >= types.size()) return false;
        c.type = types[typeIndex];
        if (r.ok()) out.push_back(std::move(c));
    }
    return r.ok();
}

void RenderScriptCommands(ByteWriter& w, const std::vector<ScriptCommand>& in) {
    std::vector<std::u16string> types;
    std::vector<size_t> typeIndex;
    for (const ScriptCommand& c : in) {
        size_t t = 0;
        while (t < types.size() && types[t] != c.type) ++t;
        if (t == types.size()) types.push_back(c.type);
        typeIndex.push_back(t);
    }
    ObjectScope scope(w, guids::kScriptCommand);
    w.WriteGuid(guids::kReserved3);
    w.Field16(in.size(), "the number of scripts");
    w.Field16(types.size(), "the number of script types");
    for (const std::u16string& t : types) {
        w.Field16(CharLength(t), "a script's type");
        w.Utf16(t, true);
    }
    for (size_t i = 0; i < in.size(); ++i) {
        w.U32(in[i].time);
        w.Field16(typeIndex[i], "the number of script types");
        w.Field16(CharLength(in[i].command), "a script's command");
        w.Utf16(in[i].command, true);
    }
}

bool MarkerList::Parse(ByteReader r) {
    r.ReadGuid();
    uint32_t count = r.U32();
    r.U16();
    name = r.Utf16Bytes(r.U16());
    for (uint32_t i = 0; i < count && r.ok(); ++i) {
        Marker m;
        m.offset = r.U64();
        m.time = r.U64();
        uint16_t entryLength = r.U16();
        ByteReader entry = r.Sub(entryLength);
        m.sendTime = entry.U32();
        m.flags = entry.U32();
        uint32_t chars = entry.U32();
        // Description length is in characters; a writer that stored bytes still fits the entry.
        if (chars > entry.Remaining() / 2) chars = static_cast<uint32_t>(entry.Remaining() / 2);
        m.description = entry.Utf16Chars(chars);
        if (!entry.ok()) return false;
        if (r.ok()) markers.push_back(std::move(m));
    }
    return r.ok();
}

void MarkerList::Render(ByteWriter& w) const {
    ObjectScope scope(w, guids::kMarker);
    w.WriteGuid(guids::kReserved4);
    w.Field32(markers.size(), "the number of markers");
    w.U16(0);
    w.Field16(name.empty() ? 0 : ByteLength(name), "the marker list's name");
    if (!name.empty()) w.Utf16(name, true);
    for (const Marker& m : markers) {
        w.U64(m.offset);
        w.U64(m.time);
        w.Field16(12 + ByteLength(m.description), "a marker's name");
        w.U32(m.sendTime);
        w.U32(m.flags);
        w.Field32(CharLength(m.description), "a marker's name");
        w.Utf16(m.description, true);
    }
}

}  // namespace asf
