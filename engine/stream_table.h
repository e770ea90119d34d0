#pragma once
// The streams of one profile, and the pairing of two profiles' streams by media type.

#include <cstddef>
#include <vector>

#include "stream_map.h"
#include "wm_interfaces.h"

namespace engine {

constexpr WORD kNoStream = 0xFFFF;

// Streams of one profile by index, filled by Load.
struct StreamTable {
    explicit StreamTable(DWORD streams) : count(streams) {}

    HRESULT Load(IWMProfile* profile);
    // Pairs this (the first input's) table with other into map and adds the partners' buffer
    // windows; 1 when every stream found a partner.
    int Match(StreamTable& other, StreamMap* map);
    // Number of the first stream of other that qualifies as partner, or kNoStream.
    WORD FindMatch(const StreamMap& map, WM_MEDIA_TYPE* type, BOOL vbr, StreamTable& other,
                   DWORD* window);
    HRESULT ApplyBufferWindows(IWMProfile* profile);
    // The media type of stream i as GetMediaType filled it; null before it was read.
    WM_MEDIA_TYPE* MediaType(DWORD i);

    DWORD count;
    // Blocks from GetMediaType: the type, then its format block; aligned for the type.
    std::vector<std::vector<std::max_align_t>> mediaTypes;
    std::vector<WORD> streamNumbers;
    std::vector<DWORD> bufferWindows;
    std::vector<BOOL> vbrFlags;
};

// True when both types agree; with vbr the bit rate fields of the format blocks are ignored
// (the blocks may be changed).
bool SameMediaType(WM_MEDIA_TYPE* a, WM_MEDIA_TYPE* b, BOOL vbr);

// Asks the reader for compressed samples of the profile's stream at index.
HRESULT SelectStream(IWMReaderAdvanced* readerAdvanced, IWMProfile* profile, DWORD index);

}  // namespace engine
