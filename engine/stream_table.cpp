#include "stream_table.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "report_error.h"

namespace engine {

namespace {

// The format types whose bit rate is ignored between VBR streams, and where that field sits.
constexpr size_t kVideoBitRateOffset = 32;    // VIDEOINFOHEADER.dwBitRate
constexpr size_t kWaveBytesPerSecOffset = 8;  // WAVEFORMATEX.nAvgBytesPerSec

void ClearField(WM_MEDIA_TYPE* t, size_t offset) {
    if (t->pbFormat && t->cbFormat >= offset + 4) std::memset(t->pbFormat + offset, 0, 4);
}

template <class I>
void ReleaseAndNull(I*& p) {
    if (p) p->Release();
    p = nullptr;
}

}  // namespace

HRESULT StreamTable::Load(IWMProfile* profile) {
    if (!profile) return E_INVALIDARG;
    Free();
    mediaTypes = new (std::nothrow) WM_MEDIA_TYPE*[count ? count : 1]();
    streamNumbers = new (std::nothrow) WORD[count ? count : 1]();
    bufferWindows = new (std::nothrow) DWORD[count ? count : 1]();
    vbrFlags = new (std::nothrow) BOOL[count ? count : 1]();
    if (!mediaTypes || !streamNumbers || !bufferWindows) {
        ReportError("Internal Error: Out of memory\n");
        return E_OUTOFMEMORY;
    }
    HRESULT hr = S_OK;
    for (DWORD i = 0; i < count && Succeeded(hr); ++i) {
        IWMStreamConfig* config = nullptr;
        IWMMediaProps* props = nullptr;
        IWMPropertyVault* vault = nullptr;
        hr = profile->GetStream(i, &config);
        if (Failed(hr)) {
            ReportError("Could not get Stream %d from IWMProfile (hr=0x%08x).\n", int(i), hr);
            break;
        }
        config->GetStreamNumber(&streamNumbers[i]);
        hr = config->QueryInterface(IID_IWMMediaProps, reinterpret_cast<void**>(&props));
        if (Failed(hr)) {
            ReportError("Could not QI for IWMMediaProps (hr=0x%08x).\n", hr);
        } else if (Failed(hr = config->GetBufferWindow(&bufferWindows[i]))) {
            ReportError("Could not get Buffer Window from IWMStreamConfig (hr=0x%08x).\n", hr);
        } else if (Succeeded(hr = config->QueryInterface(IID_IWMPropertyVault,
                                                         reinterpret_cast<void**>(&vault)))) {
            WMT_ATTR_DATATYPE type;
            DWORD size = sizeof(BOOL);
            BOOL vbr = 0;
            if (vbrFlags && Succeeded(vault->GetPropertyByName(
                                g_wszVBREnabled, &type, reinterpret_cast<BYTE*>(&vbr), &size)))
                vbrFlags[i] = vbr;
            DWORD typeSize = 0;
            hr = props->GetMediaType(nullptr, &typeSize);
            if (Succeeded(hr) && typeSize < sizeof(WM_MEDIA_TYPE)) hr = E_UNEXPECTED;
            if (Succeeded(hr)) {
                mediaTypes[i] = static_cast<WM_MEDIA_TYPE*>(std::calloc(1, typeSize));
                if (!mediaTypes[i]) {
                    ReportError("Internal Error: Out of memory\n");
                    hr = E_OUTOFMEMORY;
                } else {
                    hr = props->GetMediaType(mediaTypes[i], &typeSize);
                }
            }
            if (Failed(hr) && hr != E_OUTOFMEMORY)
                ReportError("Could not Get Media Type (hr=0x%08x).\n", hr);
            // A format block must lie inside the block the runtime filled.
            WM_MEDIA_TYPE* t = mediaTypes[i];
            if (Succeeded(hr) && t->cbFormat) {
                const BYTE* start = reinterpret_cast<const BYTE*>(t + 1);
                const BYTE* end = reinterpret_cast<const BYTE*>(t) + typeSize;
                if (!t->pbFormat || t->pbFormat < start || t->pbFormat > end ||
                    t->cbFormat > size_t(end - t->pbFormat)) {
                    ReportError("Could not Get Media Type (hr=0x%08x).\n", E_UNEXPECTED);
                    hr = E_UNEXPECTED;
                }
            }
        }
        ReleaseAndNull(config);
        ReleaseAndNull(vault);
        ReleaseAndNull(props);
    }
    return hr;
}

int StreamTable::Match(StreamTable& other, WORD** map) {
    if (!map || !mediaTypes || !other.mediaTypes) return 0;
    *map = new (std::nothrow) WORD[2 * size_t(count) + 1]();
    if (!*map) {
        ReportError("Internal Error: Out of memory\n");
        return 0;
    }
    for (DWORD i = 0; i < count; ++i) {
        (*map)[i] = streamNumbers[i];
        DWORD window = 0;
        WORD partner = FindMatch(*map, mediaTypes[i], vbrFlags ? vbrFlags[i] : 0, other, &window);
        if (partner == kNoStream) {
            ReportError("Mismatch in Media types of both the Streams.\n");
            return 0;
        }
        bufferWindows[i] += window;
        (*map)[count + i] = partner;
    }
    return 1;
}

WORD StreamTable::FindMatch(const WORD* map, WM_MEDIA_TYPE* type, BOOL vbr, StreamTable& other,
                            DWORD* window) {
    if (!map || !type || !window || count == 0 || !other.mediaTypes) return kNoStream;
    DWORD n = other.count < count ? other.count : count;
    for (DWORD j = 0; j < n; ++j) {
        BOOL otherVbr = other.vbrFlags ? other.vbrFlags[j] : 0;
        if (otherVbr != vbr || !other.mediaTypes[j]) continue;
        if (!SameMediaType(type, other.mediaTypes[j], vbr)) continue;
        bool used = false;
        for (DWORD k = count; k < 2 * count; ++k) used |= map[k] == other.streamNumbers[j];
        if (used) continue;
        *window = other.bufferWindows[j];
        return other.streamNumbers[j];
    }
    return kNoStream;
}

bool SameMediaType(WM_MEDIA_TYPE* a, WM_MEDIA_TYPE* b, BOOL vbr) {
    if (!a || !b) return false;
    if (a->majortype != b->majortype || a->subtype != b->subtype ||
        a->bFixedSizeSamples != b->bFixedSizeSamples ||
        a->bTemporalCompression != b->bTemporalCompression || a->lSampleSize != b->lSampleSize ||
        a->formattype != b->formattype || a->cbFormat != b->cbFormat)
        return false;
    if (a->cbFormat == 0) return true;
    if (!a->pbFormat || !b->pbFormat) return false;
    if (vbr) {
        if (a->formattype == WMFORMAT_VideoInfo) {
            ClearField(a, kVideoBitRateOffset);
            ClearField(b, kVideoBitRateOffset);
        } else if (a->formattype == WMFORMAT_WaveFormatEx) {
            ClearField(a, kWaveBytesPerSecOffset);
            ClearField(b, kWaveBytesPerSecOffset);
        }
    }
    return std::memcmp(a->pbFormat, b->pbFormat, a->cbFormat) == 0;
}

HRESULT StreamTable::ApplyBufferWindows(IWMProfile* profile) {
    if (!profile) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (DWORD i = 0; i < count && streamNumbers && Succeeded(hr); ++i) {
        WORD n = streamNumbers[i];
        if (n == 0) continue;
        IWMStreamConfig* config = nullptr;
        if (Failed(hr = profile->GetStreamByNumber(n, &config))) {
            ReportError("Could not get Stream %d from IWMProfile (hr=0x%08x).\n", int(n), hr);
        } else if (Failed(hr = config->SetBufferWindow(bufferWindows[i]))) {
            ReportError("Could not set Buffer Window for Stream %d (hr=0x%08x).\n", int(n), hr);
        } else if (Failed(hr = profile->ReconfigStream(config))) {
            ReportError("Could not reconfig stream %d (hr=0x%08x).\n", int(n), hr);
        }
        ReleaseAndNull(config);
    }
    return hr;
}

void StreamTable::Free() {
    if (mediaTypes)
        for (DWORD i = 0; i < count; ++i) std::free(mediaTypes[i]);
    delete[] mediaTypes;
    delete[] streamNumbers;
    delete[] bufferWindows;
    delete[] vbrFlags;
    mediaTypes = nullptr;
    streamNumbers = nullptr;
    bufferWindows = nullptr;
    vbrFlags = nullptr;
}

HRESULT SelectStream(IWMReaderAdvanced* readerAdvanced, IWMProfile* profile, DWORD index) {
    if (!readerAdvanced || !profile) return E_INVALIDARG;
    IWMStreamConfig* config = nullptr;
    HRESULT hr = profile->GetStream(index, &config);
    if (Failed(hr)) {
        ReportError("Could not get Stream %d from IWMProfile (hr=0x%08x).\n", int(index), hr);
        return hr;
    }
    WORD number = 0;
    hr = config->GetStreamNumber(&number);
    config->Release();
    if (Failed(hr)) {
        ReportError(
            "Could not get stream number from IWMStreamConfig for Stream Index %d (hr=0x%08x).\n",
            int(index), hr);
        return hr;
    }
    hr = readerAdvanced->SetReceiveStreamSamples(number, 1);
    if (Failed(hr))
        ReportError("Could not SetReceivedStreamSamples for Stream Index %d (hr=0x%08x).\n",
                    int(index), hr);
    return hr;
}

}  // namespace engine
