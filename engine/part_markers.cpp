#include "part_markers.h"

#include <cstring>

#include "join_checks.h"
#include "merger.h"

namespace engine {

std::u16string PartMarkerName(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    // A name that is all extension (".wmv") keeps it: a marker needs a name.
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    std::u16string wide;
    Utf8ToWide(name.c_str(), wide);
    return wide;
}

HRESULT AddPartMarkers(IWMHeaderInfo* output, const std::vector<PartStart>& parts) {
    if (!output) return E_INVALIDARG;
    for (size_t k = 0; k < parts.size(); ++k) {
        HRESULT hr = output->AddMarker(PartMarkerName(parts[k].path).c_str(), parts[k].time);
        if (Failed(hr)) {
            CMerger::ReportError("AddMarker failed for the part marker of %s (hr=0x%08x).\n",
                                 parts[k].path.c_str(), unsigned(hr));
            return hr;
        }
    }
    return S_OK;
}

// The parts as this join placed them, added in a pass of their own on the finished output.
HRESULT CMerger::AddPartMarkersToOutput() {
    std::vector<PartStart> parts;
    for (int k = 0; k < m_inputCount; ++k)
        if (InputPlaced(k)) parts.push_back({m_inputPaths[size_t(k)], InputOffset(k)});
    wm::ComPtr<IWMMetadataEditor> editor;
    wm::ComPtr<IWMHeaderInfo> output;
    HRESULT hr = OpenEditorOnOutput(editor, output);
    if (Failed(hr)) return hr;
    HRESULT added = AddPartMarkers(output.Get(), parts);
    hr = CloseEditorOnOutput(editor, output);
    return Failed(added) ? added : hr;
}

}  // namespace engine
