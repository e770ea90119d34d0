#include "header_store.h"

#include <algorithm>
#include <cstring>

#include "text/case_blind.h"
#include "wide_string.h"

namespace wm {

namespace {

const char16_t* const kDescriptionNames[5] = {u"Title", u"Author", u"Copyright", u"Description",
                                              u"Rating"};

std::u16string* DescriptionField(asf::ContentDescription& c, int i) {
    std::u16string* fields[5] = {&c.title, &c.author, &c.copyright, &c.description, &c.rating};
    return fields[i];
}

int DescriptionIndex(const std::u16string& name) {
    for (int i = 0; i < 5; ++i)
        if (name == kDescriptionNames[i]) return i;
    return -1;
}

std::vector<BYTE> StringValue(const std::u16string& s) {
    std::vector<BYTE> v;
    for (char16_t c : s) {
        v.push_back(static_cast<BYTE>(c));
        v.push_back(static_cast<BYTE>(c >> 8));
    }
    v.push_back(0);
    v.push_back(0);
    return v;
}

// On-disk type code and bytes to the API's numbering and widths.
HeaderStore::Attribute FromStored(const asf::StoredAttribute& a) {
    static const WMT_ATTR_DATATYPE kTypes[7] = {WMT_TYPE_STRING, WMT_TYPE_BINARY, WMT_TYPE_BOOL,
                                                WMT_TYPE_DWORD,  WMT_TYPE_QWORD,  WMT_TYPE_WORD,
                                                WMT_TYPE_GUID};
    HeaderStore::Attribute out{a.stream, a.name, a.type < 7 ? kTypes[a.type] : WMT_TYPE_BINARY,
                               a.value};
    if (out.type == WMT_TYPE_BOOL) {
        BOOL v = 0;
        for (BYTE b : a.value) v |= b;
        out.value = {static_cast<BYTE>(v != 0), 0, 0, 0};
    } else if (out.type == WMT_TYPE_STRING) {
        if (out.value.size() % 2) out.value.pop_back();
        if (out.value.size() < 2 || out.value[out.value.size() - 1] ||
            out.value[out.value.size() - 2])
            out.value.insert(out.value.end(), {0, 0});
    }
    return out;
}

uint16_t DiskType(WMT_ATTR_DATATYPE t) {
    switch (t) {
        case WMT_TYPE_STRING:
            return 0;
        case WMT_TYPE_BINARY:
            return 1;
        case WMT_TYPE_BOOL:
            return 2;
        case WMT_TYPE_DWORD:
            return 3;
        case WMT_TYPE_QWORD:
            return 4;
        case WMT_TYPE_WORD:
            return 5;
        default:
            return 6;
    }
}

size_t FixedWidth(WMT_ATTR_DATATYPE t) {
    switch (t) {
        case WMT_TYPE_DWORD:
        case WMT_TYPE_BOOL:
            return 4;
        case WMT_TYPE_QWORD:
            return 8;
        case WMT_TYPE_WORD:
            return 2;
        case WMT_TYPE_GUID:
            return 16;
        default:
            return 0;
    }
}

// Copies a UTF-16 string with its terminator into a caller buffer of *length characters.
HRESULT CopyString(const std::u16string& s, WCHAR* buffer, WORD* length) {
    if (!length) return E_POINTER;
    size_t needed = s.size() + 1;
    if (needed > 0xFFFF) return E_ARITHMETIC_OVERFLOW;
    if (!buffer) {
        *length = static_cast<WORD>(needed);
        return S_OK;
    }
    if (*length < needed) {
        *length = static_cast<WORD>(needed);
        return ASF_E_BUFFERTOOSMALL;
    }
    std::copy(s.begin(), s.end(), buffer);
    buffer[s.size()] = 0;
    *length = static_cast<WORD>(needed);
    return S_OK;
}

HRESULT CopyValue(const std::vector<BYTE>& v, BYTE* buffer, WORD* length) {
    if (!length) return E_POINTER;
    if (v.size() > 0xFFFF) return E_ARITHMETIC_OVERFLOW;
    if (!buffer) {
        *length = static_cast<WORD>(v.size());
        return S_OK;
    }
    if (*length < v.size()) {
        *length = static_cast<WORD>(v.size());
        return ASF_E_BUFFERTOOSMALL;
    }
    if (!v.empty()) std::memcpy(buffer, v.data(), v.size());
    *length = static_cast<WORD>(v.size());
    return S_OK;
}

// A count for a WORD: past 0xFFFF the call fails, *count holding 0xFFFF ("at least").
HRESULT CopyCount(size_t n, WORD* count) {
    if (!count) return E_POINTER;
    *count = static_cast<WORD>(std::min<size_t>(n, 0xFFFF));
    return n > 0xFFFF ? E_ARITHMETIC_OVERFLOW : S_OK;
}

std::vector<BYTE> LittleEndian(uint64_t v, size_t width) {
    std::vector<BYTE> out(width);
    for (size_t i = 0; i < width; ++i) out[i] = static_cast<BYTE>(v >> (8 * i));
    return out;
}

}  // namespace

void HeaderStore::SetFromFile(asf::AsfHeader h) {
    header = std::move(h);
    uint64_t preroll = PrerollTime();
    contentDuration = header.file.playDuration > preroll ? header.file.playDuration - preroll : 0;
}

std::vector<HeaderStore::Attribute> HeaderStore::Attributes() const {
    std::vector<Attribute> out;
    if (header.content) {
        asf::ContentDescription c = *header.content;
        for (int i = 0; i < 5; ++i) {
            const std::u16string& s = *DescriptionField(c, i);
            if (!s.empty())
                out.push_back({0, kDescriptionNames[i], WMT_TYPE_STRING, StringValue(s)});
        }
    }
    for (const auto* list : {&header.extendedContent, &header.metadata, &header.metadataLibrary})
        for (const asf::StoredAttribute& a : *list) out.push_back(FromStored(a));
    out.push_back({0, g_wszWMDuration, WMT_TYPE_QWORD, LittleEndian(contentDuration, 8)});
    out.push_back({0, g_wszWMBitrate, WMT_TYPE_DWORD, LittleEndian(header.file.maxBitrate, 4)});
    out.push_back({0, g_wszWMSeekable, WMT_TYPE_BOOL,
                   LittleEndian((header.file.flags & asf::FileProperties::kSeekable) ? 1 : 0, 4)});
    out.push_back({0, g_wszWMBroadcast, WMT_TYPE_BOOL,
                   LittleEndian((header.file.flags & asf::FileProperties::kBroadcast) ? 1 : 0, 4)});
    out.push_back({0, g_wszWMProtected, WMT_TYPE_BOOL, LittleEndian(header.IsProtected(), 4)});
    return out;
}

HRESULT HeaderStore::GetAttributeCount(WORD stream, WORD* count) const {
    if (!count) return E_POINTER;
    size_t n = 0;
    for (const Attribute& a : Attributes())
        if (a.stream == stream || stream == 0xFFFF) ++n;
    return CopyCount(n, count);
}

HRESULT HeaderStore::GetAttributeByIndex(WORD index, WORD* stream, WCHAR* name, WORD* nameLength,
                                         WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) const {
    if (!stream || !type) return E_POINTER;
    std::vector<Attribute> all = Attributes();
    WORD seen = 0;
    for (const Attribute& a : all) {
        if (a.stream != *stream && *stream != 0xFFFF) continue;
        if (seen++ != index) continue;
        HRESULT hr = CopyString(a.name, name, nameLength);
        if (Failed(hr)) return hr;
        *type = a.type;
        *stream = a.stream;
        return CopyValue(a.value, value, length);
    }
    return E_INVALIDARG;
}

HRESULT HeaderStore::GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type,
                                        BYTE* value, WORD* length) const {
    if (!stream || !name || !type || !length) return E_POINTER;
    std::u16string wanted(name);
    for (const Attribute& a : Attributes()) {
        if (a.stream != *stream || a.name != wanted) continue;
        *type = a.type;
        return CopyValue(a.value, value, length);
    }
    return ASF_E_NOTFOUND;
}

