#include "metadata_editor.h"
#include "reader.h"
#include "writer.h"

HRESULT WMCreateReader(IUnknown* certificate, DWORD, IWMReader** reader) {
    if (!reader) return E_POINTER;
    *reader = nullptr;
    if (certificate) return E_INVALIDARG;
    *reader = new wm::CReader();
    return S_OK;
}

HRESULT WMCreateWriter(IUnknown* certificate, IWMWriter** writer) {
    if (!writer) return E_POINTER;
    *writer = nullptr;
    if (certificate) return E_INVALIDARG;
    *writer = new wm::CWriter();
    return S_OK;
}

HRESULT WMCreateEditor(IWMMetadataEditor** editor) {
    if (!editor) return E_POINTER;
    *editor = new wm::CMetadataEditor();
    return S_OK;
}
