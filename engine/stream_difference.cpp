#include "stream_difference.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace engine {

namespace {

constexpr size_t kVideoBitRate = 32;  // VIDEOINFOHEADER.dwBitRate
constexpr size_t kVideoWidth = 52;    // BITMAPINFOHEADER.biWidth after the 48-byte head
constexpr size_t kVideoHeight = 56;
constexpr size_t kVideoCompression = 64;
constexpr size_t kWaveTag = 0;  // WAVEFORMATEX
constexpr size_t kWaveChannels = 2;
constexpr size_t kWaveRate = 4;
constexpr size_t kWaveBytesPerSec = 8;

bool Has(const WM_MEDIA_TYPE* t, size_t offset, size_t size) {
    return t->pbFormat && t->cbFormat >= offset + size;
}

uint32_t Read(const WM_MEDIA_TYPE* t, size_t offset, size_t size) {
    uint32_t v = 0;
    for (size_t i = 0; i < size; ++i) v |= uint32_t(t->pbFormat[offset + i]) << (8 * i);
    return v;
}

bool IsVideo(const WM_MEDIA_TYPE* t) {
    return t->majortype == asf::guids::kMediaTypeVideo && t->formattype == WMFORMAT_VideoInfo &&
           Has(t, kVideoCompression, 4);
}

bool IsAudio(const WM_MEDIA_TYPE* t) {
    return t->majortype == asf::guids::kMediaTypeAudio && t->formattype == WMFORMAT_WaveFormatEx &&
           Has(t, kWaveBytesPerSec, 4);
}

const char* KindName(const WM_MEDIA_TYPE* t) {
    if (t->majortype == asf::guids::kMediaTypeVideo) return "video";
    if (t->majortype == asf::guids::kMediaTypeAudio) return "audio";
    return "stream";
}

std::string Codec(const WM_MEDIA_TYPE* t) {
    char buf[16];
    if (IsAudio(t)) {
        std::snprintf(buf, sizeof buf, "0x%04X", unsigned(Read(t, kWaveTag, 2)));
        return buf;
    }
    uint32_t code = IsVideo(t) ? Read(t, kVideoCompression, 4) : t->subtype.data1;
    for (int i = 0; i < 4; ++i) {
        char c = char(code >> (8 * i));
        buf[i] = (c >= 32 && c < 127) ? c : '?';
    }
    buf[4] = 0;
    return buf;
}

std::string FrameSize(const WM_MEDIA_TYPE* t) {
    const int32_t width = int32_t(Read(t, kVideoWidth, 4));
    const int32_t height = int32_t(Read(t, kVideoHeight, 4));
    return std::to_string(width) + "\xC3\x97" + std::to_string(std::abs(int64_t(height)));
}

std::string Channels(uint32_t n) {
    if (n == 1) return "mono";
    if (n == 2) return "stereo";
    return std::to_string(n) + " channels";
}

std::string SoundFormat(const WM_MEDIA_TYPE* t) {
    return std::to_string(Read(t, kWaveRate, 4)) + " Hz " + Channels(Read(t, kWaveChannels, 2));
}

std::string Line(const char* what, const std::string& theirs, const std::string& first) {
    return std::string(what) + " " + theirs + ", the first file's is " + first + "\n";
}

std::string BitRate(uint32_t bitsPerSecond) { return std::to_string(bitsPerSecond) + " bit/s"; }

}  // namespace

std::string StreamDifferenceLine(WM_MEDIA_TYPE* a, BOOL firstVbr, StreamTable& other,
                                 const StreamMap& map) {
    if (!a) return "";
    WM_MEDIA_TYPE* b = nullptr;
    BOOL otherVbr = 0;
    for (DWORD j = 0; j < other.count && j < other.mediaTypes.size() && !b; ++j) {
        WM_MEDIA_TYPE* t = other.MediaType(j);
        if (t && t->majortype == a->majortype && !map.InputStreamUsed(other.streamNumbers[j])) {
            b = t;
            otherVbr = other.vbrFlags[j];
        }
    }
    const char* kind = KindName(a);
    if (!b) return std::string("no ") + kind + " stream to pair, the first file has one\n";
    if (Codec(a) != Codec(b)) return Line("codec", Codec(b), Codec(a));
    if (IsVideo(a) && IsVideo(b) && FrameSize(a) != FrameSize(b))
        return Line("video", FrameSize(b), FrameSize(a));
    if (IsAudio(a) && IsAudio(b) && SoundFormat(a) != SoundFormat(b))
        return Line("audio", SoundFormat(b), SoundFormat(a));
    if (!firstVbr != !otherVbr)
        return Line(kind, otherVbr ? "variable bit rate" : "constant bit rate",
                    firstVbr ? "variable" : "constant");
    if (!firstVbr && IsVideo(a) && IsVideo(b) &&
        Read(a, kVideoBitRate, 4) != Read(b, kVideoBitRate, 4))
        return Line("video", BitRate(Read(b, kVideoBitRate, 4)),
                    BitRate(Read(a, kVideoBitRate, 4)));
    if (!firstVbr && IsAudio(a) && IsAudio(b) &&
        Read(a, kWaveBytesPerSec, 4) != Read(b, kWaveBytesPerSec, 4))
        return Line("audio", BitRate(8 * Read(b, kWaveBytesPerSec, 4)),
                    BitRate(8 * Read(a, kWaveBytesPerSec, 4)));
    return std::string(kind) + " format differs from the first file's\n";
}

}  // namespace engine