HRESULT HeaderStore::SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type,
                                  const BYTE* value, WORD length) {
    if (!name || (!value && length)) return E_POINTER;
    std::u16string n(name);
    if (n.empty() || type > WMT_TYPE_GUID || stream > 127) return E_INVALIDARG;
    if (n.size() > kMaxByteLengthChars) return E_ARITHMETIC_OVERFLOW;
    if (stream && !header.FindStream(stream)) return NS_E_INVALID_STREAM;
    size_t width = FixedWidth(type);
    if (width && length != width) return E_INVALIDARG;
    for (const char16_t* coded :
         {g_wszWMDuration, g_wszWMBitrate, g_wszWMSeekable, g_wszWMBroadcast, g_wszWMProtected})
        if (n == coded) return E_INVALIDARG;  // computed, not stored
    std::vector<BYTE> bytes(value, value + length);
    if (type == WMT_TYPE_STRING) {
        if (bytes.size() % 2) return E_INVALIDARG;
        std::u16string s = asf::ByteReader(bytes).Utf16Bytes(bytes.size());
        int field = stream == 0 ? DescriptionIndex(n) : -1;
        // Stored with a terminator, in a 16-bit length, as in the Extended Content Description.
        if (s.size() > kMaxByteLengthChars) return E_ARITHMETIC_OVERFLOW;
        if (field >= 0) {
            if (!header.content) header.content.emplace();
            *DescriptionField(*header.content, field) = s;
            // Some writers keep a second copy under the same name in any case; keep it equal.
            for (asf::StoredAttribute& a : header.extendedContent)
                if (a.type == 0 && text::SameIgnoringCase(a.name, n)) a.value = StringValue(s);
            return S_OK;
        }
        bytes = StringValue(s);
    }
    bool metadataOnly = stream != 0 || type == WMT_TYPE_GUID;
    std::vector<asf::StoredAttribute>& list =
        metadataOnly ? header.metadata : header.extendedContent;
    if (type == WMT_TYPE_BOOL && metadataOnly) bytes.resize(2);
    asf::StoredAttribute stored{0, stream, n, DiskType(type), bytes};
    for (asf::StoredAttribute& a : list) {
        if (a.stream == stream && a.name == n) {
            a = stored;
            return S_OK;
        }
    }
    list.push_back(std::move(stored));
    return S_OK;
}

