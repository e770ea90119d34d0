#include "media_type.h"

#include <cstdio>
#include <cstring>

#include "../asf/asf_guids.h"
#include "../asf/byte_io.h"

namespace wm {

namespace {
constexpr size_t kVideoInfoHeaderPrefix = 48;  // rcSource, rcTarget, bitrates, AvgTimePerFrame
constexpr size_t kBitmapInfoHeaderSize = 40;

GUID SubtypeFrom(uint32_t data1) {
    GUID g = asf::guids::kSubtypeBase;
    g.data1 = data1;
    return g;
}
}  // namespace

void MediaType::Fill(WM_MEDIA_TYPE* block) const {
    *block = head;
    block->pUnk = nullptr;
    block->cbFormat = static_cast<ULONG>(format.size());
    block->pbFormat = reinterpret_cast<BYTE*>(block + 1);
    if (!format.empty()) std::memcpy(block->pbFormat, format.data(), format.size());
}

MediaType MediaType::FromBlock(const WM_MEDIA_TYPE& block) {
    MediaType t;
    t.head = block;
    t.head.pUnk = nullptr;
    t.head.pbFormat = nullptr;
    if (block.pbFormat && block.cbFormat)
        t.format.assign(block.pbFormat, block.pbFormat + block.cbFormat);
    t.head.cbFormat = static_cast<ULONG>(t.format.size());
    return t;
}

MediaType MediaTypeFromStream(const asf::StreamProperties& stream, DWORD bitrate,
                              QWORD avgTimePerFrame) {
    MediaType t;
    const std::vector<BYTE>& ts = stream.typeSpecific;
    if (stream.streamType == asf::guids::kVideoMedia && ts.size() >= 11 + kBitmapInfoHeaderSize) {
        asf::ByteReader r(ts);
        uint32_t width = r.U32();
        uint32_t height = r.U32();
        r.U8();
        uint16_t formatSize = r.U16();
        if (formatSize >= kBitmapInfoHeaderSize && formatSize <= r.Remaining()) {
            const BYTE* bih = r.Here();
            uint32_t fourcc = asf::Get32(bih + 16);
            t.head.majortype = asf::guids::kMediaTypeVideo;
            t.head.subtype = SubtypeFrom(fourcc);
            t.head.bFixedSizeSamples = 0;
            t.head.bTemporalCompression = 1;
            t.head.lSampleSize = 0;
            t.head.formattype = asf::guids::kFormatVideoInfo;
            asf::ByteWriter w;
            for (uint32_t v : {0u, 0u, width, height, 0u, 0u, width, height}) w.U32(v);
            w.U32(bitrate);
            w.U32(0);
            w.U64(avgTimePerFrame);
            w.Bytes(bih, formatSize);
            t.format = w.Take();
            t.head.cbFormat = static_cast<ULONG>(t.format.size());
            return t;
        }
    }
    if (stream.streamType == asf::guids::kAudioMedia && ts.size() >= 16) {
        t.head.majortype = asf::guids::kMediaTypeAudio;
        t.head.subtype = SubtypeFrom(uint32_t(ts[0]) | uint32_t(ts[1]) << 8);
        t.head.bFixedSizeSamples = 1;
        t.head.bTemporalCompression = 0;
        t.head.lSampleSize = uint32_t(ts[12]) | uint32_t(ts[13]) << 8;
        t.head.formattype = asf::guids::kFormatWaveFormatEx;
        t.format = ts;
        t.head.cbFormat = static_cast<ULONG>(t.format.size());
        return t;
    }
    t.head.majortype = stream.streamType;
    t.format = ts;
    t.head.cbFormat = static_cast<ULONG>(t.format.size());
    return t;
}

std::optional<StreamFormat> StreamFormatFromMediaType(const MediaType& type) {
    StreamFormat f;
    if (type.head.majortype == asf::guids::kMediaTypeVideo &&
        type.head.formattype == asf::guids::kFormatVideoInfo) {
        if (type.format.size() < kVideoInfoHeaderPrefix + kBitmapInfoHeaderSize ||
            type.format.size() - kVideoInfoHeaderPrefix > 0xFFFF)
            return std::nullopt;
        asf::ByteReader r(type.format);
        r.Skip(8);
        uint32_t width = r.U32();
        uint32_t height = r.U32();
        size_t formatSize = type.format.size() - kVideoInfoHeaderPrefix;
        asf::ByteWriter w;
        w.U32(width);
        w.U32(height);
        w.U8(2);
        w.U16(static_cast<uint16_t>(formatSize));
        w.Bytes(type.format.data() + kVideoInfoHeaderPrefix, formatSize);
        f.streamType = asf::guids::kVideoMedia;
        f.typeSpecific = w.Take();
        return f;
    }
    if (type.head.majortype == asf::guids::kMediaTypeAudio) {
        if (type.format.size() < 16) return std::nullopt;
        f.streamType = asf::guids::kAudioMedia;
        f.typeSpecific = type.format;
        return f;
    }
    if (type.head.majortype.IsNull()) return std::nullopt;
    f.streamType = type.head.majortype;
    f.typeSpecific = type.format;
    return f;
}

std::string CodecName(const MediaType& type) {
    uint32_t code = type.head.subtype.data1;
    char buf[16];
    if (type.head.majortype == asf::guids::kMediaTypeVideo) {
        for (int i = 0; i < 4; ++i) {
            char c = static_cast<char>(code >> (8 * i));
            buf[i] = (c >= 32 && c < 127) ? c : '?';
        }
        buf[4] = 0;
    } else if (type.head.majortype == asf::guids::kMediaTypeAudio) {
        std::snprintf(buf, sizeof buf, "0x%04X", code);
    } else {
        buf[0] = 0;
    }
    return buf;
}

}  // namespace wm
