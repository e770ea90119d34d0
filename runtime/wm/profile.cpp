#include "profile.h"

#include <cstring>

#include "../asf/asf_guids.h"
#include "wide_string.h"

namespace wm {

namespace {

std::optional<BOOL> StreamIsVbr(const asf::AsfHeader& header, WORD number) {
    for (const auto* list : {&header.metadata, &header.metadataLibrary}) {
        for (const asf::StoredAttribute& a : *list) {
            if (a.stream != number || a.name != g_wszWMIsVBR || a.type != 2 || a.value.empty())
                continue;
            BOOL v = 0;
            for (size_t i = 0; i < a.value.size() && i < 4; ++i) v |= a.value[i] << (8 * i);
            return v != 0;
        }
    }
    return std::nullopt;
}

// AvgTimePerFrame of a VIDEOINFOHEADER format block.
std::optional<QWORD> FrameTimeOf(const MediaType& type) {
    if (type.head.formattype != asf::guids::kFormatVideoInfo || type.format.size() < 48)
        return std::nullopt;
    asf::ByteReader r(type.format);
    r.Skip(40);
    return r.U64();
}

}  // namespace

std::u16string StreamDescription::Language() const {
    if (!extended || extended->languageIndex >= languages.size()) return {};
    return languages[extended->languageIndex];
}

std::vector<StreamDescription> DescribeStreams(const asf::AsfHeader& header) {
    std::vector<StreamDescription> out;
    for (const asf::StreamProperties& s : header.streams) {
        StreamDescription d;
        d.number = s.Number();
        const asf::ExtendedStreamProperties* e = header.FindExtended(d.number);
        // The header refuses a preroll past 32 bits.
        d.bufferWindow = e ? e->bufferSize : static_cast<DWORD>(header.file.preroll);
        d.avgTimePerFrame = e ? e->avgTimePerFrame : 0;
        d.bitrate = e ? e->dataBitrate : 0;
        for (const asf::StreamBitrate& b : header.bitrates)
            if (b.stream == d.number) d.bitrate = b.bitrate;
        d.type = MediaTypeFromStream(s, d.bitrate, d.avgTimePerFrame);
        d.vbr = StreamIsVbr(header, d.number);
        if (e) d.extended = *e;
        if (header.languages) d.languages = header.languages->languages;
        for (const auto* list : {&header.metadata, &header.metadataLibrary})
            for (const asf::StoredAttribute& a : *list)
                if (a.stream == d.number &&
                    (a.name == g_wszWMAspectRatioX || a.name == g_wszWMAspectRatioY))
                    d.aspectRatio.push_back({0, a.stream, a.name, a.type, a.value});
        out.push_back(std::move(d));
    }
    return out;
}

HRESULT ReadProfile(IWMProfile* profile, std::vector<StreamDescription>& out) {
    if (!profile) return E_INVALIDARG;
    DWORD count = 0;
    HRESULT hr = profile->GetStreamCount(&count);
    if (Failed(hr)) return hr;
    out.clear();
    for (DWORD i = 0; i < count; ++i) {
        ComPtr<IWMStreamConfig> config;
        if (Failed(hr = profile->GetStream(i, config.Out()))) return hr;
        StreamDescription d;
        if (Failed(hr = config->GetStreamNumber(&d.number))) return hr;
        if (Failed(hr = config->GetBufferWindow(&d.bufferWindow))) return hr;
        config->GetBitrate(&d.bitrate);
        ComPtr<IWMMediaProps> props;
        if (Failed(hr = config.As(props))) return hr;
        DWORD size = 0;
        if (Failed(hr = props->GetMediaType(nullptr, &size))) return hr;
        if (size < sizeof(WM_MEDIA_TYPE)) return E_UNEXPECTED;
        std::vector<uint64_t> block((size + 7) / 8);
        auto* type = reinterpret_cast<WM_MEDIA_TYPE*>(block.data());
        if (Failed(hr = props->GetMediaType(type, &size))) return hr;
        d.type = MediaType::FromBlock(*type);
        if (auto* ours = dynamic_cast<CStreamConfig*>(config.Get())) {
            d.avgTimePerFrame = ours->Description().avgTimePerFrame;
            d.extended = ours->Description().extended;
            d.languages = ours->Description().languages;
            d.aspectRatio = ours->Description().aspectRatio;
        }
        d.avgTimePerFrame = FrameTimeOf(d.type).value_or(d.avgTimePerFrame);
        ComPtr<IWMPropertyVault> vault;
        if (Succeeded(config.As(vault))) {
            BOOL vbr = 0;
            DWORD vbrSize = sizeof vbr;
            WMT_ATTR_DATATYPE vbrType;
            if (Succeeded(vault->GetPropertyByName(g_wszVBREnabled, &vbrType,
                                                   reinterpret_cast<BYTE*>(&vbr), &vbrSize)))
                d.vbr = vbr != 0;
        }
        out.push_back(std::move(d));
    }
    return S_OK;
}

HRESULT CStreamConfig::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (Offer<IWMStreamConfig>(iid, IID_IWMStreamConfig, this, out) ||
        Offer<IWMStreamConfig>(iid, IID_IUnknown, this, out) ||
        Offer<IWMMediaProps>(iid, IID_IWMMediaProps, this, out) ||
        Offer<IWMPropertyVault>(iid, IID_IWMPropertyVault, this, out))
        return S_OK;
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT CStreamConfig::GetStreamType(GUID* type) {
    if (!type) return E_POINTER;
    *type = m_d.type.head.majortype;
    return S_OK;
}

HRESULT CStreamConfig::GetStreamNumber(WORD* number) {
    if (!number) return E_POINTER;
    *number = m_d.number;
    return S_OK;
}

HRESULT CStreamConfig::SetStreamNumber(WORD number) {
    if (number == 0 || number > 127) return E_INVALIDARG;
    m_d.number = number;
    return S_OK;
}

HRESULT CStreamConfig::GetBitrate(DWORD* bitrate) {
    if (!bitrate) return E_POINTER;
    *bitrate = m_d.bitrate;
    return S_OK;
}

HRESULT CStreamConfig::SetBitrate(DWORD bitrate) {
    m_d.bitrate = bitrate;
    return S_OK;
}

HRESULT CStreamConfig::GetBufferWindow(DWORD* ms) {
    if (!ms) return E_POINTER;
    *ms = m_d.bufferWindow;
    return S_OK;
}

HRESULT CStreamConfig::SetBufferWindow(DWORD ms) {
    m_d.bufferWindow = ms;
    return S_OK;
}

HRESULT CStreamConfig::GetType(GUID* type) { return GetStreamType(type); }

HRESULT CStreamConfig::GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) {
    if (!size) return E_POINTER;
    DWORD needed = m_d.type.BlockSize();
    if (!type) {
        *size = needed;
        return S_OK;
    }
    if (*size < needed) {
        *size = needed;
        return ASF_E_BUFFERTOOSMALL;
    }
    m_d.type.Fill(type);
    return S_OK;
}

