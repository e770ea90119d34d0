#pragma once
// The runtime's basic types, result codes and enumerations, with the Windows values.

#include <cstdint>

#include "../asf/asf_guids.h"

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using ULONG = uint32_t;
using QWORD = uint64_t;
using BOOL = int32_t;
using HRESULT = int32_t;
using WCHAR = char16_t;
using LPCWSTR = const WCHAR*;
using GUID = asf::Guid;
using REFIID = const GUID&;

constexpr HRESULT MakeHr(uint32_t v) { return static_cast<HRESULT>(v); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHr(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeHr(0x80004002);
constexpr HRESULT E_POINTER = MakeHr(0x80004003);
constexpr HRESULT E_ABORT = MakeHr(0x80004004);
constexpr HRESULT E_FAIL = MakeHr(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHr(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = MakeHr(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHr(0x80070057);
// HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION): a name with no UTF-16 form.
constexpr HRESULT E_NO_UNICODE_TRANSLATION = MakeHr(0x80070459);
// HRESULT_FROM_WIN32(ERROR_ARITHMETIC_OVERFLOW): a count or length too large for the field that
// holds it (in the file or in a call's WORD); refused, never cut.
constexpr HRESULT E_ARITHMETIC_OVERFLOW = MakeHr(0x80070216);
constexpr HRESULT ASF_E_BUFFERTOOSMALL = MakeHr(0xC00D07D1);
constexpr HRESULT ASF_E_NOTFOUND = MakeHr(0xC00D07F0);
constexpr HRESULT NS_E_FILE_NOT_FOUND = MakeHr(0xC00D001A);
constexpr HRESULT NS_E_FILE_OPEN_FAILED = MakeHr(0xC00D001D);
constexpr HRESULT NS_E_FILE_READ = MakeHr(0xC00D001F);
constexpr HRESULT NS_E_FILE_WRITE = MakeHr(0xC00D0020);
constexpr HRESULT NS_E_INVALID_REQUEST = MakeHr(0xC00D002B);
constexpr HRESULT NS_E_INVALID_DATA = MakeHr(0xC00D002F);
constexpr HRESULT NS_E_INVALID_INPUT_FORMAT = MakeHr(0xC00D0BB8);
constexpr HRESULT NS_E_INVALID_STREAM = MakeHr(0xC00D0BC6);

inline bool Succeeded(HRESULT hr) { return hr >= 0; }
inline bool Failed(HRESULT hr) { return hr < 0; }

enum WMT_STATUS : int32_t {
    WMT_ERROR = 0,
    WMT_OPENED = 1,
    WMT_BUFFERING_START = 2,
    WMT_BUFFERING_STOP = 3,
    WMT_EOF = 4,
    WMT_END_OF_SEGMENT = 5,
    WMT_END_OF_STREAMING = 6,
    WMT_LOCATING = 7,
    WMT_CONNECTING = 8,
    WMT_NO_RIGHTS = 9,
    WMT_MISSING_CODEC = 10,
    WMT_STARTED = 11,
    WMT_STOPPED = 12,
    WMT_CLOSED = 13,
};

enum WMT_ATTR_DATATYPE : int32_t {
    WMT_TYPE_DWORD = 0,
    WMT_TYPE_STRING = 1,
    WMT_TYPE_BINARY = 2,
    WMT_TYPE_BOOL = 3,
    WMT_TYPE_QWORD = 4,
    WMT_TYPE_WORD = 5,
    WMT_TYPE_GUID = 6,
};

enum WMT_CODEC_INFO_TYPE : uint32_t {
    WMT_CODECINFO_AUDIO = 0,
    WMT_CODECINFO_VIDEO = 1,
    WMT_CODECINFO_UNKNOWN = 0xFFFFFFFF,
};

enum WMT_STREAM_SELECTION : int32_t {
    WMT_OFF = 0,
    WMT_CLEANPOINT_ONLY = 1,
    WMT_ON = 2,
};

constexpr DWORD WM_SF_CLEANPOINT = 0x1;
constexpr DWORD WM_SF_DISCONTINUITY = 0x2;
constexpr DWORD WM_SF_DATALOSS = 0x4;

struct IUnknown;

struct WM_READER_STATISTICS {
    DWORD cbSize;
    DWORD dwBandwidth;
    DWORD cPacketsReceived;
    DWORD cPacketsRecovered;
    DWORD cPacketsLost;
    WORD wQuality;
};

struct WM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;
};

// Format types of WM_MEDIA_TYPE.formattype, from the one GUID table.
constexpr GUID WMFORMAT_VideoInfo = asf::guids::kFormatVideoInfo;
constexpr GUID WMFORMAT_WaveFormatEx = asf::guids::kFormatWaveFormatEx;

// Coded and well-known attribute names.
constexpr const WCHAR* g_wszWMDuration = u"Duration";
constexpr const WCHAR* g_wszWMBitrate = u"Bitrate";
constexpr const WCHAR* g_wszWMSeekable = u"Seekable";
constexpr const WCHAR* g_wszWMBroadcast = u"Broadcast";
constexpr const WCHAR* g_wszWMProtected = u"Is_Protected";
constexpr const WCHAR* g_wszWMIsVBR = u"IsVBR";
constexpr const WCHAR* g_wszWMAspectRatioX = u"AspectRatioX";
constexpr const WCHAR* g_wszWMAspectRatioY = u"AspectRatioY";
constexpr const WCHAR* g_wszVBREnabled = u"_VBRENABLED";
