#pragma once
// Everything asftool reports about a file, gathered through the runtime.

#include <string>
#include <vector>

#include "wm_types.h"

namespace asftool {

struct StreamInfo {
    WORD number = 0;
    std::string type;   // video, audio, command, other
    std::string codec;  // FOURCC or format tag
    DWORD bufferWindowMs = 0;
    bool vbr = false;
    DWORD bitrate = 0;      // declared, 0 when none
    std::string mediaType;  // WM_MEDIA_TYPE without pointers, then the format block, in hex
    std::string language;
    uint64_t samples = 0;
    uint64_t keySamples = 0;
    QWORD firstTime = 0;
    QWORD lastTime = 0;
};

struct AttributeInfo {
    WORD stream;
    std::string name;
    std::string type;   // string, dword, qword, word, bool, binary, guid
    std::string value;  // text, number, or hex bytes
    bool numeric;
};

struct MarkerInfo {
    std::string name;
    QWORD time;
};

struct ScriptInfo {
    std::string type;
    std::string command;
    QWORD time;
};

struct CodecInfo {
    std::string type;  // video, audio, unknown
    std::string name;
    std::string description;
};

struct FileInfo {
    std::string file;
    QWORD duration = 0;
    uint64_t prerollMs = 0;
    bool hasIndex = false;
    uint64_t damagedPackets = 0;
    QWORD finalClock = 0;
    std::vector<StreamInfo> streams;
    std::vector<AttributeInfo> attributes;
    std::vector<MarkerInfo> markers;
    std::vector<ScriptInfo> scripts;
    std::vector<CodecInfo> codecs;
};

// Reads path to its end. On failure returns the HRESULT and a reason in error.
HRESULT ReadFileInfo(const std::string& path, FileInfo& info, std::string& error);

}  // namespace asftool
