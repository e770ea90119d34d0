#pragma once
// The runtime's COM-style interfaces and their identifiers.

#include "wm_types.h"

// Interface identifiers; each interface names its own as kIid (wm::ComPtr::As asks for it).
constexpr GUID IID_IUnknown = GUID::FromText("00000000-0000-0000-C000-000000000046");
constexpr GUID IID_INSSBuffer = GUID::FromText("E1CD3524-03D7-11D2-9EED-006097D2D7CF");
constexpr GUID IID_IWMReader = GUID::FromText("96406BD6-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMReaderAdvanced = GUID::FromText("96406BEA-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMReaderCallback = GUID::FromText("96406BD8-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMReaderCallbackAdvanced =
    GUID::FromText("96406BEB-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMWriter = GUID::FromText("96406BD4-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMWriterAdvanced = GUID::FromText("96406BE3-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMProfile = GUID::FromText("96406BDB-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMStreamConfig = GUID::FromText("96406BDC-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMMediaProps = GUID::FromText("96406BCE-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMPropertyVault = GUID::FromText("72995A79-5090-42A4-9C8C-D9D0B6D34BE5");
constexpr GUID IID_IWMHeaderInfo = GUID::FromText("96406BDA-2B2B-11D3-B36B-00C04F6108FF");
constexpr GUID IID_IWMHeaderInfo3 = GUID::FromText("15CC68E3-27CC-4ECD-B222-3F5D02D80BD5");
constexpr GUID IID_IWMMetadataEditor = GUID::FromText("96406BD9-2B2B-11D3-B36B-00C04F6108FF");

struct IUnknown {
    static constexpr const GUID& kIid = IID_IUnknown;
    virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IUnknown() = default;
};

struct INSSBuffer : IUnknown {
    static constexpr const GUID& kIid = IID_INSSBuffer;
    virtual HRESULT GetLength(DWORD* length) = 0;
    virtual HRESULT SetLength(DWORD length) = 0;
    virtual HRESULT GetMaxLength(DWORD* length) = 0;
    virtual HRESULT GetBuffer(BYTE** buffer) = 0;
    virtual HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) = 0;

  protected:
    ~INSSBuffer() = default;
};

struct IWMReaderCallback : IUnknown {
    static constexpr const GUID& kIid = IID_IWMReaderCallback;
    virtual HRESULT OnStatus(WMT_STATUS status, HRESULT hr, WMT_ATTR_DATATYPE type, BYTE* value,
                             void* context) = 0;
    virtual HRESULT OnSample(DWORD output, QWORD time, QWORD duration, DWORD flags,
                             INSSBuffer* sample, void* context) = 0;

  protected:
    ~IWMReaderCallback() = default;
};

struct IWMReaderCallbackAdvanced : IUnknown {
    static constexpr const GUID& kIid = IID_IWMReaderCallbackAdvanced;
    virtual HRESULT OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags,
                                   INSSBuffer* sample, void* context) = 0;
    virtual HRESULT OnTime(QWORD time, void* context) = 0;
    virtual HRESULT OnStreamSelection(WORD count, WORD* streams, WMT_STREAM_SELECTION* selections,
                                      void* context) = 0;
    virtual HRESULT OnOutputPropsChanged(DWORD output, WM_MEDIA_TYPE* type, void* context) = 0;
    virtual HRESULT AllocateForStream(WORD stream, DWORD size, INSSBuffer** buffer,
                                      void* context) = 0;
    virtual HRESULT AllocateForOutput(DWORD output, DWORD size, INSSBuffer** buffer,
                                      void* context) = 0;

  protected:
    ~IWMReaderCallbackAdvanced() = default;
};

struct IWMMediaProps : IUnknown {
    static constexpr const GUID& kIid = IID_IWMMediaProps;
    virtual HRESULT GetType(GUID* type) = 0;
    // type null: *size receives the size needed; else fills one block of *size bytes.
    virtual HRESULT GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) = 0;
    virtual HRESULT SetMediaType(WM_MEDIA_TYPE* type) = 0;

  protected:
    ~IWMMediaProps() = default;
};

struct IWMStreamConfig : IUnknown {
    static constexpr const GUID& kIid = IID_IWMStreamConfig;
    virtual HRESULT GetStreamType(GUID* type) = 0;
    virtual HRESULT GetStreamNumber(WORD* number) = 0;
    virtual HRESULT SetStreamNumber(WORD number) = 0;
    virtual HRESULT GetBitrate(DWORD* bitrate) = 0;
    virtual HRESULT SetBitrate(DWORD bitrate) = 0;
    virtual HRESULT GetBufferWindow(DWORD* ms) = 0;
    virtual HRESULT SetBufferWindow(DWORD ms) = 0;

  protected:
    ~IWMStreamConfig() = default;
};

struct IWMPropertyVault : IUnknown {
    static constexpr const GUID& kIid = IID_IWMPropertyVault;
    virtual HRESULT GetPropertyCount(DWORD* count) = 0;
    virtual HRESULT GetPropertyByName(LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                                      DWORD* size) = 0;
    virtual HRESULT SetProperty(LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                                DWORD size) = 0;

  protected:
    ~IWMPropertyVault() = default;
};

struct IWMProfile : IUnknown {
    static constexpr const GUID& kIid = IID_IWMProfile;
    virtual HRESULT GetStreamCount(DWORD* count) = 0;
    virtual HRESULT GetStream(DWORD index, IWMStreamConfig** config) = 0;
    virtual HRESULT GetStreamByNumber(WORD number, IWMStreamConfig** config) = 0;
    virtual HRESULT ReconfigStream(IWMStreamConfig* config) = 0;

  protected:
    ~IWMProfile() = default;
};

// A count, length or size that does not fit its WORD (an attribute value over 65,535 bytes, more
// than 65,535 markers read from a file) fails with E_ARITHMETIC_OVERFLOW: GetAttributeByIndex
// and GetAttributeByName have then filled in the name, type and stream but no value, and the
// Get...Count calls set *count to 0xFFFF. AddMarker, AddScript, SetAttribute and AddCodecInfo
// refuse with it what the file's fields cannot hold (see HeaderStore's limits).
struct IWMHeaderInfo : IUnknown {
    static constexpr const GUID& kIid = IID_IWMHeaderInfo;
    virtual HRESULT GetAttributeCount(WORD stream, WORD* count) = 0;
    virtual HRESULT GetAttributeByIndex(WORD index, WORD* stream, WCHAR* name, WORD* nameLength,
                                        WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) = 0;
    virtual HRESULT GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type,
                                       BYTE* value, WORD* length) = 0;
    virtual HRESULT SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type,
                                 const BYTE* value, WORD length) = 0;
    virtual HRESULT GetMarkerCount(WORD* count) = 0;
    virtual HRESULT GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) = 0;
    virtual HRESULT AddMarker(const WCHAR* name, QWORD time) = 0;
    virtual HRESULT RemoveMarker(WORD index) = 0;
    virtual HRESULT GetScriptCount(WORD* count) = 0;
    virtual HRESULT GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command,
                              WORD* commandLength, QWORD* time) = 0;
    virtual HRESULT AddScript(const WCHAR* type, const WCHAR* command, QWORD time) = 0;
    virtual HRESULT RemoveScript(WORD index) = 0;

  protected:
    ~IWMHeaderInfo() = default;
};

