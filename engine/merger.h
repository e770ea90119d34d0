#pragma once
// CMerger appends an ordered list of Windows Media files into one output without decoding:
// reader 1 holds the first input, reader 2 each later one, one writer takes every sample.
// It is also the readers' callback object. Driven by one caller thread; callbacks come from the
// runtime's threads.

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "completion_event.h"
#include "join_checks.h"
#include "wm_interfaces.h"

namespace engine {

// Where the engine gets its runtime objects; the real runtime unless told otherwise.
struct MergerRuntime {
    std::function<HRESULT(IUnknown*, DWORD, IWMReader**)> createReader = WMCreateReader;
    std::function<HRESULT(IUnknown*, IWMWriter**)> createWriter = WMCreateWriter;
    std::function<HRESULT(IWMMetadataEditor**)> createEditor = WMCreateEditor;
};

constexpr QWORD kClockStep = 10000000;  // one second in 100 ns
constexpr int kMaxOffsets = 1000;

class CMerger final : public IWMReaderCallback, public IWMReaderCallbackAdvanced {
  public:
    explicit CMerger(MergerRuntime runtime = {});
    ~CMerger();
    CMerger(const CMerger&) = delete;
    CMerger& operator=(const CMerger&) = delete;

    // IUnknown, shared by both callback interfaces.
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IWMReaderCallback
    HRESULT OnStatus(WMT_STATUS status, HRESULT hr, WMT_ATTR_DATATYPE type, BYTE* value,
                     void* context) override;
    HRESULT OnSample(DWORD output, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                     void* context) override;
    // IWMReaderCallbackAdvanced
    HRESULT OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                           void* context) override;
    HRESULT OnTime(QWORD time, void* context) override;
    HRESULT OnStreamSelection(WORD count, WORD* streams, WMT_STREAM_SELECTION* selections,
                              void* context) override;
    HRESULT OnOutputPropsChanged(DWORD output, WM_MEDIA_TYPE* type, void* context) override;
    HRESULT AllocateForStream(WORD stream, DWORD size, INSSBuffer** buffer, void* context) override;
    HRESULT AllocateForOutput(DWORD output, DWORD size, INSSBuffer** buffer,
                              void* context) override;

    // The join, in this order: Init, OpenInputs, Configure (only when match is 1), Merge, Cleanup.
    HRESULT Init();
    HRESULT OpenInputs(LPCWSTR first, LPCWSTR second, BOOL* match);
    HRESULT Configure(LPCWSTR output);
    HRESULT Merge();
    HRESULT Cleanup();

    // Later inputs, inside Merge.
    HRESULT CopyProfile(LPCWSTR path, BOOL* match);
    HRESULT Configure2();
    void CloseSecondReader();

    // Header carry-over.
    HRESULT CheckProtected(LPCWSTR path);
    HRESULT CopyAttribute(WORD srcStream, WORD dstStream, IWMHeaderInfo* destination, LPCWSTR name);
    HRESULT CopyAttributes(IWMHeaderInfo* destination);
    HRESULT CopyCodecInfo(IWMHeaderInfo* destination);
    HRESULT CopyScripts(IWMHeaderInfo* destination, IWMHeaderInfo* source, QWORD offset);
    HRESULT CopyMarkers(IWMHeaderInfo* source, IWMHeaderInfo* destination, QWORD offset);
    HRESULT CopyAllMarkers();
    HRESULT CopyLaterScripts();

    // The writer's stream number for a stream number of the input in the second role; 0 if none.
    WORD MapStreamNumber(WORD n);

    static int ReportError(const char* format, ...);

    // What a finished Merge did with input k (a path-table position): whether its whole content
    // went into the output, and where it starts there.
    bool InputPlaced(int k) const;
    QWORD InputOffset(int k) const;
    // EndWriting succeeded: the output is a complete file.
    bool OutputFinished() const { return m_outputFinished; }

    // The caller's path table (not owned; must outlive the join) and its used entries.
    const PathSlot* m_inputPaths = nullptr;
    int m_inputCount = 0;

  private:
    friend struct MergerProbe;  // tests look at the join state

    // Takes the join phase and the running reader's interfaces together.
    template <class I>
    void Drop(I*& field);
    int16_t ReadPhase();
    void Signal(HRESULT hr);
    void WaitForEvent() { m_event->Wait(); }
    HRESULT BuildStreamMap(BOOL* match);
    HRESULT OpenEditorOnOutput(IWMMetadataEditor** editor, IWMHeaderInfo** header);
    HRESULT CloseEditorOnOutput(IWMMetadataEditor* editor, IWMHeaderInfo* header);
    HRESULT MergeLaterInput(int k);

    MergerRuntime m_runtime;

    std::mutex m_lock;
    IWMHeaderInfo* m_headerInfo2 = nullptr;
    IWMHeaderInfo* m_headerInfo1 = nullptr;
    IWMProfile* m_profile1 = nullptr;
    IWMProfile* m_profile2 = nullptr;
    IWMWriterAdvanced* m_writerAdvanced = nullptr;
    IWMWriter* m_writer = nullptr;
    IWMReaderAdvanced* m_readerAdvanced2 = nullptr;
    IWMReaderAdvanced* m_readerAdvanced1 = nullptr;
    IWMReader* m_reader1 = nullptr;
    IWMReader* m_reader2 = nullptr;
    WORD* m_streamMap = nullptr;
    DWORD m_streamCount = 0;
    std::atomic<int32_t> m_endSeen{0};
    QWORD m_clock1 = 0;
    QWORD m_clock2 = 0;
    std::atomic<HRESULT> m_status{S_OK};
    std::unique_ptr<CCompletionEvent> m_event;
    int16_t m_phase = 0;
    WCHAR* m_outputPath = nullptr;
    std::atomic<int32_t> m_refCount{1};
    std::array<QWORD, kMaxOffsets> m_offsets{};
    int32_t m_offsetCount = 0;

    // Path-table position of the input in the second reader, so that its offset lands in its own
    // entry even when an input before it was skipped.
    int m_currentInput = 1;
    std::array<bool, kMaxOffsets + 1> m_placed{};
    // The running segment has already handed a failure to the driver; its end must not hide it.
    std::atomic<int32_t> m_segmentFailed{0};
    bool m_outputFinished = false;
};

}  // namespace engine
