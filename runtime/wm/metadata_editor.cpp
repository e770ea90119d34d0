#include "metadata_editor.h"

#include <filesystem>

#include "wide_string.h"

namespace wm {

HRESULT CMetadataEditor::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (Offer<IWMMetadataEditor>(iid, IID_IWMMetadataEditor, this, out) ||
        Offer<IWMMetadataEditor>(iid, IID_IUnknown, this, out) ||
        Offer<IWMHeaderInfo>(iid, IID_IWMHeaderInfo, this, out) ||
        Offer<IWMHeaderInfo3>(iid, IID_IWMHeaderInfo3, this, out))
        return S_OK;
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT CMetadataEditor::Open(LPCWSTR path) {
    if (!path) return E_INVALIDARG;
    if (m_open) return NS_E_INVALID_REQUEST;
    std::string p = ToUtf8(path);
    std::error_code ec;
    if (!std::filesystem::exists(p, ec)) return NS_E_FILE_NOT_FOUND;
    auto source = asf::FileSource::Open(p);
    if (!source) return NS_E_FILE_OPEN_FAILED;
    asf::AsfHeader header;
    asf::AsfLayout layout;
    std::string error;
    if (!asf::ReadAsfStructure(*source, header, layout, error)) return NS_E_INVALID_INPUT_FORMAT;
    m_store.SetFromFile(std::move(header));
    m_path = p;
    m_open = true;
    return S_OK;
}

HRESULT CMetadataEditor::Close() {
    if (!m_open) return NS_E_INVALID_REQUEST;
    m_open = false;
    m_store = HeaderStore{};
    return S_OK;
}

HRESULT CMetadataEditor::Flush() {
    if (!m_open) return NS_E_INVALID_REQUEST;
    return E_NOTIMPL;
}

#define EDITOR_NEEDS_OPEN \
    if (!m_open) return NS_E_INVALID_REQUEST

HRESULT CMetadataEditor::GetAttributeCount(WORD stream, WORD* count) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetAttributeCount(stream, count);
}
HRESULT CMetadataEditor::GetAttributeByIndex(WORD index, WORD* stream, WCHAR* name,
                                             WORD* nameLength, WMT_ATTR_DATATYPE* type,
                                             BYTE* value, WORD* length) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetAttributeByIndex(index, stream, name, nameLength, type, value, length);
}
HRESULT CMetadataEditor::GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type,
                                            BYTE* value, WORD* length) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetAttributeByName(stream, name, type, value, length);
}
HRESULT CMetadataEditor::SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type,
                                      const BYTE* value, WORD length) {
    EDITOR_NEEDS_OPEN;
    return m_store.SetAttribute(stream, name, type, value, length);
}
HRESULT CMetadataEditor::GetMarkerCount(WORD* count) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetMarkerCount(count);
}
HRESULT CMetadataEditor::GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetMarker(index, name, nameLength, time);
}
HRESULT CMetadataEditor::AddMarker(const WCHAR* name, QWORD time) {
    EDITOR_NEEDS_OPEN;
    return m_store.AddMarker(name, time);
}
HRESULT CMetadataEditor::RemoveMarker(WORD index) {
    EDITOR_NEEDS_OPEN;
    return m_store.RemoveMarker(index);
}
HRESULT CMetadataEditor::GetScriptCount(WORD* count) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetScriptCount(count);
}
HRESULT CMetadataEditor::GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command,
                                   WORD* commandLength, QWORD* time) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetScript(index, type, typeLength, command, commandLength, time);
}
HRESULT CMetadataEditor::AddScript(const WCHAR* type, const WCHAR* command, QWORD time) {
    EDITOR_NEEDS_OPEN;
    return m_store.AddScript(type, command, time);
}
HRESULT CMetadataEditor::RemoveScript(WORD index) {
    EDITOR_NEEDS_OPEN;
    return m_store.RemoveScript(index);
}
HRESULT CMetadataEditor::GetCodecInfoCount(DWORD* count) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetCodecInfoCount(count);
}
HRESULT CMetadataEditor::GetCodecInfo(DWORD index, WORD* nameLength, WCHAR* name,
                                      WORD* descriptionLength, WCHAR* description,
                                      WMT_CODEC_INFO_TYPE* type, WORD* infoSize, BYTE* info) {
    EDITOR_NEEDS_OPEN;
    return m_store.GetCodecInfo(index, nameLength, name, descriptionLength, description, type,
                                infoSize, info);
}
HRESULT CMetadataEditor::AddCodecInfo(const WCHAR* name, const WCHAR* description,
                                      WMT_CODEC_INFO_TYPE type, WORD infoSize, const BYTE* info) {
    EDITOR_NEEDS_OPEN;
    return m_store.AddCodecInfo(name, description, type, infoSize, info);
}

}  // namespace wm
