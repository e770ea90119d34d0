#pragma once
// The streams of one profile, and the pairing of two profiles' streams by media type.

#include "wm_interfaces.h"

namespace engine {

constexpr WORD kNoStream = 0xFFFF;

// Streams of one profile by index; filled by Load, emptied by Free (and on destruction).
struct StreamTable {
    explicit StreamTable(DWORD streams) : count(streams) {}
    ~StreamTable() { Free(); }
    StreamTable(const StreamTable&) = delete;
    StreamTable& operator=(const StreamTable&) = delete;

    HRESULT Load(IWMProfile* profile);
    // Pairs this (the first input's) table with other into a new 2 x count map (released with
    // delete[]) and adds the partners' buffer windows; 1 when every stream found a partner.
    int Match(StreamTable& other, WORD** map);
    // Number of the first stream of other that qualifies as partner, or kNoStream.
    WORD FindMatch(const WORD* map, WM_MEDIA_TYPE* type, BOOL vbr, StreamTable& other,
                   DWORD* window);
    HRESULT ApplyBufferWindows(IWMProfile* profile);
    void Free();

    WM_MEDIA_TYPE** mediaTypes = nullptr;  // blocks from GetMediaType
    DWORD count;
    WORD* streamNumbers = nullptr;
    DWORD* bufferWindows = nullptr;
    BOOL* vbrFlags = nullptr;
};

// True when both types agree; with vbr the bit rate fields of the format blocks are ignored
// (the blocks may be changed).
bool SameMediaType(WM_MEDIA_TYPE* a, WM_MEDIA_TYPE* b, BOOL vbr);

// Asks the reader for compressed samples of the profile's stream at index.
HRESULT SelectStream(IWMReaderAdvanced* readerAdvanced, IWMProfile* profile, DWORD index);

}  // namespace engine
