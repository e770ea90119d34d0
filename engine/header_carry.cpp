// Header carry-over: protection test, attributes, codec list, scripts and markers.
#include <cstring>
#include <string>
#include <vector>

#include "carry_items.h"
#include "merger.h"
#include "report_error.h"

namespace engine {

namespace {

// Attributes of the first input that the output keeps, in this order.
const WCHAR* const kCarriedAttributes[] = {
    u"Title",          u"Author",       u"Description",     u"Rating",           u"Copyright",
    u"WM/AlbumTitle",  u"WM/Track",     u"WM/PromotionURL", u"WM/AlbumCoverURL", u"WM/Genre",
    u"WM/Year",        u"WM/GenreID",   u"WM/MCDI",         u"BannerImageType",  u"BannerImageData",
    u"BannerImageURL", u"CopyrightURL",
};

}  // namespace

HRESULT CMerger::CheckProtected(LPCWSTR path) {
    wm::ComPtr<IWMMetadataEditor> editor;
    HRESULT hr = m_runtime.createEditor(editor.Out());
    if (Failed(hr)) {
        ReportError("Could not create Metadata Editor (hr=0x%08x).\n", hr);
        return hr;
    }
    bool isProtected = false;
    HRESULT unreadable = S_OK;  // the file could not be looked at
    wm::ComPtr<IWMHeaderInfo> header;
    if (Failed(hr = editor->Open(path))) {
        // Said once, with the runtime's reason; the file was never open, so nothing to close.
        WM_FILE_INSPECTION inspection{};
        const char* why = "it cannot be read";
        if (m_runtime.inspectFile && Failed(m_runtime.inspectFile(path, &inspection)) &&
            inspection.reason[0])
            why = inspection.reason;
        ReportError("Could not open file %s (hr=0x%08x): %s.\n", ShownName(path).c_str(), hr, why);
        return hr;
    } else if (Failed(hr = editor.As(header))) {
        header.Reset();
        ReportError("Could not QI for IWMHeaderInfo (hr=0x%08x).\n", hr);
        unreadable = hr;
    } else {
        WORD stream = 0;
        WMT_ATTR_DATATYPE type;
        BYTE value[8] = {};
        WORD length = 4;
        hr = header->GetAttributeByName(&stream, g_wszWMProtected, &type, value, &length);
        if (Failed(hr)) {
            ReportError("Error in getting Protected attribute for file %s (hr=0x%08x).\n",
                        ShownName(path).c_str(), hr);
        } else if (value[0] | value[1] | value[2] | value[3]) {
            ReportError("Protected attributes set for input file %s .\n", ShownName(path).c_str());
            isProtected = true;
        }
    }
    header.Reset();
    hr = editor->Close();
    if (Failed(hr))
        ReportError("Error in close file %s (hr=0x%08x).\n", ShownName(path).c_str(), hr);
    editor.Reset();
    if (isProtected) return kProtectedInput;
    // A file that could not be opened is refused with that cause, not with Close's complaint.
    return Failed(unreadable) ? unreadable : hr;
}

HRESULT CMerger::CopyAttribute(WORD srcStream, WORD dstStream, IWMHeaderInfo* destination,
                               LPCWSTR name) {
    return CarryAttribute(m_headerInfo1.Get(), srcStream, destination, dstStream, name);
}

HRESULT CMerger::CopyAttributes(IWMHeaderInfo* destination) {
    HRESULT hr = S_OK;
    for (const WCHAR* name : kCarriedAttributes)
        if (Failed(hr = CopyAttribute(0, 0, destination, name))) return hr;
    for (WORD i = 0; i < m_streamMap.Count() && Succeeded(hr); ++i)
        hr = CopyAttribute(m_streamMap.WriterStream(i), m_streamMap.InputStream(i), destination,
                           u"_MyAttribute");
    return hr;
}

HRESULT CMerger::CopyCodecInfo(IWMHeaderInfo* destination) {
    return CarryCodecInfo(m_headerInfo1.Get(), destination);
}

HRESULT CMerger::CopyScripts(IWMHeaderInfo* destination, IWMHeaderInfo* source, QWORD offset,
                             QWORD rebase) {
    return CarryScripts(source, destination, offset, rebase);
}

HRESULT CMerger::CopyMarkers(IWMHeaderInfo* source, IWMHeaderInfo* destination, QWORD offset,
                             QWORD rebase) {
    return CarryMarkers(source, destination, offset, rebase);
}

HRESULT CMerger::OpenEditorOnOutput(wm::ComPtr<IWMMetadataEditor>& editor,
                                    wm::ComPtr<IWMHeaderInfo>& header) {
    header.Reset();
    HRESULT hr = m_runtime.createEditor(editor.Out());
    if (Failed(hr)) {
        editor.Reset();
        ReportError("Could not create Metadata Editor (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = editor->Open(m_outputPath.c_str()))) {
        ReportError("Could not open outfile %s (hr=0x%08x).\n%s",
                    ShownName(m_outputPath.c_str()).c_str(), hr,
                    FileReasonLine(editor.Get()).c_str());
    } else if (Failed(hr = editor.As(header))) {
        header.Reset();
        ReportError("Could not QI for IWMHeaderInfo (hr=0x%08x).\n", hr);
        editor->Close();
    }
    if (Failed(hr)) editor.Reset();
    return hr;
}

// Saves the edits; a failing Flush is the pass's result even when Close succeeds.
HRESULT CMerger::CloseEditorOnOutput(wm::ComPtr<IWMMetadataEditor>& editor,
                                     wm::ComPtr<IWMHeaderInfo>& header) {
    HRESULT flushed = editor->Flush();
    if (Failed(flushed))
        ReportError("Could not Flush the Editor (hr=0x%08x).\n%s", flushed,
                    FileReasonLine(editor.Get()).c_str());
    HRESULT hr = editor->Close();
    if (Failed(hr)) ReportError("Could not close the Editor (hr=0x%08x).\n", hr);
    header.Reset();
    editor.Reset();
    return Failed(flushed) ? flushed : hr;
}

namespace {

// Input k's header through an editor of its own; each failure only skips that input.
HRESULT OpenInputHeader(const MergerRuntime& runtime, const std::string& path,
                        const WCHAR* outputPath, wm::ComPtr<IWMMetadataEditor>& editor,
                        wm::ComPtr<IWMHeaderInfo>& header) {
    header.Reset();
    HRESULT hr = runtime.createEditor(editor.Out());
    if (Failed(hr)) {
        editor.Reset();
        CMerger::ReportError("Could not create Metadata Editor pEditorInput (hr=0x%08x).\n", hr);
        return hr;
    }
    std::u16string wide;
    hr = Utf8ToWide(path.c_str(), wide) ? editor->Open(wide.c_str()) : E_NO_UNICODE_TRANSLATION;
    if (Failed(hr)) {
        CMerger::ReportError("Could not open pEditorInput outfile %s (hr=0x%08x).\n%s",
                             ShownName(outputPath).c_str(), hr,
                             FileReasonLine(editor.Get()).c_str());
    } else if (Failed(hr = editor.As(header))) {
        header.Reset();
        CMerger::ReportError("Could not QI pEditorInput for IWMHeaderInfo (hr=0x%08x).\n", hr);
        editor->Close();
    }
    if (Failed(hr)) editor.Reset();
    return hr;
}

// A pass goes on after a failure with one input, and ends with the first one.
void KeepFirstFailure(HRESULT& first, HRESULT result) {
    if (Failed(result) && Succeeded(first)) first = result;
}

void CloseInputHeader(wm::ComPtr<IWMMetadataEditor>& editor, wm::ComPtr<IWMHeaderInfo>& header) {
    HRESULT hr = editor->Close();
    if (Failed(hr)) CMerger::ReportError("Could not close the pEditorInput (hr=0x%08x).\n", hr);
    header.Reset();
    editor.Reset();
}

}  // namespace

HRESULT CMerger::CopyAllMarkers() {
    if (m_inputCount < 2) return E_INVALIDARG;
    wm::ComPtr<IWMMetadataEditor> editor;
    wm::ComPtr<IWMHeaderInfo> output;
    HRESULT hr = OpenEditorOnOutput(editor, output);
    if (Failed(hr)) return hr;
    // A failure with one input is shown and the pass goes on, but the join has lost markers and
    // fails with it.
    HRESULT failed = CopyMarkers(m_headerInfo1.Get(), output.Get(), 0);
    for (int k = 1; k <= m_inputCount - 2; ++k) {
        if (!InputPlaced(k)) continue;
        ScopedReportContext context(InputLine(k));
        wm::ComPtr<IWMMetadataEditor> inputEditor;
        wm::ComPtr<IWMHeaderInfo> input;
        HRESULT opened =
            OpenInputHeader(m_runtime, m_inputPaths[k], m_outputPath.c_str(), inputEditor, input);
        KeepFirstFailure(failed, opened);
        if (Failed(opened)) continue;
        KeepFirstFailure(failed, CopyMarkers(input.Get(), output.Get(), Result(k).placedAt,
                                             Result(k).rebasedBy));
        CloseInputHeader(inputEditor, input);
    }
    int last = m_inputCount - 1;
    if (InputPlaced(last) && m_headerInfo2) {
        ScopedReportContext context(InputLine(last));
        KeepFirstFailure(failed, CopyMarkers(m_headerInfo2.Get(), output.Get(),
                                             Result(last).placedAt, Result(last).rebasedBy));
    }
    hr = CloseEditorOnOutput(editor, output);
    return Failed(failed) ? failed : hr;
}

HRESULT CMerger::CopyLaterScripts() {
    if (m_inputCount < 2) return E_INVALIDARG;
    wm::ComPtr<IWMMetadataEditor> editor;
    wm::ComPtr<IWMHeaderInfo> output;
    HRESULT hr = OpenEditorOnOutput(editor, output);
    if (Failed(hr)) return hr;
    HRESULT failed = S_OK;
    for (int k = 2; k <= m_inputCount - 1; ++k) {
        if (!InputPlaced(k)) continue;
        ScopedReportContext context(InputLine(k));
        wm::ComPtr<IWMMetadataEditor> inputEditor;
        wm::ComPtr<IWMHeaderInfo> input;
        HRESULT opened =
            OpenInputHeader(m_runtime, m_inputPaths[k], m_outputPath.c_str(), inputEditor, input);
        KeepFirstFailure(failed, opened);
        if (Failed(opened)) continue;
        KeepFirstFailure(failed, CopyScripts(output.Get(), input.Get(), Result(k).placedAt,
                                             Result(k).rebasedBy));
        CloseInputHeader(inputEditor, input);
    }
    hr = CloseEditorOnOutput(editor, output);
    return Failed(failed) ? failed : hr;
}

}  // namespace engine
