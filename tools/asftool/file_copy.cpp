#include "file_copy.h"

#include <vector>

#include "file_error.h"
#include "header_items.h"
#include "metadata_editor.h"
#include "reader.h"
#include "reader_driver.h"
#include "text/utf.h"
#include "wide_string.h"

namespace asftool {

namespace {

bool IsCoded(const std::u16string& name) {
    for (const char16_t* coded :
         {g_wszWMDuration, g_wszWMBitrate, g_wszWMSeekable, g_wszWMBroadcast, g_wszWMProtected})
        if (name == coded) return true;
    return false;
}

HRESULT CopyAttributes(IWMHeaderInfo3* from, IWMHeaderInfo3* to) {
    WORD count = 0;
    HRESULT hr = from->GetAttributeCount(0xFFFF, &count);
    for (WORD i = 0; Succeeded(hr) && i < count; ++i) {
        engine::Attribute a;
        if (Failed(hr = engine::ReadAttributeAt(from, i, a))) break;
        if (IsCoded(a.name)) continue;
        hr = to->SetAttribute(a.stream, a.name.c_str(), a.type, a.value.data(),
                              WORD(a.value.size()));
    }
    return hr;
}

HRESULT CopyCodecs(IWMHeaderInfo3* from, IWMHeaderInfo3* to) {
    DWORD count = 0;
    HRESULT hr = from->GetCodecInfoCount(&count);
    for (DWORD i = 0; Succeeded(hr) && i < count; ++i) {
        engine::CodecInfo c;
        if (Succeeded(hr = engine::ReadCodecInfo(from, i, c)))
            hr = to->AddCodecInfo(c.name.c_str(), c.description.c_str(), c.type,
                                  WORD(c.info.size()), c.info.data());
    }
    return hr;
}

HRESULT CopyScripts(IWMHeaderInfo* from, IWMHeaderInfo* to) {
    std::vector<engine::Script> scripts;
    HRESULT read = engine::ReadScripts(from, scripts);
    for (const engine::Script& s : scripts)
        if (HRESULT hr = to->AddScript(s.type.c_str(), s.command.c_str(), s.time); Failed(hr))
            return hr;
    return read;
}

HRESULT CopyMarkers(IWMHeaderInfo* from, IWMHeaderInfo* to) {
    std::vector<engine::Marker> markers;
    HRESULT read = engine::ReadMarkers(from, markers);
    for (const engine::Marker& m : markers)
        if (HRESULT hr = to->AddMarker(m.name.c_str(), m.time); Failed(hr)) return hr;
    return read;
}

// "path: reason; what" when the runtime knows the system's reason, else "file: what".
std::string Why(const std::string& file, const std::string& what, IUnknown* object) {
    std::string reason = wm::FileErrorText(object);
    return reason.empty() ? file + ": " + what : reason + "; " + what;
}

HRESULT WriteMarkers(IWMHeaderInfo* from, const std::string& out, std::string& error) {
    WORD count = 0;
    HRESULT hr = from->GetMarkerCount(&count);
    if (Failed(hr) || count == 0) return hr;
    wm::ComPtr<IWMMetadataEditor> editor;
    wm::ComPtr<IWMHeaderInfo> header;
    if (Failed(hr = WMCreateEditor(editor.Out()))) return hr;
    if (Failed(hr = editor->Open(text::Utf8ToUtf16(out).c_str()))) {
        error = Why(out, "the copy cannot be opened to add its markers", editor.Get());
        return hr;
    }
    if (Succeeded(hr = editor.As(header)) && Succeeded(hr = CopyMarkers(from, header.Get())))
        hr = editor->Flush();
    if (Failed(hr)) error = Why(out, "the markers could not be added", editor.Get());
    HRESULT closed = editor->Close();
    return Failed(hr) ? hr : closed;
}

}  // namespace

HRESULT CopyFile(const std::string& in, const std::string& out, std::string& error,
                 const std::atomic<bool>* stop) {
    auto* reader = new wm::CReader();
    ReaderDriver driver(reader);
    wm::ComPtr<IWMReader> readerRef;
    readerRef.Attach(reader);
    HRESULT hr = driver.Open(text::Utf8ToUtf16(in));
    if (Failed(hr)) {
        error = in + ": " + reader->OpenError();
        return hr;
    }
    wm::ComPtr<IWMWriter> writer;
    wm::ComPtr<IWMWriterAdvanced> advanced;
    wm::ComPtr<IWMHeaderInfo3> writerHeader;
    if (Failed(hr = WMCreateWriter(nullptr, writer.Out())) || Failed(hr = writer.As(advanced)) ||
        Failed(hr = writer.As(writerHeader))) {
        error = "no writer";
        driver.Close();
        return hr;
    }
    DWORD inputs = 0;
    if (Failed(hr = writer->SetProfile(reader)) ||
        Failed(hr = writer->SetOutputFilename(text::Utf8ToUtf16(out).c_str())) ||
        Failed(hr = writer->GetInputCount(&inputs))) {
        error = "the writer does not take this file's streams";
        driver.Close();
        return hr;
    }
    for (DWORD i = 0; i < inputs; ++i) writer->SetInputProps(i, nullptr);
    if (Failed(hr = CopyAttributes(reader, writerHeader.Get())) ||
        Failed(hr = CopyCodecs(reader, writerHeader.Get())) ||
        Failed(hr = CopyScripts(reader, writerHeader.Get()))) {
        error = "the header could not be carried over";
        driver.Close();
        return hr;
    }
    if (Failed(hr = writer->BeginWriting())) {
        error = Why(out, "cannot be written", writer.Get());
        driver.Close();
        return hr;
    }
    hr = driver.PlayAll(
        [&](WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample) {
            if (stop && stop->load()) return E_ABORT;
            return advanced->WriteStreamSample(stream, time, 0, duration, flags, sample);
        });
    if (Failed(hr)) {
        error =
            hr == E_ABORT ? "interrupted" : Why(out, "copying the samples failed", writer.Get());
        driver.Close();
        return hr;  // the writer is released unfinished and leaves no file behind
    }
    if (Failed(hr = writer->EndWriting())) {
        error = Why(out, "cannot be written", writer.Get());
        driver.Close();
        return hr;
    }
    hr = WriteMarkers(reader, out, error);
    HRESULT closed = driver.Close();
    return Failed(hr) ? hr : closed;
}

HRESULT AddMarker(const std::string& file, QWORD time, const std::string& name, std::string& error,
                  const std::atomic<bool>* stop) {
    std::u16string wide = text::Utf8ToUtf16(name);
    if (wide.size() > wm::HeaderStore::kMaxMarkerNameChars) {
        error = file + ": the marker's name is " + std::to_string(wide.size()) +
                " characters long; its 16-bit length field holds at most " +
                std::to_string(wm::HeaderStore::kMaxMarkerNameChars);
        return E_ARITHMETIC_OVERFLOW;
    }
    auto* editorObject = new wm::CMetadataEditor();
    editorObject->SetStopFlag(stop);
    wm::ComPtr<IWMMetadataEditor> editor;
    editor.Attach(editorObject);
    wm::ComPtr<IWMHeaderInfo> header;
    HRESULT hr;
    if (Failed(hr = editor->Open(text::Utf8ToUtf16(file).c_str()))) {
        error = hr == E_ABORT ? "interrupted" : Why(file, "cannot be opened", editor.Get());
        return hr;
    }
    if (Succeeded(hr = editor.As(header)) && Succeeded(hr = header->AddMarker(wide.c_str(), time)))
        hr = editor->Flush();
    if (Failed(hr))
        error = hr == E_ABORT ? "interrupted"
                : hr == E_ARITHMETIC_OVERFLOW && wm::FileErrorText(editor.Get()).empty()
                    ? file + ": the file holds 65535 markers, as many as it can"
                    : Why(file, "the marker could not be saved", editor.Get());
    HRESULT closed = editor->Close();
    return Failed(hr) ? hr : closed;
}

}  // namespace asftool