HRESULT HeaderStore::GetMarkerCount(WORD* count) const {
    return CopyCount(header.markers.markers.size(), count);
}

HRESULT HeaderStore::GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) const {
    if (!time) return E_POINTER;
    if (index >= header.markers.markers.size()) return E_INVALIDARG;
    const asf::Marker& m = header.markers.markers[index];
    HRESULT hr = CopyString(m.description, name, nameLength);
    if (Failed(hr)) return hr;
    *time = m.time > PrerollTime() ? m.time - PrerollTime() : 0;
    return S_OK;
}

HRESULT HeaderStore::AddMarker(const WCHAR* name, QWORD time) {
    if (!name) return E_POINTER;
    std::vector<asf::Marker>& list = header.markers.markers;
    asf::Marker m;
    m.description = name;
    if (list.size() >= 0xFFFF || m.description.size() > kMaxMarkerNameChars)
        return E_ARITHMETIC_OVERFLOW;
    m.time = time + PrerollTime();
    m.sendTime = static_cast<uint32_t>(std::min<QWORD>(time / 10000, UINT32_MAX));
    auto at = std::upper_bound(list.begin(), list.end(), m.time,
                               [](QWORD t, const asf::Marker& e) { return t < e.time; });
    list.insert(at, std::move(m));
    return S_OK;
}