struct IWMHeaderInfo3 : IWMHeaderInfo {
    static constexpr const GUID& kIid = IID_IWMHeaderInfo3;
    virtual HRESULT GetCodecInfoCount(DWORD* count) = 0;
    virtual HRESULT GetCodecInfo(DWORD index, WORD* nameLength, WCHAR* name,
                                 WORD* descriptionLength, WCHAR* description,
                                 WMT_CODEC_INFO_TYPE* type, WORD* infoSize, BYTE* info) = 0;
    virtual HRESULT AddCodecInfo(const WCHAR* name, const WCHAR* description,
                                 WMT_CODEC_INFO_TYPE type, WORD infoSize, const BYTE* info) = 0;

  protected:
    ~IWMHeaderInfo3() = default;
};

struct IWMReader : IUnknown {
    static constexpr const GUID& kIid = IID_IWMReader;
    virtual HRESULT Open(LPCWSTR url, IWMReaderCallback* callback, void* context) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT Start(QWORD start, QWORD duration, float rate, void* context) = 0;
    virtual HRESULT Stop() = 0;

  protected:
    ~IWMReader() = default;
};

struct IWMReaderAdvanced : IUnknown {
    static constexpr const GUID& kIid = IID_IWMReaderAdvanced;
    virtual HRESULT SetUserProvidedClock(BOOL on) = 0;
    virtual HRESULT GetUserProvidedClock(BOOL* on) = 0;
    virtual HRESULT DeliverTime(QWORD time) = 0;
    virtual HRESULT SetManualStreamSelection(BOOL on) = 0;
    virtual HRESULT GetManualStreamSelection(BOOL* on) = 0;
    virtual HRESULT SetStreamsSelected(WORD count, WORD* streams,
                                       WMT_STREAM_SELECTION* selections) = 0;
    virtual HRESULT SetReceiveStreamSamples(WORD stream, BOOL on) = 0;
    virtual HRESULT GetReceiveStreamSamples(WORD stream, BOOL* on) = 0;
    // cPacketsLost counts damaged packets skipped and promised packets missing.
    virtual HRESULT GetStatistics(WM_READER_STATISTICS* statistics) = 0;

