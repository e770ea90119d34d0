#pragma once
// Reading one header item whole: ask its sizes, allocate, fetch, cut the text at its
// terminator. Shared by the engine's carry-over and asftool. Failures are the runtime's codes;
// E_OUTOFMEMORY when a buffer cannot be had. Nothing is reported.

#include <string>
#include <vector>

#include "wm_interfaces.h"

namespace engine {

struct Attribute {
    WORD stream = 0;
    std::u16string name;
    WMT_ATTR_DATATYPE type = WMT_TYPE_DWORD;
    std::vector<BYTE> value;
};

struct Marker {
    std::u16string name;
    QWORD time = 0;
};

struct Script {
    std::u16string type;
    std::u16string command;
    QWORD time = 0;
};

struct CodecInfo {
    std::u16string name;
    std::u16string description;
    WMT_CODEC_INFO_TYPE type = WMT_CODECINFO_UNKNOWN;
    std::vector<BYTE> info;
};

// The attribute name of stream; an empty value when it has none.
HRESULT ReadAttribute(IWMHeaderInfo* header, WORD stream, LPCWSTR name, Attribute& out);
// The attribute at index over all streams.
HRESULT ReadAttributeAt(IWMHeaderInfo* header, WORD index, Attribute& out);
HRESULT ReadMarker(IWMHeaderInfo* header, WORD index, Marker& out);
HRESULT ReadScript(IWMHeaderInfo* header, WORD index, Script& out);
HRESULT ReadCodecInfo(IWMHeaderInfo3* header, DWORD index, CodecInfo& out);

// Every marker or script in order; the first failure ends the list there.
HRESULT ReadMarkers(IWMHeaderInfo* header, std::vector<Marker>& out);
HRESULT ReadScripts(IWMHeaderInfo* header, std::vector<Script>& out);

}  // namespace engine