HRESULT HeaderStore::RemoveMarker(WORD index) {
    if (index >= header.markers.markers.size()) return E_INVALIDARG;
    header.markers.markers.erase(header.markers.markers.begin() + index);
    return S_OK;
}

HRESULT HeaderStore::GetScriptCount(WORD* count) const {
    return CopyCount(header.scripts.size(), count);
}

HRESULT HeaderStore::GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command,
                               WORD* commandLength, QWORD* time) const {
    if (!time) return E_POINTER;
    if (index >= header.scripts.size()) return E_INVALIDARG;
    const asf::ScriptCommand& s = header.scripts[index];
    HRESULT hr = CopyString(s.type, type, typeLength);
    if (Succeeded(hr)) hr = CopyString(s.command, command, commandLength);
    if (Failed(hr)) return hr;
    QWORD t = QWORD(s.time) * 10000;
    *time = t > PrerollTime() ? t - PrerollTime() : 0;
    return S_OK;
}

HRESULT HeaderStore::AddScript(const WCHAR* type, const WCHAR* command, QWORD time) {
    if (!type || !command) return E_POINTER;
    QWORD ms = (time + PrerollTime()) / 10000;
    if (ms > UINT32_MAX) return E_INVALIDARG;
    asf::ScriptCommand s{static_cast<uint32_t>(ms), type, command};
    if (header.scripts.size() >= 0xFFFF || s.type.size() > kMaxCharCountChars ||
        s.command.size() > kMaxCharCountChars)
        return E_ARITHMETIC_OVERFLOW;
    auto at = std::upper_bound(header.scripts.begin(), header.scripts.end(), s.time,
                               [](uint32_t t, const asf::ScriptCommand& e) { return t < e.time; });
    header.scripts.insert(at, std::move(s));
    return S_OK;
}

HRESULT HeaderStore::RemoveScript(WORD index) {
    if (index >= header.scripts.size()) return E_INVALIDARG;
    header.scripts.erase(header.scripts.begin() + index);
    return S_OK;
}

HRESULT HeaderStore::GetCodecInfoCount(DWORD* count) const {
    if (!count) return E_POINTER;
    *count = static_cast<DWORD>(header.codecs.size());
    return S_OK;
}

HRESULT HeaderStore::GetCodecInfo(DWORD index, WORD* nameLength, WCHAR* name,
                                  WORD* descriptionLength, WCHAR* description,
                                  WMT_CODEC_INFO_TYPE* type, WORD* infoSize, BYTE* info) const {
    if (!type) return E_POINTER;
    if (index >= header.codecs.size()) return E_INVALIDARG;
    const asf::CodecEntry& c = header.codecs[index];
    HRESULT hr = CopyString(c.name, name, nameLength);
    if (Succeeded(hr)) hr = CopyString(c.description, description, descriptionLength);
    if (Succeeded(hr)) hr = CopyValue(c.info, info, infoSize);
    if (Failed(hr)) return hr;
    *type = c.type == 1   ? WMT_CODECINFO_VIDEO
            : c.type == 2 ? WMT_CODECINFO_AUDIO
                          : WMT_CODECINFO_UNKNOWN;
    return S_OK;
}

HRESULT HeaderStore::AddCodecInfo(const WCHAR* name, const WCHAR* description,
                                  WMT_CODEC_INFO_TYPE type, WORD infoSize, const BYTE* info) {
    if (!name || !description || (!info && infoSize)) return E_POINTER;
    asf::CodecEntry c;
    c.type = type == WMT_CODECINFO_VIDEO ? 1 : type == WMT_CODECINFO_AUDIO ? 2 : 0xFFFF;
    c.name = name;
    c.description = description;
    if (c.name.size() > kMaxCharCountChars || c.description.size() > kMaxCharCountChars)
        return E_ARITHMETIC_OVERFLOW;
    c.info.assign(info, info + infoSize);
    header.codecs.push_back(std::move(c));
    return S_OK;
}

}  // namespace wm
