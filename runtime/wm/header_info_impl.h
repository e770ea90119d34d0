#pragma once
// IWMHeaderInfo3 over a HeaderStore, shared by the reader, the writer and the metadata editor.
// The owner says where its store is and whether edits are allowed at the moment.

#include "header_store.h"
#include "wm_interfaces.h"

namespace wm {

class HeaderInfoImpl : public IWMHeaderInfo3 {
  public:
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

  protected:
    ~HeaderInfoImpl() = default;
    // The store, or null while there is none (an editor with no file open).
    virtual HeaderStore* Store() = 0;
    // S_OK when the header may be changed now, else the failure to report.
    virtual HRESULT CanEdit() = 0;

  private:
    template <class F>
    HRESULT Read(F call) {
        HeaderStore* store = Store();
        return store ? call(*store) : NS_E_INVALID_REQUEST;
    }
    template <class F>
    HRESULT Edit(F call) {
        HeaderStore* store = Store();
        if (!store) return NS_E_INVALID_REQUEST;
        HRESULT allowed = CanEdit();
        return Failed(allowed) ? allowed : call(*store);
    }
};

}  // namespace wm
