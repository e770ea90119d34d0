#include "merger.h"

#include <cstdarg>
#include <cstring>
#include <new>
#include <utility>

#include "report_error.h"
#include "stream_table.h"
#include "try_allocate.h"

namespace engine {

// Nulls a field under the lock, so that a callback never sees it half gone; the last reference
// goes outside the lock, with dropped.
template <class I>
void CMerger::Drop(wm::ComPtr<I>& field) {
    wm::ComPtr<I> dropped;
    {
        std::lock_guard<SampleLock> g(m_lock);
        dropped.Swap(field);
    }
}

CMerger::CMerger(MergerRuntime runtime) : m_runtime(std::move(runtime)) {}

CMerger::~CMerger() { Cleanup(); }

void CMerger::SetInputPaths(std::vector<std::string> paths) {
    m_inputPaths = std::move(paths);
    m_inputCount = int(m_inputPaths.size());
    m_results.assign(m_inputPaths.size(), {});
}

int CMerger::ReportError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatReportText(format, args);
    va_end(args);
    return engine::ReportError("%s", text.c_str());
}

HRESULT CMerger::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IWMReaderCallback || iid == IID_IUnknown) {
        *out = static_cast<IWMReaderCallback*>(this);
    } else if (iid == IID_IWMReaderCallbackAdvanced) {
        *out = static_cast<IWMReaderCallbackAdvanced*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CMerger::AddRef() { return AddRefImpl(); }

// Deletes only an object whose owner gave its reference back.
ULONG CMerger::Release() { return ReleaseImpl(); }

HRESULT CMerger::CreateDriverEvents() {
    if (m_event) return E_UNEXPECTED;  // already initialised
    m_event.reset(new (std::nothrow) CDriverEvents);
    if (!m_event) {
        ReportError("Could not create asynchronous event.\n");
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CMerger::Init() {
    HRESULT hr = CreateDriverEvents();
    if (Failed(hr)) return hr;
    // The runtime needs no COM initialisation on this platform.
    if (Failed(hr = m_runtime.createReader(nullptr, 0, m_reader1.Out()))) {
        ReportError("Could not create first reader (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_runtime.createReader(nullptr, 0, m_reader2.Out()))) {
        ReportError("Could not create second reader (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_reader1.As(m_readerAdvanced1))) {
        ReportError("Could not QI for first IWMReaderAdvanced (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_reader2.As(m_readerAdvanced2))) {
        ReportError("Could not QI for second IWMReaderAdvanced (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_runtime.createWriter(nullptr, m_writer.Out()))) {
        ReportError("Could not create writer (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_writer.As(m_writerAdvanced))) {
        ReportError("Could not QI for IWMWriterAdvanced (hr=0x%08x).\n", hr);
        return hr;
    }
    return S_OK;
}

HRESULT CMerger::BuildStreamMap(BOOL* match) {
    StreamTable first(m_streamCount);
    StreamTable second(m_streamCount);
    HRESULT hr = first.Load(m_profile1.Get());
    if (Succeeded(hr)) hr = second.Load(m_profile2.Get());
    if (Failed(hr)) return hr;
    StreamMap map;
    *match = first.Match(second, &map);
    for (DWORD i = 0; i < first.streamNumbers.size(); ++i)
        m_placement.End().SetFormat(first.streamNumbers[i], first.MediaType(i));
    {
        std::lock_guard<SampleLock> g(m_lock);
        std::swap(m_streamMap, map);
    }
    return first.ApplyBufferWindows(m_profile1.Get());
}

HRESULT CMerger::OpenInputs(LPCWSTR first, LPCWSTR second, BOOL* match) {
    if (!m_reader1 || !m_reader2 || !m_event || !match) return E_INVALIDARG;
    *match = 0;
    HRESULT hr = CheckProtected(first);
    if (Failed(hr)) {
        if (hr == kProtectedInput)
            ReportError("First file is protected, cannot open, aborting...\n");
        return hr;
    }
    if (Failed(hr = CheckProtected(second))) {
        if (hr == kProtectedInput)
            ReportError("Second file is protected, cannot open, aborting...\n");
        return hr;
    }
    if (Failed(hr = m_reader1->Open(first, this, nullptr))) {
        ReportError("Could not open first input file %s (hr=0x%08x).\n", ShownName(first).c_str(),
                    hr);
        return hr;
    }
    if (HRESULT status = WaitFor({WMT_OPENED}); Failed(status)) {
        ReportError("Open failed for first file %s (hr=0x%08x).\n%s", ShownName(first).c_str(),
                    status, FileReasonLine(m_reader1.Get()).c_str());
        return status;
    }
    if (Failed(hr = m_reader2->Open(second, this, nullptr))) {
        ReportError("Could not open second input file %s (hr=0x%08x).\n", ShownName(second).c_str(),
                    hr);
        return hr;
    }
    if (HRESULT status = WaitFor({WMT_OPENED}); Failed(status)) {
        ReportError("Open failed for second file %s (hr=0x%08x).\n%s", ShownName(second).c_str(),
                    status, FileReasonLine(m_reader2.Get()).c_str());
        return status;
    }
    if (Failed(hr = m_reader1.As(m_profile1))) {
        ReportError("Could not QI for IWMProfile of first file (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_reader2.As(m_profile2))) {
        ReportError("Could not QI for IWMProfile of second file (hr=0x%08x).\n", hr);
        return hr;
    }
    DWORD count1 = 0, count2 = 0;
    if (Failed(hr = m_profile1->GetStreamCount(&count1))) {
        ReportError("GetStreamCount on IWMProfile failed for first file (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_profile2->GetStreamCount(&count2))) {
        ReportError("GetStreamCount on IWMProfile failed for second file (hr=0x%08x).\n", hr);
        return hr;
    }
    if (count1 != count2) {
        ReportError("Different Stream counts in both the files.\n");
        return S_OK;
    }
    m_streamCount = count1;
    return BuildStreamMap(match);
}

HRESULT CMerger::Configure(LPCWSTR output) {
    if (!m_profile1 || !m_profile2) return E_INVALIDARG;
    if (!m_writer || !m_readerAdvanced1 || !m_readerAdvanced2) return E_INVALIDARG;
    HRESULT hr = m_readerAdvanced1->SetManualStreamSelection(1);
    if (Failed(hr)) {
        ReportError("Failed to set manual stream selection for first file (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_readerAdvanced2->SetManualStreamSelection(1))) {
        ReportError("Failed to set manual stream selection for second file (hr=0x%08x).\n", hr);
        return hr;
    }
    for (DWORD i = 0; i < m_streamCount; ++i) {
        if (Failed(hr = SelectStream(m_readerAdvanced1.Get(), m_profile1.Get(), i))) return hr;
        if (Failed(hr = SelectStream(m_readerAdvanced2.Get(), m_profile2.Get(), i))) return hr;
    }
    if (Failed(hr = m_readerAdvanced1->SetUserProvidedClock(1))) {
        ReportError("SetUserProvidedClock failed for first file (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_readerAdvanced2->SetUserProvidedClock(1))) {
        ReportError("SetUserProvidedClock failed for second file (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_writer->SetProfile(m_profile1.Get()))) {
        ReportError("Could not set profile on IWMWriter (hr=0x%08x).\n", hr);
        return hr;
    }
    if (!output) return E_INVALIDARG;
    size_t length = 0;
    while (output[length]) ++length;
    if (!TryAllocate(m_outputPath, length)) return E_OUTOFMEMORY;
    m_outputPath.assign(output, length);
    if (Failed(hr = m_writer->SetOutputFilename(m_outputPath.c_str()))) {
        ReportError("Could not set output file %s on IWMWriter (hr=0x%08x).\n",
                    ShownName(m_outputPath.c_str()).c_str(), hr);
        return hr;
    }
    DWORD inputs = 0;
    if (Failed(hr = m_writer->GetInputCount(&inputs))) {
        ReportError("Could not get input count from IWMWriter (hr=0x%08x).\n", hr);
        return hr;
    }
    for (DWORD i = 0; i < inputs; ++i) m_writer->SetInputProps(i, nullptr);
    return CarryHeaderToWriter();
}

HRESULT CMerger::CarryHeaderToWriter() {
    Drop(m_headerInfo1);
    Drop(m_headerInfo2);
    HRESULT hr = m_reader1.As(m_headerInfo1);
    if (Failed(hr)) {
        ReportError("Could not QI for IWMHeaderInfo from the reader (hr=0x%08x).\n", hr);
        return hr;
    }
    wm::ComPtr<IWMHeaderInfo> writerHeader;
    if (Failed(hr = m_writer.As(writerHeader))) {
        ReportError("Could not QI for IWMHeaderInfo from the writer (hr=0x%08x).\n", hr);
        return hr;
    }
    if (Failed(hr = m_reader2.As(m_headerInfo2))) {
        ReportError("Could not QI for IWMHeaderInfo from the reader (hr=0x%08x).\n", hr);
    } else if (Succeeded(hr = CopyAttributes(writerHeader.Get())) &&
               Succeeded(hr = CopyCodecInfo(writerHeader.Get())) &&
               Succeeded(hr = CopyScripts(writerHeader.Get(), m_headerInfo1.Get(), 0))) {
        WORD stream = 0;
        WMT_ATTR_DATATYPE type;
        QWORD duration = 0;
        WORD size = sizeof duration;
        hr = m_headerInfo1->GetAttributeByName(&stream, g_wszWMDuration, &type,
                                               reinterpret_cast<BYTE*>(&duration), &size);
        if (Failed(hr)) {
            ReportError("Error in getting Duration attribute for first file (hr=0x%08x).\n", hr);
        } else {
            m_clock1 = duration;
            hr = CopyScripts(writerHeader.Get(), m_headerInfo2.Get(), m_clock1);
        }
    }
    return hr;
}

HRESULT CMerger::Merge() {
    if (!m_writer || !m_reader1 || !m_reader2 || m_outputPath.empty() || m_inputCount < 2 ||
        m_inputCount > kMaxOffsets + 1)
        return E_INVALIDARG;
    m_offsetCount = 0;
    m_results.assign(size_t(m_inputCount), {});
    m_placement.Restart();
    HRESULT hr = CheckInputs();
    if (Failed(hr)) return hr;
    if (Failed(hr = m_writer->BeginWriting())) {
        ReportError("BeginWriting on IWMWriter failed (hr=0x%08x).\n%s", hr,
                    FileReasonLine(m_writer.Get()).c_str());
        return hr;
    }
    // 1. The first input, in reader 1, keeps its own time line; 2. the second, in reader 2,
    // opened with the first; 3. every later one through reader 2. Any failure fails the join.
    for (int k = 0; k < m_inputCount; ++k) {
        if (StopRequested()) return kJoinStopped;
        ScopedReportContext context(InputLine(k));
        if (k >= 2) {
            hr = MergeLaterInput(k);
        } else {
            HRESULT copied = S_OK;
            hr = PlayInput(k, &copied);
            if (Succeeded(hr)) hr = copied;
        }
        if (Failed(hr)) return hr;
        m_results[k].placed = true;
    }
    if (StopRequested()) return kJoinStopped;

    if (Failed(hr = m_writer->EndWriting())) {
        ReportError("Could not EndWriting on IWMWriter (hr=0x%08x).\n%s", hr,
                    FileReasonLine(m_writer.Get()).c_str());
        return hr;
    }
    m_progress.FinishOutput();
    if (m_partMarkers && Failed(hr = AddPartMarkersToOutput())) return hr;
    if (Failed(hr = CopyAllMarkers())) return hr;
    return CopyLaterScripts();
}

std::string CMerger::InputLine(int k) const {
    if (k < 0 || k >= m_inputCount) return {};
    return "Input " + std::to_string(k + 1) + ": " + m_inputPaths[k];
}

HRESULT CMerger::CheckInputs() {
    HRESULT hr = CheckTimeLine();
    if (Failed(hr)) return hr;
    // The second input's scripts are placed at the first input's declared duration.
    if (m_clock1 > QWORD(UINT32_MAX) * 10000) {
        ReportError(
            "The first file %s declares a duration past 49.7 days, the longest time a "
            "Windows Media file can hold.\n",
            m_inputCount > 0 ? m_inputPaths[0].c_str() : "");
        return kTimeLineTooLong;
    }
    DWORD markers = m_partMarkers ? DWORD(m_inputCount) : 0, scripts = 0;
    for (int k = 0; k < m_inputCount; ++k) {
        if (StopRequested()) return kJoinStopped;
        DWORD inputMarkers = 0, inputScripts = 0;
        if (k < 2) {
            hr = CountTimedItems(k == 0 ? m_headerInfo1.Get() : m_headerInfo2.Get(), &inputMarkers,
                                 &inputScripts);
        } else {
            ScopedReportContext context(InputLine(k) + " cannot be joined; nothing was written.");
            hr = ProbeLaterInput(k, &inputMarkers, &inputScripts);
        }
        if (Failed(hr)) return hr;
        markers += inputMarkers;
        scripts += inputScripts;
        const bool tooManyMarkers = markers > kMaxTimedItems;
        if (tooManyMarkers || scripts > kMaxTimedItems) {
            ReportError(
                "With input %d (%s) the joined file would hold at least %u %s; a Windows "
                "Media file holds at most 65535. Nothing was written.\n",
                k + 1, m_inputPaths[k].c_str(), unsigned(tooManyMarkers ? markers : scripts),
                tooManyMarkers ? "markers" : "scripts");
            return kTooManyTimedItems;
        }
    }
    return S_OK;
}

HRESULT CMerger::CountTimedItems(IWMHeaderInfo* header, DWORD* markers, DWORD* scripts) {
    if (!header) return E_INVALIDARG;
    // A count past the interface's 16 bits is "at least 65536": past the limit either way.
    auto count = [](HRESULT hr, WORD n) {
        return hr == E_ARITHMETIC_OVERFLOW ? kMaxTimedItems + 1 : n;
    };
    WORD m = 0, s = 0;
    HRESULT hr = header->GetMarkerCount(&m);
    if (Failed(hr) && hr != E_ARITHMETIC_OVERFLOW) {
        ReportError("GetMarkerCount failed (hr=0x%08x).\n", hr);
        return hr;
    }
    *markers = count(hr, m);
    hr = header->GetScriptCount(&s);
    if (Failed(hr) && hr != E_ARITHMETIC_OVERFLOW) {
        ReportError("GetScriptCount failed (hr=0x%08x).\n", hr);
        return hr;
    }
    *scripts = count(hr, s);
    return S_OK;
}

HRESULT CMerger::ProbeLaterInput(int k, DWORD* markers, DWORD* scripts) {
    std::u16string path;
    if (!Utf8ToWide(m_inputPaths[k].c_str(), path)) {
        ReportError("Failed to convert file name to wchar string (hr=0x%08x)\n",
                    E_NO_UNICODE_TRANSLATION);
        return E_NO_UNICODE_TRANSLATION;
    }
    // The probe the input list runs when a file is added, run again: the file may have changed.
    // The first input stays open in reader 1; the probe opens only input k, as a second input.
    CMerger probe(m_runtime);
    probe.m_profile1 = m_profile1;
    probe.m_streamCount = m_streamCount;
    BOOL match = 0;
    HRESULT hr = probe.CreateDriverEvents();
    if (Succeeded(hr)) hr = probe.CopyProfile(path.c_str(), &match);
    if (Failed(hr)) return hr;
    if (!match) {
        ReportError("Profile Mismatch\nCan not continue... Aborting the process\n");
        return E_FAIL;
    }
    wm::ComPtr<IWMHeaderInfo> header;
    if (Failed(hr = probe.m_reader2.As(header))) {
        ReportError("Could not QI for IWMHeaderInfo from the reader (hr=0x%08x).\n", hr);
        return hr;
    }
    return CountTimedItems(header.Get(), markers, scripts);
}

HRESULT CMerger::StopReader(IWMReader* reader, HRESULT* stopped) {
    HRESULT hr = reader->Stop();
    if (Failed(hr)) return hr;
    // Strays of the segment (a failure after the one reported) are dropped on the way.
    *stopped = WaitFor({WMT_STOPPED});
    return S_OK;
}

HRESULT CMerger::PlayInput(int k, HRESULT* copied) {
    const bool first = k == 0;
    IWMReader* reader = first ? m_reader1.Get() : m_reader2.Get();
    IWMReaderAdvanced* advanced = first ? m_readerAdvanced1.Get() : m_readerAdvanced2.Get();
    {
        std::lock_guard<SampleLock> g(m_lock);
        m_currentInput = first ? 0 : k;
    }
    m_progress.BeginInput();
    HRESULT hr = reader->Start(0, 0, 1.0f, nullptr);
    if (Failed(hr)) {
        ReportError(first ? "Could not start IWMReader for first file (hr=0x%08x).\n"
                          : "Could not start IWMReader for second file (hr=0x%08x).\n",
                    hr);
        return hr;
    }
    *copied = WaitFor({WMT_EOF, WMT_ERROR, WMT_STOPPED});
    if (Succeeded(*copied))
        NoteInputStats(k, advanced);
    else if (*copied != kJoinStopped)
        ReportError(first ? "Stream copying failed for the first file (hr=0x%08x).\n%s"
                          : "Stream copying failed for the second file (hr=0x%08x).\n%s",
                    *copied, (FileReasonLine(reader) + FileReasonLine(m_writer.Get())).c_str());
    // Stopped after a failure too, so that no callback of this reader runs on, and the next
    // input starts past what was written.
    HRESULT stopped = S_OK;
    if (Failed(hr = StopReader(reader, &stopped))) {
        ReportError(first ? "Could not Stop IWMReader for the first file  (hr=0x%08x).\n"
                          : "Could not Stop IWMReader for the second file (hr=0x%08x).\n",
                    hr);
        return hr;
    }
    if (Failed(stopped)) {
        ReportError(first ? "Could not Stop reader of the first file (hr=0x%08x).\n"
                          : "Could not Stop IWMReader for the second file (hr=0x%08x).\n",
                    stopped);
        return stopped;
    }
    m_progress.EndInput(m_results[k].bytes);
    return S_OK;
}

void CMerger::NoteInputStats(int k, IWMReaderAdvanced* reader) {
    WM_READER_STATISTICS stats{};
    stats.cbSize = sizeof stats;
    if (Succeeded(reader->GetStatistics(&stats))) m_results[k].damagedPackets = stats.cPacketsLost;
}

// One later input through the second reader; its failure fails the join.
HRESULT CMerger::MergeLaterInput(int k) {
    CloseSecondReader();
    std::u16string path;
    if (!Utf8ToWide(m_inputPaths[k].c_str(), path)) {
        ReportError("Failed to convert file name to wchar string (hr=0x%08x)\n",
                    E_NO_UNICODE_TRANSLATION);
        return E_NO_UNICODE_TRANSLATION;
    }
    BOOL match = 0;
    HRESULT hr = CopyProfile(path.c_str(), &match);
    if (Failed(hr)) {
        ReportError("Could not start CopyProfile (hr=0x%08x).\n", hr);
        return hr;
    }
    if (!match) {  // it changed since it was checked
        ReportError("Profile Mismatch\nCan not continue... Aborting the process\n");
        return E_FAIL;
    }
    if (Failed(hr = Configure2())) {
        ReportError("Could not start Configure2 the file (hr=0x%08x).\n", hr);
        return hr;
    }
    HRESULT copied = S_OK;
    if (Failed(hr = PlayInput(k, &copied))) return hr;
    return copied;
}

HRESULT CMerger::CopyProfile(LPCWSTR path, BOOL* match) {
    if (!match) return E_INVALIDARG;
    Drop(m_readerAdvanced2);
    Drop(m_reader2);
    HRESULT hr = m_runtime.createReader(nullptr, 0, m_reader2.Out());
    if (Failed(hr)) {
        ReportError("Could not create second reader (hr=0x%08x).\n", hr);
        return hr;
    }
    wm::ComPtr<IWMReaderAdvanced> advanced;
    hr = m_reader2.As(advanced);
    {
        std::lock_guard<SampleLock> g(m_lock);
        m_readerAdvanced2 = advanced;
    }
    if (Failed(hr)) {
        ReportError("Could not QI for second IWMReaderAdvanced (hr=0x%08x).\n", hr);
        return hr;
    }
    if (!m_profile1 || !m_reader2 || !m_event) return E_INVALIDARG;
    *match = 0;
    if (Failed(hr = CheckProtected(path))) {
        if (hr == kProtectedInput)
            ReportError("Second file is protected, cannot open, aborting...\n");
        return hr;
    }
    {
        // Reader 2's next start then moves the join on to SecondPlaying, as for the second input.
        std::lock_guard<SampleLock> g(m_lock);
        m_phase = NextPhase(m_phase, PhaseEvent::Armed);
    }
    m_event->Clear();
    if (Failed(hr = m_reader2->Open(path, this, nullptr))) {
        ReportError("Could not open second input file %s (hr=0x%08x).\n", ShownName(path).c_str(),
                    hr);
        return hr;
    }
    if (HRESULT status = WaitFor({WMT_OPENED}); Failed(status)) {
        ReportError("Open failed for second file %s (hr=0x%08x).\n%s", ShownName(path).c_str(),
                    status, FileReasonLine(m_reader2.Get()).c_str());
        return status;
    }
    Drop(m_profile2);
    if (Failed(hr = m_reader2.As(m_profile2))) {
        ReportError("Could not QI for IWMProfile of second file (hr=0x%08x).\n", hr);
        return hr;
    }
    DWORD count = 0;
    if (Failed(hr = m_profile2->GetStreamCount(&count))) {
        ReportError("GetStreamCount on IWMProfile failed for second file (hr=0x%08x).\n", hr);
        return hr;
    }
    if (count != m_streamCount) {
        ReportError("Different Stream counts in both the files.\n");
        return S_OK;
    }
    return BuildStreamMap(match);
}

HRESULT CMerger::Configure2() {
    if (!m_profile1 || !m_profile2 || !m_readerAdvanced2) return E_INVALIDARG;
    HRESULT hr = m_readerAdvanced2->SetManualStreamSelection(1);
    if (Failed(hr)) {
        ReportError("Failed to set manual stream selection for second file (hr=0x%08x).\n", hr);
        return hr;
    }
    for (DWORD i = 0; i < m_streamCount; ++i)
        if (Failed(hr = SelectStream(m_readerAdvanced2.Get(), m_profile2.Get(), i))) return hr;
    if (Failed(hr = m_readerAdvanced2->SetUserProvidedClock(1))) {
        ReportError("SetUserProvidedClock failed for second file (hr=0x%08x).\n", hr);
        return hr;
    }
    Drop(m_headerInfo2);
    if (Failed(hr = m_reader2.As(m_headerInfo2)))
        ReportError("Could not QI for IWMHeaderInfo from the reader (hr=0x%08x).\n", hr);
    return hr;
}

void CMerger::CloseSecondReader() {
    {
        std::lock_guard<SampleLock> g(m_lock);
        m_streamMap.Clear();
    }
    if (m_reader2) m_reader2->Close();
    Drop(m_profile2);
    Drop(m_headerInfo2);
    Drop(m_readerAdvanced2);
    Drop(m_reader2);
}

HRESULT CMerger::Cleanup() {
    {
        std::lock_guard<SampleLock> g(m_lock);
        m_placement.DropHeld();
    }
    m_outputPath.clear();
    {
        std::lock_guard<SampleLock> g(m_lock);
        m_streamMap.Clear();
    }
    if (m_reader1) m_reader1->Close();
    if (m_reader2) m_reader2->Close();
    Drop(m_profile1);
    Drop(m_profile2);
    Drop(m_headerInfo1);
    Drop(m_headerInfo2);
    Drop(m_writerAdvanced);
    Drop(m_writer);
    Drop(m_readerAdvanced2);
    Drop(m_readerAdvanced1);
    Drop(m_reader2);
    Drop(m_reader1);
    m_event.reset();
    return S_OK;
}

HRESULT CMerger::CheckTimeLine() {
    m_progress.Restart();
    if (!m_runtime.inspectFile) return S_OK;
    // The clock ends each input on the whole second past its last sample; a second more covers
    // that sample's duration. Later inputs lose the whole seconds before their first sample.
    auto ceilSecond = [](QWORD t) { return (t / kClockStep + 1) * kClockStep; };
    QWORD end = 0;
    for (int k = 0; k < m_inputCount; ++k) {
        std::u16string path;
        WM_FILE_INSPECTION file{};
        if (!Utf8ToWide(m_inputPaths[k].c_str(), path) ||
            Failed(m_runtime.inspectFile(path.c_str(), &file)))
            continue;  // refused with its reason when it is opened
        m_results[k].bytes = file.fileSize;
        m_progress.AddInput(file.fileSize);
        if (!file.hasSamples) continue;
        QWORD rebase = k == 0 ? 0 : file.firstTime / kClockStep * kClockStep;
        end += ceilSecond(file.endTime) + kClockStep - std::min(rebase, file.endTime);
        QWORD limit = (QWORD(UINT32_MAX) - std::min<QWORD>(file.prerollMs, UINT32_MAX)) * 10000;
        if (end > limit) {
            ReportError(
                "The joined time line is too long: with %s the output would run past "
                "49.7 days, the longest time a Windows Media file can hold.\n",
                m_inputPaths[k].c_str());
            return kTimeLineTooLong;
        }
    }
    return S_OK;
}

double CMerger::Progress() const { return m_progress.Share(); }

const InputResult& CMerger::Result(int k) const {
    static const InputResult kNone;
    return k >= 0 && k < int(m_results.size()) ? m_results[k] : kNone;
}

}  // namespace engine
