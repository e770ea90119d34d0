#include "file_info.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "../../runtime/asf/asf_guids.h"
#include "header_items.h"
#include "profile.h"
#include "reader.h"
#include "reader_driver.h"
#include "text/utf.h"
#include "wide_string.h"

namespace asftool {

namespace {

std::string Hex(const BYTE* p, size_t n) {
    std::string s;
    char b[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", p[i]);
        s += b;
    }
    return s;
}

uint64_t LittleEndian(const std::vector<BYTE>& v) {
    uint64_t x = 0;
    for (size_t i = 0; i < v.size() && i < 8; ++i) x |= uint64_t(v[i]) << (8 * i);
    return x;
}

AttributeInfo Describe(WORD stream, const std::u16string& name, WMT_ATTR_DATATYPE type,
                       const std::vector<BYTE>& value) {
    AttributeInfo a{stream, text::Utf16ToUtf8(name), "", "", true};
    switch (type) {
        case WMT_TYPE_STRING: {
            std::u16string s;
            for (size_t i = 0; i + 1 < value.size(); i += 2)
                s.push_back(static_cast<char16_t>(value[i] | value[i + 1] << 8));
            while (!s.empty() && s.back() == 0) s.pop_back();
            a.type = "string";
            a.value = text::Utf16ToUtf8(s);
            a.numeric = false;
            break;
        }
        case WMT_TYPE_DWORD:
            a.type = "dword";
            break;
        case WMT_TYPE_QWORD:
            a.type = "qword";
            break;
        case WMT_TYPE_WORD:
            a.type = "word";
            break;
        case WMT_TYPE_BOOL:
            a.type = "bool";
            break;
        case WMT_TYPE_GUID:
            a.type = "guid";
            break;
        default:
            a.type = "binary";
            break;
    }
    if (a.numeric && (type == WMT_TYPE_BINARY || type == WMT_TYPE_GUID)) {
        a.value = Hex(value.data(), value.size());
        a.numeric = false;
    } else if (a.numeric) {
        uint64_t v = LittleEndian(value);
        a.value = type == WMT_TYPE_BOOL ? (v ? "true" : "false") : std::to_string(v);
    }
    return a;
}

std::string MediaTypeHex(const wm::MediaType& t) {
    auto bytes = [](const auto& field) {
        return Hex(reinterpret_cast<const BYTE*>(&field), sizeof field);
    };
    const WM_MEDIA_TYPE& h = t.head;
    return bytes(h.majortype) + bytes(h.subtype) + bytes(h.bFixedSizeSamples) +
           bytes(h.bTemporalCompression) + bytes(h.lSampleSize) + bytes(h.formattype) +
           bytes(h.cbFormat) + Hex(t.format.data(), t.format.size());
}

std::string StreamType(const GUID& major) {
    if (major == asf::guids::kMediaTypeVideo) return "video";
    if (major == asf::guids::kMediaTypeAudio) return "audio";
    if (major == asf::guids::kCommandMedia) return "command";
    return "other";
}

void ReadHeader(wm::CReader& reader, FileInfo& info) {
    WORD stream = 0;
    WMT_ATTR_DATATYPE type;
    BYTE duration[8]{};
    WORD length = sizeof duration;
    if (Succeeded(reader.GetAttributeByName(&stream, g_wszWMDuration, &type, duration, &length)))
        info.duration = LittleEndian(std::vector<BYTE>(duration, duration + 8));

    WORD count = 0;
    reader.GetAttributeCount(0xFFFF, &count);
    for (WORD i = 0; i < count; ++i) {
        engine::Attribute a;
        HRESULT hr = engine::ReadAttributeAt(&reader, i, a);
        if (hr == E_ARITHMETIC_OVERFLOW) {
            // Too large for the interface's WORD length: listed with its size.
            std::vector<wm::HeaderStore::Attribute> all = reader.Attributes();
            if (i >= all.size()) continue;
            const wm::HeaderStore::Attribute& big = all[i];
            AttributeInfo shown = Describe(big.stream, big.name, big.type, {});
            shown.value = std::to_string(big.value.size()) + " bytes, too large to show";
            shown.numeric = false;
            info.attributes.push_back(shown);
            continue;
        }
        if (Succeeded(hr)) info.attributes.push_back(Describe(a.stream, a.name, a.type, a.value));
    }

    reader.GetMarkerCount(&count);
    for (WORD i = 0; i < count; ++i)
        if (engine::Marker m; Succeeded(engine::ReadMarker(&reader, i, m)))
            info.markers.push_back({text::Utf16ToUtf8(m.name), m.time});

    reader.GetScriptCount(&count);
    for (WORD i = 0; i < count; ++i)
        if (engine::Script s; Succeeded(engine::ReadScript(&reader, i, s)))
            info.scripts.push_back(
                {text::Utf16ToUtf8(s.type), text::Utf16ToUtf8(s.command), s.time});

    DWORD codecs = 0;
    reader.GetCodecInfoCount(&codecs);
    for (DWORD i = 0; i < codecs; ++i) {
        engine::CodecInfo c;
        if (Failed(engine::ReadCodecInfo(&reader, i, c))) continue;
        info.codecs.push_back({c.type == WMT_CODECINFO_VIDEO   ? "video"
                               : c.type == WMT_CODECINFO_AUDIO ? "audio"
                                                               : "unknown",
                               text::Utf16ToUtf8(c.name), text::Utf16ToUtf8(c.description)});
    }
}

}  // namespace

HRESULT ReadFileInfo(const std::string& path, FileInfo& info, std::string& error) {
    info = FileInfo{};
    info.file = path;
    auto* reader = new wm::CReader();
    ReaderDriver driver(reader);
    HRESULT hr = driver.Open(text::Utf8ToUtf16(path));
    if (Failed(hr)) {
        error = reader->OpenError();
        reader->Release();
        return hr;
    }
    std::vector<wm::StreamDescription> streams;
    wm::ReadProfile(reader, streams);
    std::map<WORD, size_t> byNumber;
    for (const wm::StreamDescription& d : streams) {
        StreamInfo s;
        s.number = d.number;
        s.type = StreamType(d.type.head.majortype);
        s.codec = wm::CodecName(d.type);
        s.bufferWindowMs = d.bufferWindow;
        s.vbr = d.vbr.value_or(false);
        s.bitrate = d.bitrate;
        s.mediaType = MediaTypeHex(d.type);
        s.language = text::Utf16ToUtf8(d.Language());
        byNumber[d.number] = info.streams.size();
        info.streams.push_back(s);
    }
    ReadHeader(*reader, info);

    hr = driver.PlayAll([&](WORD stream, QWORD time, QWORD, DWORD flags, INSSBuffer*) {
        auto it = byNumber.find(stream);
        if (it == byNumber.end()) return S_OK;
        StreamInfo& s = info.streams[it->second];
        if (s.samples == 0) s.firstTime = time;
        s.lastTime = time;
        ++s.samples;
        if (flags & WM_SF_CLEANPOINT) ++s.keySamples;
        return S_OK;
    });
    info.finalClock = driver.FinalClock();
    wm::ReaderStatistics stats = reader->Statistics();
    info.prerollMs = stats.prerollMs;
    info.hasIndex = stats.hasSimpleIndex;
    info.damagedPackets = stats.damagedPackets;
    if (Failed(hr)) error = "reading stopped on an error";
    HRESULT closed = driver.Close();
    reader->Release();
    return Failed(hr) ? hr : closed;
}

}  // namespace asftool
