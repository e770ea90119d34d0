#include "stream_table.h"

#include <algorithm>
#include <cstring>

#include "com_object.h"
#include "report_error.h"
#include "stream_difference.h"

namespace engine {

namespace {

// The format types whose bit rate is ignored between VBR streams, and where that field sits.
constexpr size_t kVideoBitRateOffset = 32;    // VIDEOINFOHEADER.dwBitRate
constexpr size_t kWaveBytesPerSecOffset = 8;  // WAVEFORMATEX.nAvgBytesPerSec

void ClearField(WM_MEDIA_TYPE* t, size_t offset) {
    if (t->pbFormat && t->cbFormat >= offset + 4) std::memset(t->pbFormat + offset, 0, 4);
}

}  // namespace

HRESULT StreamTable::Load(IWMProfile* profile) {
    if (!profile) return E_INVALIDARG;
    if (!TryAllocate(mediaTypes, count) || !TryAllocate(streamNumbers, count) ||
        !TryAllocate(bufferWindows, count) || !TryAllocate(vbrFlags, count))
        return E_OUTOFMEMORY;
    HRESULT hr = S_OK;
    for (DWORD i = 0; i < count && Succeeded(hr); ++i) {
        wm::ComPtr<IWMStreamConfig> config;
        wm::ComPtr<IWMMediaProps> props;
        wm::ComPtr<IWMPropertyVault> vault;
        hr = profile->GetStream(i, config.Out());
        if (Failed(hr)) {
            ReportError("Could not get Stream %d from IWMProfile (hr=0x%08x).\n", int(i), hr);
            break;
        }
        config->GetStreamNumber(&streamNumbers[i]);
        hr = config.As(props);
        if (Failed(hr)) {
            ReportError("Could not QI for IWMMediaProps (hr=0x%08x).\n", hr);
        } else if (Failed(hr = config->GetBufferWindow(&bufferWindows[i]))) {
            ReportError("Could not get Buffer Window from IWMStreamConfig (hr=0x%08x).\n", hr);
        } else if (Succeeded(hr = config.As(vault))) {
            WMT_ATTR_DATATYPE type;
            DWORD size = sizeof(BOOL);
            BOOL vbr = 0;
            if (Succeeded(vault->GetPropertyByName(g_wszVBREnabled, &type,
                                                   reinterpret_cast<BYTE*>(&vbr), &size)))
                vbrFlags[i] = vbr;
            DWORD typeSize = 0;
            hr = props->GetMediaType(nullptr, &typeSize);
            if (Succeeded(hr) && typeSize < sizeof(WM_MEDIA_TYPE)) hr = E_UNEXPECTED;
            if (Succeeded(hr)) {
                const size_t units =
                    (size_t(typeSize) + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
                if (!TryAllocate(mediaTypes[i], units))
                    hr = E_OUTOFMEMORY;
                else
                    hr = props->GetMediaType(MediaType(i), &typeSize);
            }
            if (Failed(hr) && hr != E_OUTOFMEMORY)
                ReportError("Could not Get Media Type (hr=0x%08x).\n", hr);
            // A format block must lie inside the block the runtime filled.
            WM_MEDIA_TYPE* t = MediaType(i);
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
    }
    return hr;
}

WM_MEDIA_TYPE* StreamTable::MediaType(DWORD i) {
    if (i >= mediaTypes.size() || mediaTypes[i].empty()) return nullptr;
    return reinterpret_cast<WM_MEDIA_TYPE*>(mediaTypes[i].data());
}

int StreamTable::Match(StreamTable& other, StreamMap* map) {
    if (!map || !map->Allocate(count)) return 0;
    for (DWORD i = 0; i < count; ++i) {
        map->SetWriterStream(i, streamNumbers[i]);
        DWORD window = 0;
        WORD partner = FindMatch(*map, MediaType(i), vbrFlags[i], other, &window);
        if (partner == kNoStream) {
            const std::string detail = StreamDifferenceLine(MediaType(i), vbrFlags[i], other, *map);
            ReportError("Mismatch in Media types of both the Streams.\n%s", detail.c_str());
            return 0;
        }
        bufferWindows[i] += window;
        map->SetInputStream(i, partner);
    }
    return 1;
}

WORD StreamTable::FindMatch(const StreamMap& map, WM_MEDIA_TYPE* type, BOOL vbr, StreamTable& other,
                            DWORD* window) {
    if (!type || !window || count == 0) return kNoStream;
    DWORD n = std::min<size_t>({other.count, count, other.mediaTypes.size()});
    for (DWORD j = 0; j < n; ++j) {
        if (other.vbrFlags[j] != vbr || !other.MediaType(j)) continue;
        if (!SameMediaType(type, other.MediaType(j), vbr)) continue;
        if (map.InputStreamUsed(other.streamNumbers[j])) continue;
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
    for (DWORD i = 0; i < streamNumbers.size() && Succeeded(hr); ++i) {
        WORD n = streamNumbers[i];
        if (n == 0) continue;
        wm::ComPtr<IWMStreamConfig> config;
        if (Failed(hr = profile->GetStreamByNumber(n, config.Out()))) {
            ReportError("Could not get Stream %d from IWMProfile (hr=0x%08x).\n", int(n), hr);
        } else if (Failed(hr = config->SetBufferWindow(bufferWindows[i]))) {
            ReportError("Could not set Buffer Window for Stream %d (hr=0x%08x).\n", int(n), hr);
        } else if (Failed(hr = profile->ReconfigStream(config.Get()))) {
            ReportError("Could not reconfig stream %d (hr=0x%08x).\n", int(n), hr);
        }
    }
    return hr;
}

HRESULT SelectStream(IWMReaderAdvanced* readerAdvanced, IWMProfile* profile, DWORD index) {
    if (!readerAdvanced || !profile) return E_INVALIDARG;
    wm::ComPtr<IWMStreamConfig> config;
    HRESULT hr = profile->GetStream(index, config.Out());
    if (Failed(hr)) {
        ReportError("Could not get Stream %d from IWMProfile (hr=0x%08x).\n", int(index), hr);
        return hr;
    }
    WORD number = 0;
    hr = config->GetStreamNumber(&number);
    config.Reset();
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
