#include <cstdio>

#include "input_file.h"
#include "metadata_editor.h"
#include "reader.h"
#include "wide_string.h"
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

HRESULT WMInspectFile(LPCWSTR path, WM_FILE_INSPECTION* inspection) {
    if (!path || !inspection) return E_POINTER;
    *inspection = {};
    wm::InputFile file;
    std::string why;
    HRESULT hr = wm::OpenInputFile(wm::ToUtf8(path), file, why);
    if (Failed(hr)) {
        std::snprintf(inspection->reason, sizeof inspection->reason, "%s", why.c_str());
        return hr;
    }
    wm::TimeLine line = wm::ReadTimeLine(*file.source, file.header, file.layout);
    inspection->firstTime = line.first;
    inspection->endTime = line.end;
    inspection->prerollMs = line.prerollMs;
    inspection->fileSize = file.source->Size();
    inspection->hasSamples = line.hasSamples;
    return S_OK;
}