  protected:
    ~IWMReaderAdvanced() = default;
};

struct IWMWriter : IUnknown {
    static constexpr const GUID& kIid = IID_IWMWriter;
    virtual HRESULT SetProfile(IWMProfile* profile) = 0;
    virtual HRESULT SetOutputFilename(LPCWSTR path) = 0;
    virtual HRESULT GetInputCount(DWORD* count) = 0;
    virtual HRESULT SetInputProps(DWORD input, IWMMediaProps* props) = 0;
    virtual HRESULT BeginWriting() = 0;
    virtual HRESULT EndWriting() = 0;

  protected:
    ~IWMWriter() = default;
};

struct IWMWriterAdvanced : IUnknown {
    static constexpr const GUID& kIid = IID_IWMWriterAdvanced;
    virtual HRESULT WriteStreamSample(WORD stream, QWORD sampleTime, DWORD sendTime, QWORD duration,
                                      DWORD flags, INSSBuffer* sample) = 0;

  protected:
    ~IWMWriterAdvanced() = default;
};

struct IWMMetadataEditor : IUnknown {
    static constexpr const GUID& kIid = IID_IWMMetadataEditor;
    virtual HRESULT Open(LPCWSTR path) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT Flush() = 0;

  protected:
    ~IWMMetadataEditor() = default;
};

// This runtime's own addition, offered by the reader, the writer and the metadata editor: the
// file and the system's reason behind the object's last failed open, write or rename.
constexpr GUID IID_IWMFileError = GUID::FromText("55AB6FF0-72C2-43FC-9205-91479ABF4A8E");

struct IWMFileError : IUnknown {
    static constexpr const GUID& kIid = IID_IWMFileError;
    // Copies "path: reason" (UTF-8, cut to fit size with its terminator); S_FALSE and an empty
    // text when no such failure is known.
    virtual HRESULT GetFileError(char* text, DWORD size) = 0;

  protected:
    ~IWMFileError() = default;
};

// Factories. certificate must be null; rights are ignored.
HRESULT WMCreateReader(IUnknown* certificate, DWORD rights, IWMReader** reader);
HRESULT WMCreateWriter(IUnknown* certificate, IWMWriter** writer);
HRESULT WMCreateEditor(IWMMetadataEditor** editor);

// This runtime's own: looks at a file without playing it. On failure reason says why in words;
// on success the time line comes from the first and last packets.
struct WM_FILE_INSPECTION {
    QWORD firstTime;  // 100 ns, preroll removed
    QWORD endTime;    // latest sample time
    QWORD prerollMs;
    QWORD fileSize;  // bytes
    BOOL hasSamples;
    char reason[256];
};
HRESULT WMInspectFile(LPCWSTR path, WM_FILE_INSPECTION* inspection);
