// A header with every field the model carries filled in, rendered and read back: each field
// must come back as it went in.

#include <gtest/gtest.h>

#include <tuple>

#include "asf/asf_guids.h"
#include "asf/header.h"
#include "wm/header_store.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Le(uint64_t value, int width) {
    Bytes out;
    for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return out;
}

Bytes Utf16z(const std::u16string& s) {
    Bytes out;
    for (char16_t c : s + u'\0') {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

Bytes GuidBytes(const asf::Guid& g) {
    Bytes out(16);
    g.ToBytes(out.data());
    return out;
}

constexpr asf::Guid kOdd = asf::Guid::FromText("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");

asf::StreamProperties Stream(uint16_t number, const asf::Guid& type) {
    asf::StreamProperties s;
    s.streamType = type;
    s.errorCorrectionType = kOdd;
    s.timeOffset = 1230000u * number;
    s.flags = number;
    s.reserved = 0x01020304u + number;
    s.typeSpecific = Bytes(20 + number, static_cast<uint8_t>(0x40 + number));
    s.errorCorrection = {1, 2, 3, static_cast<uint8_t>(number)};
    return s;
}

asf::ExtendedStreamProperties Extended(uint16_t number) {
    asf::ExtendedStreamProperties e;
    e.startTime = 11 + number;
    e.endTime = 12345678 + number;
    e.dataBitrate = 64000 + number;
    e.bufferSize = 3000 + number;
    e.initialBufferFullness = 1500 + number;
    e.altDataBitrate = 96000 + number;
    e.altBufferSize = 4000 + number;
    e.altInitialBufferFullness = 2000 + number;
    e.maxObjectSize = 9000 + number;
    e.flags = 0x2u | number << 4;
    e.streamNumber = number;
    e.languageIndex = number - 1;
    e.avgTimePerFrame = 666667 + number;
    e.names = {{0, u"Haupt" + std::u16string(1, u'0' + number)}, {1, u"\u4e3b\u6d41"}};
    e.extensions = {{kOdd, 2, {9, 8, 7}},
                    {asf::guids::kPadding, 0xFFFF, {6, static_cast<uint8_t>(number)}}};
    return e;
}

// Attributes of every type a store allows: string, bytes, BOOL, DWORD, QWORD, WORD, GUID (the
// Metadata Library only); BOOL is 4 bytes in the Extended Content Description, 2 elsewhere.
std::vector<asf::StoredAttribute> Attributes(uint16_t language, uint16_t stream, int boolWidth,
                                             bool guid) {
    std::vector<asf::StoredAttribute> out = {
        {language, stream, u"WM/Genre", 0, Utf16z(u"Gr\u00fcn \u2013 \u97f3\u697d")},
        {language, stream, u"Bytes", 1, {0, 0xFF, 0x10, 0x80}},
        {language, stream, u"IsVBR", 2, Le(1, boolWidth)},
        {language, stream, u"WM/TrackNumber", 3, Le(0xDEADBEEF, 4)},
        {language, stream, u"WM/Duration", 4, Le(0x0123456789ABCDEFull, 8)},
        {language, stream, u"WM/Word", 5, Le(0xBEEF, 2)},
    };
    if (guid) out.push_back({language, stream, u"WM/MediaClassPrimaryID", 6, GuidBytes(kOdd)});
    return out;
}

asf::AsfHeader FullHeader() {
    asf::AsfHeader h;
    h.file = {kOdd, 123456789, 131000000000000000ull, 77, 61460000, 30460000, 3100, 2, 3200,
              3200, 232000};
    h.streams = {Stream(1, asf::guids::kVideoMedia), Stream(2, asf::guids::kAudioMedia),
                 Stream(3, asf::guids::kAudioMedia)};
    h.extended = {Extended(1), Extended(2), Extended(3)};
    h.extended[2].embedded = h.streams[2];  // stream 3 lives inside its extended properties
    h.bitrates = {{1, 200000}, {2, 32000}, {3, 48000}};
    h.content = asf::ContentDescription{u"Titel \u00e9t\u00e9", u"Autor", u"\u00a9 2026",
                                        u"Beschreibung", u"PG"};
    h.extendedContent = Attributes(0, 0, 4, false);
    h.metadata = Attributes(0, 1, 2, false);
    h.metadataLibrary = Attributes(1, 2, 2, true);
    h.languages = asf::LanguageList{{u"de-DE", u"zh-CN"}};
    h.codecs = {{1, u"Windows Media Video 8", u"Bildcodec, 200 kb/s", {0x57, 0x4D, 0x56, 0x32}},
                {2, u"Windows Media Audio 2", u"32 kb/s, 22 kHz, stereo", {0x61, 0x01}},
                {0xFFFF, u"Andere", u"\u672a\u77e5", {7}}};
    h.scripts = {{3500, u"URL", u"http://example.org/\u00e4"},
                 {4000, u"TEXT", u"Hallo \u4e16\u754c"},
                 {4500, u"URL", u"http://example.org/2"}};
    h.markers.name = u"Kapitel";
    h.markers.markers = {{1000, 31000000, 3100, 1, u"Anfang"},
                         {52000, 61000000, 6100, 0, u"Mitte \u00fc"}};
    h.others = {{kOdd, {1, 2, 3, 4, 5}}};
    h.extensionOthers = {{asf::Guid::FromText("26F18B5D-4584-47EC-9F5F-0E651F0452C9"), {2, 1}}};
    return h;
}

auto Fields(const asf::FileProperties& f) {
    return std::tie(f.fileId, f.fileSize, f.creationDate, f.dataPacketsCount, f.playDuration,
                    f.sendDuration, f.preroll, f.flags, f.minPacketSize, f.maxPacketSize,
                    f.maxBitrate);
}
auto Fields(const asf::StreamProperties& s) {
    return std::tie(s.streamType, s.errorCorrectionType, s.timeOffset, s.flags, s.reserved,
                    s.typeSpecific, s.errorCorrection);
}
auto Fields(const asf::ExtendedStreamProperties& e) {
    return std::tie(e.startTime, e.endTime, e.dataBitrate, e.bufferSize, e.initialBufferFullness,
                    e.altDataBitrate, e.altBufferSize, e.altInitialBufferFullness, e.maxObjectSize,
                    e.flags, e.streamNumber, e.languageIndex, e.avgTimePerFrame);
}
auto Fields(const asf::ExtendedStreamProperties::Name& n) {
    return std::tie(n.languageIndex, n.name);
}
auto Fields(const asf::PayloadExtensionSystem& p) { return std::tie(p.id, p.dataSize, p.info); }
auto Fields(const asf::StreamBitrate& b) { return std::tie(b.stream, b.bitrate); }
auto Fields(const asf::ContentDescription& c) {
    return std::tie(c.title, c.author, c.copyright, c.description, c.rating);
}
auto Fields(const asf::StoredAttribute& a) {
    return std::tie(a.language, a.stream, a.name, a.type, a.value);
}
auto Fields(const asf::CodecEntry& c) { return std::tie(c.type, c.name, c.description, c.info); }
auto Fields(const asf::ScriptCommand& c) { return std::tie(c.time, c.type, c.command); }
auto Fields(const asf::Marker& m) {
    return std::tie(m.offset, m.time, m.sendTime, m.flags, m.description);
}
auto Fields(const asf::RawObject& o) { return std::tie(o.id, o.body); }

template <typename T>
void ExpectSameList(const std::vector<T>& got, const std::vector<T>& want, const char* what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(Fields(got[i]), Fields(want[i])) << what << " " << i;
}

void ExpectSameHeader(const asf::AsfHeader& got, const asf::AsfHeader& want) {
    EXPECT_EQ(Fields(got.file), Fields(want.file));
    ExpectSameList(got.streams, want.streams, "stream");
    ASSERT_EQ(got.extended.size(), want.extended.size());
    for (size_t i = 0; i < want.extended.size(); ++i) {
        SCOPED_TRACE("extended stream properties " + std::to_string(i));
        EXPECT_EQ(Fields(got.extended[i]), Fields(want.extended[i]));
        ExpectSameList(got.extended[i].names, want.extended[i].names, "name");
        ExpectSameList(got.extended[i].extensions, want.extended[i].extensions, "extension");
        ASSERT_EQ(got.extended[i].embedded.has_value(), want.extended[i].embedded.has_value());
        if (want.extended[i].embedded) {
            EXPECT_EQ(Fields(*got.extended[i].embedded), Fields(*want.extended[i].embedded));
        }
    }
    ExpectSameList(got.bitrates, want.bitrates, "bit rate");
    ASSERT_TRUE(got.content.has_value());
    EXPECT_EQ(Fields(*got.content), Fields(*want.content));
    ExpectSameList(got.extendedContent, want.extendedContent, "extended content attribute");
    ExpectSameList(got.metadata, want.metadata, "metadata attribute");
    ExpectSameList(got.metadataLibrary, want.metadataLibrary, "metadata library attribute");
    ASSERT_TRUE(got.languages.has_value());
    EXPECT_EQ(got.languages->languages, want.languages->languages);
    ExpectSameList(got.codecs, want.codecs, "codec");
    ExpectSameList(got.scripts, want.scripts, "script");
    EXPECT_EQ(got.markers.name, want.markers.name);
    ExpectSameList(got.markers.markers, want.markers.markers, "marker");
    ExpectSameList(got.others, want.others, "header object");
    ExpectSameList(got.extensionOthers, want.extensionOthers, "header extension object");
    EXPECT_EQ(got.encrypted, want.encrypted);
}

TEST(HeaderFields, EveryCarriedFieldSurvivesRenderAndParse) {
    const asf::AsfHeader full = FullHeader();
    std::vector<uint8_t> bytes = full.Render(200);
    asf::AsfHeader again;
    std::string error;
    ASSERT_TRUE(again.Parse(bytes, error)) << error;
    ExpectSameHeader(again, full);
    EXPECT_EQ(again.paddingSize, 200u);
    EXPECT_EQ(again.Render(200), bytes);
}

// What a join carries from its first input through the header interface, as that interface
// shows it: stored attributes, codecs, markers and scripts, in order.
struct Carried {
    std::vector<std::tuple<WORD, std::u16string, WMT_ATTR_DATATYPE, Bytes>> attributes;
    std::vector<std::tuple<WMT_CODEC_INFO_TYPE, std::u16string, std::u16string, Bytes>> codecs;
    std::vector<std::pair<std::u16string, QWORD>> markers;
    std::vector<std::tuple<std::u16string, std::u16string, QWORD>> scripts;
};

bool Computed(const std::u16string& name) {
    for (const WCHAR* coded :
         {g_wszWMDuration, g_wszWMBitrate, g_wszWMSeekable, g_wszWMBroadcast, g_wszWMProtected})
        if (name == coded) return true;
    return false;
}

Carried ReadThrough(const wm::HeaderStore& store) {
    Carried out;
    WORD count = 0;
    store.GetAttributeCount(0xFFFF, &count);
    for (WORD i = 0; i < count; ++i) {
        WORD stream = 0xFFFF, nameLength = 0, length = 0;
        WMT_ATTR_DATATYPE type;
        EXPECT_EQ(
            store.GetAttributeByIndex(i, &stream, nullptr, &nameLength, &type, nullptr, &length),
            S_OK);
        std::u16string name(nameLength, u'\0');
        Bytes value(length);
        stream = 0xFFFF;
        EXPECT_EQ(store.GetAttributeByIndex(i, &stream, name.data(), &nameLength, &type,
                                            value.data(), &length),
                  S_OK);
        name.resize(nameLength ? nameLength - 1 : 0);
        if (!Computed(name)) out.attributes.emplace_back(stream, name, type, value);
    }
    DWORD codecs = 0;
    store.GetCodecInfoCount(&codecs);
    for (DWORD i = 0; i < codecs; ++i) {
        WORD nameLength = 0, descriptionLength = 0, infoSize = 0;
        WMT_CODEC_INFO_TYPE type;
        store.GetCodecInfo(i, &nameLength, nullptr, &descriptionLength, nullptr, &type, &infoSize,
                           nullptr);
        std::u16string name(nameLength, u'\0'), description(descriptionLength, u'\0');
        Bytes info(infoSize);
        EXPECT_EQ(store.GetCodecInfo(i, &nameLength, name.data(), &descriptionLength,
                                     description.data(), &type, &infoSize, info.data()),
                  S_OK);
        name.resize(nameLength - 1);
        description.resize(descriptionLength - 1);
        out.codecs.emplace_back(type, name, description, info);
    }
    WORD markers = 0;
    store.GetMarkerCount(&markers);
    for (WORD i = 0; i < markers; ++i) {
        WORD length = 0;
        QWORD time = 0;
        store.GetMarker(i, nullptr, &length, &time);
        std::u16string name(length, u'\0');
        EXPECT_EQ(store.GetMarker(i, name.data(), &length, &time), S_OK);
        name.resize(length - 1);
        out.markers.emplace_back(name, time);
    }
    WORD scripts = 0;
    store.GetScriptCount(&scripts);
    for (WORD i = 0; i < scripts; ++i) {
        WORD typeLength = 0, commandLength = 0;
        QWORD time = 0;
        store.GetScript(i, nullptr, &typeLength, nullptr, &commandLength, &time);
        std::u16string type(typeLength, u'\0'), command(commandLength, u'\0');
        EXPECT_EQ(
            store.GetScript(i, type.data(), &typeLength, command.data(), &commandLength, &time),
            S_OK);
        type.resize(typeLength - 1);
        command.resize(commandLength - 1);
        out.scripts.emplace_back(type, command, time);
    }
    return out;
}

void WriteThrough(const Carried& c, wm::HeaderStore& store) {
    for (const auto& [stream, name, type, value] : c.attributes)
        EXPECT_EQ(store.SetAttribute(stream, name.c_str(), type, value.data(),
                                     static_cast<WORD>(value.size())),
                  S_OK);
    for (const auto& [type, name, description, info] : c.codecs)
        EXPECT_EQ(store.AddCodecInfo(name.c_str(), description.c_str(), type,
                                     static_cast<WORD>(info.size()), info.data()),
                  S_OK);
    for (const auto& [name, time] : c.markers) EXPECT_EQ(store.AddMarker(name.c_str(), time), S_OK);
    for (const auto& [type, command, time] : c.scripts)
        EXPECT_EQ(store.AddScript(type.c_str(), command.c_str(), time), S_OK);
}

// A source read through the interface, written into a new header through it (as a join's
// writer gets it), rendered and read back: the interface shows the same carried fields.
TEST(HeaderFields, EveryFieldCarriedThroughTheHeaderInterfaceComesBack) {
    wm::HeaderStore source;
    source.SetFromFile(FullHeader());
    Carried sent = ReadThrough(source);
    ASSERT_EQ(sent.attributes.size(), 5u + 6 + 6 + 7);  // content description, then each store
    ASSERT_EQ(sent.codecs.size(), 3u);
    ASSERT_EQ(sent.markers.size(), 2u);
    ASSERT_EQ(sent.scripts.size(), 3u);

    wm::HeaderStore writer;
    writer.header.file = source.header.file;
    writer.header.streams = source.header.streams;
    WriteThrough(sent, writer);
    asf::AsfHeader parsed;
    std::string error;
    ASSERT_TRUE(parsed.Parse(writer.header.Render(0), error)) << error;
    wm::HeaderStore output;
    output.SetFromFile(parsed);
    Carried got = ReadThrough(output);
    EXPECT_EQ(got.attributes, sent.attributes);
    EXPECT_EQ(got.codecs, sent.codecs);
    EXPECT_EQ(got.markers, sent.markers);
    EXPECT_EQ(got.scripts, sent.scripts);
}

}  // namespace
