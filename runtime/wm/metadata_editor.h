#pragma once
// The metadata editor: opens a finished file's header for reading and editing.

#include <string>

#include "com_object.h"
#include "header_store.h"

namespace wm {

class CMetadataEditor final : public IWMMetadataEditor,
                              public IWMHeaderInfo3,
                              private RefCount<CMetadataEditor> {
    friend class RefCount<CMetadataEditor>;

public:
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }

    // IWMMetadataEditor
    HRESULT Open(LPCWSTR path) override;
    HRESULT Close() override;
    HRESULT Flush() override;
    // IWMHeaderInfo, IWMHeaderInfo3
    HRESULT GetAttributeCount(WORD stream, WORD* count) override;
    HRESULT GetAttributeByIndex(WORD index, WORD* stream, WCHAR* name, WORD* nameLength,
                                WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) override;
    HRESULT GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                               WORD* length) override;
    HRESULT SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                         WORD length) override;
    HRESULT GetMarkerCount(WORD* count) override;
    HRESULT GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) override;
    HRESULT AddMarker(const WCHAR* name, QWORD time) override;
    HRESULT RemoveMarker(WORD index) override;
    HRESULT GetScriptCount(WORD* count) override;
    HRESULT GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command,
                      WORD* commandLength, QWORD* time) override;
    HRESULT AddScript(const WCHAR* type, const WCHAR* command, QWORD time) override;
    HRESULT RemoveScript(WORD index) override;
    HRESULT GetCodecInfoCount(DWORD* count) override;
    HRESULT GetCodecInfo(DWORD index, WORD* nameLength, WCHAR* name, WORD* descriptionLength,
                         WCHAR* description, WMT_CODEC_INFO_TYPE* type, WORD* infoSize,
                         BYTE* info) override;
    HRESULT AddCodecInfo(const WCHAR* name, const WCHAR* description, WMT_CODEC_INFO_TYPE type,
                         WORD infoSize, const BYTE* info) override;

    // Tests: the rewrite path writes here instead of a temporary file, renaming nothing.
    void UseRewriteSink(std::unique_ptr<asf::ByteSink> sink) { m_testSink = std::move(sink); }

    static constexpr uint64_t kRewritePadding = 8192;

private:
    ~CMetadataEditor() = default;
    HRESULT RewriteInPlace(const std::vector<uint8_t>& header);
    HRESULT RewriteWhole();
    void PlaceNewMarkers();

    bool m_open = false;
    std::string m_path;
    HeaderStore m_store;
    asf::AsfLayout m_layout;
    uint64_t m_fileSize = 0;
    std::unique_ptr<asf::ByteSink> m_testSink;
};

}  // namespace wm