HRESULT CStreamConfig::SetMediaType(WM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    m_d.type = MediaType::FromBlock(*type);
    return S_OK;
}

HRESULT CStreamConfig::GetPropertyCount(DWORD* count) {
    if (!count) return E_POINTER;
    *count = m_d.vbr ? 1 : 0;
    return S_OK;
}

HRESULT CStreamConfig::GetPropertyByName(LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                                         DWORD* size) {
    if (!name || !type || !size) return E_POINTER;
    if (std::u16string(name) != g_wszVBREnabled || !m_d.vbr) return ASF_E_NOTFOUND;
    *type = WMT_TYPE_BOOL;
    if (!value) {
        *size = sizeof(BOOL);
        return S_OK;
    }
    if (*size < sizeof(BOOL)) {
        *size = sizeof(BOOL);
        return ASF_E_BUFFERTOOSMALL;
    }
    BOOL v = *m_d.vbr ? 1 : 0;
    std::memcpy(value, &v, sizeof v);
    *size = sizeof(BOOL);
    return S_OK;
}

HRESULT CStreamConfig::SetProperty(LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                                   DWORD size) {
    if (!name || !value) return E_POINTER;
    if (std::u16string(name) != g_wszVBREnabled) return S_OK;  // other settings are not kept
    if (type != WMT_TYPE_BOOL || size < sizeof(BOOL)) return E_INVALIDARG;
    BOOL v;
    std::memcpy(&v, value, sizeof v);
    m_d.vbr = v != 0;
    return S_OK;
}

HRESULT ProfileData::GetStreamCount(DWORD* count) const {
    if (!count) return E_POINTER;
    *count = static_cast<DWORD>(streams.size());
    return S_OK;
}

HRESULT ProfileData::GetStream(DWORD index, IWMStreamConfig** config) const {
    if (!config) return E_POINTER;
    *config = nullptr;
    if (index >= streams.size()) return E_INVALIDARG;
    *config = new CStreamConfig(streams[index]);
    return S_OK;
}

HRESULT ProfileData::GetStreamByNumber(WORD number, IWMStreamConfig** config) const {
    if (!config) return E_POINTER;
    *config = nullptr;
    for (const StreamDescription& d : streams) {
        if (d.number != number) continue;
        *config = new CStreamConfig(d);
        return S_OK;
    }
    return NS_E_INVALID_STREAM;
}

HRESULT ProfileData::ReconfigStream(IWMStreamConfig* config) {
    if (!config) return E_POINTER;
    WORD number = 0;
    DWORD window = 0;
    HRESULT hr = config->GetStreamNumber(&number);
    if (Succeeded(hr)) hr = config->GetBufferWindow(&window);
    if (Failed(hr)) return hr;
    for (StreamDescription& d : streams) {
        if (d.number != number) continue;
        d.bufferWindow = window;
        ComPtr<IWMPropertyVault> vault;
        if (Succeeded(Query(config, vault))) {
            BOOL vbr = 0;
            DWORD size = sizeof vbr;
            WMT_ATTR_DATATYPE type;
            if (Succeeded(vault->GetPropertyByName(g_wszVBREnabled, &type,
                                                   reinterpret_cast<BYTE*>(&vbr), &size)))
                d.vbr = vbr != 0;
        }
        return S_OK;
    }
    return NS_E_INVALID_STREAM;
}

}  // namespace wm
