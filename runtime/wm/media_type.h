#pragma once
// A stream's media type as the runtime presents it (WM_MEDIA_TYPE plus its format block), built
// from the Stream Properties and turned back into them for writing.

#include <optional>
#include <vector>

#include "../asf/header.h"
#include "wm_types.h"

namespace wm {

struct MediaType {
    WM_MEDIA_TYPE head{};  // pbFormat and pUnk unused here
    std::vector<BYTE> format;

    DWORD BlockSize() const { return static_cast<DWORD>(sizeof(WM_MEDIA_TYPE) + format.size()); }
    // Copies into one caller block of BlockSize() bytes, pbFormat pointing after the struct.
    void Fill(WM_MEDIA_TYPE* block) const;
    static MediaType FromBlock(const WM_MEDIA_TYPE& block);
};

// bitrate and avgTimePerFrame feed the VIDEOINFOHEADER of video streams.
MediaType MediaTypeFromStream(const asf::StreamProperties& stream, DWORD bitrate,
                              QWORD avgTimePerFrame);
// The inverse: stream type GUID and type-specific data; nullopt when the block is malformed.
struct StreamFormat {
    GUID streamType;
    std::vector<BYTE> typeSpecific;
};
std::optional<StreamFormat> StreamFormatFromMediaType(const MediaType& type);

// FOURCC or format tag as text: "WMV2", "0x0161".
std::string CodecName(const MediaType& type);

}  // namespace wm
