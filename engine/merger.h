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
#include <string>
#include <vector>

#include "com_object.h"
#include "driver_events.h"
#include "input_result.h"
#include "join_checks.h"
#include "join_control.h"
#include "join_phase.h"
#include "join_progress.h"
#include "placement.h"
#include "sample.h"
#include "sample_lock.h"
#include "stream_map.h"
#include "wm_interfaces.h"

namespace engine {

// Where the engine gets its runtime objects; the real runtime unless told otherwise.
struct MergerRuntime {
    std::function<HRESULT(IUnknown*, DWORD, IWMReader**)> createReader = WMCreateReader;
    std::function<HRESULT(IUnknown*, IWMWriter**)> createWriter = WMCreateWriter;
    std::function<HRESULT(IWMMetadataEditor**)> createEditor = WMCreateEditor;
    std::function<HRESULT(LPCWSTR, WM_FILE_INSPECTION*)> inspectFile = WMInspectFile;
};

// CheckProtected's answer for a protected input.
constexpr HRESULT kProtectedInput = MakeHr(0x80070005);  // E_ACCESSDENIED
// A join that was asked to stop.
constexpr HRESULT kJoinStopped = MakeHr(0x80004004);  // E_ABORT
// A join whose time line would not fit the format's 32-bit milliseconds.
constexpr HRESULT kTimeLineTooLong = MakeHr(0x800700DF);  // ERROR_FILE_TOO_LARGE
// A join whose markers or scripts would not fit the runtime's 16-bit counts.
constexpr HRESULT kTooManyTimedItems = E_ARITHMETIC_OVERFLOW;
constexpr DWORD kMaxTimedItems = 0xFFFF;

constexpr int kMaxOffsets = 1000;

class CMerger final : public IWMReaderCallback,
                      public IWMReaderCallbackAdvanced,
                      public wm::RefCount<CMerger> {
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
    HRESULT CopyScripts(IWMHeaderInfo* destination, IWMHeaderInfo* source, QWORD offset,
                        QWORD rebase = 0);
    HRESULT CopyMarkers(IWMHeaderInfo* source, IWMHeaderInfo* destination, QWORD offset,
                        QWORD rebase = 0);
    HRESULT CopyAllMarkers();
    HRESULT CopyLaterScripts();
    HRESULT AddPartMarkersToOutput();

    // The writer's stream number for a stream number of the input in the second role; 0 if none.
    WORD MapStreamNumber(WORD n);

    static int ReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // What Merge did with input k (a list position); an empty result outside the list.
    const InputResult& Result(int k) const;
    bool InputPlaced(int k) const { return Result(k).placed; }
    QWORD InputOffset(int k) const { return Result(k).placedAt; }
    // EndWriting succeeded: the output is a complete file.
    bool OutputFinished() const { return m_progress.OutputFinished(); }
    DWORD DamagedPackets(int k) const { return Result(k).damagedPackets; }

    // While *flag is true a running join stops quietly: Merge returns kJoinStopped and the
    // unfinished output is discarded. The flag may be set from any thread or a signal handler.
    void SetStopFlag(const std::atomic<bool>* flag) { m_control.SetStopFlag(flag); }
    bool StopRequested() const { return m_control.StopRequested(); }
    // Holds the join (its reader's clock waits, and so does the output's commit) while on; any
    // thread. False when the join is already past its commit point: too late to hold or stop.
    bool Hold(bool on) { return m_control.Hold(on); }
    // The last step before the finished output is put in place: waits while the join is held,
    // then true unless a stop was asked for; a join past this point cannot be held or stopped.
    bool PassCommitPoint() { return m_control.PassCommitPoint(); }
    // Share of the join done, 0 to 1, by the inputs' bytes; readable from any thread.
    double Progress() const;
    // Gapless placement: each later input starts where the one before it truly ends (its
    // latest sample end), not at the next whole second. Set before Merge.
    void SetGapless(bool on) { m_placement = Placement(on); }
    // A marker at the start of every input, named after its file. Set before Merge.
    void SetPartMarkers(bool on) { m_partMarkers = on; }

    // The inputs in join order, as UTF-8 paths; the caller has checked their count and lengths.
    void SetInputPaths(std::vector<std::string> paths);
    const std::vector<std::string>& InputPaths() const { return m_inputPaths; }

  private:
    friend struct MergerProbe;  // tests look at the join state

    // Takes the join phase and the running reader's interfaces together.
    template <class I>
    void Drop(wm::ComPtr<I>& field);
    // The interface that paces the running reader: reader 1's or reader 2's by the phase; under
    // m_lock.
    wm::ComPtr<IWMReaderAdvanced> PacedReader() const;
    JoinPhase ReadPhase();
    // A callback's report to the driver.
    void Report(WMT_STATUS status, HRESULT hr);
    // The driver: waits for a report of one of the kinds; m_status gets its result.
    HRESULT WaitFor(std::initializer_list<WMT_STATUS> kinds);
    HRESULT BuildStreamMap(BOOL* match);
    // Configure's last step: the first input's attributes and codec list and the first two
    // inputs' scripts into the writer's header; the first input's duration into m_clock1.
    HRESULT CarryHeaderToWriter();
    HRESULT OpenEditorOnOutput(wm::ComPtr<IWMMetadataEditor>& editor,
                               wm::ComPtr<IWMHeaderInfo>& header);
    HRESULT CloseEditorOnOutput(wm::ComPtr<IWMMetadataEditor>& editor,
                                wm::ComPtr<IWMHeaderInfo>& header);
    HRESULT MergeLaterInput(int k);
    // "Input 3: PATH", the line that names input k in the join's messages.
    std::string InputLine(int k) const;
    // Before anything is written: every later input opens, is not protected and pairs with the
    // first; the time line and the markers and scripts of all inputs fit the format.
    HRESULT CheckInputs();
    // Input k (k >= 2) opened in an engine of its own and matched with the first input, which
    // is open already; its markers and scripts counted.
    HRESULT ProbeLaterInput(int k, DWORD* markers, DWORD* scripts);
    HRESULT CreateDriverEvents();
    static HRESULT CountTimedItems(IWMHeaderInfo* header, DWORD* markers, DWORD* scripts);
    void NoteStop();
    // Hands the driver one failure for the running segment; later ones are dropped quietly.
    void FailSegment(HRESULT hr, const char* format = nullptr);
    // Stops a reader and waits until it has said so, past any stray signal; *stopped gets what
    // the reader said. Fails when Stop itself fails.
    HRESULT StopReader(IWMReader* reader, HRESULT* stopped);
    // Plays input k (0 in reader 1, else reader 2) to its end and stops it; *copied gets how the
    // copy went, a failure reported here. Fails only when the reader could not be started or
    // stopped.
    HRESULT PlayInput(int k, HRESULT* copied);
    void NoteInputStats(int k, IWMReaderAdvanced* reader);
    // Writes one sample as it stands in the output and notes its end; under m_lock.
    HRESULT Write(const Sample& s);
    // Gapless: writes the held first step of a later input, now that its start is known.
    void PlaceHeld();
    // Refuses, before anything is written, a join whose time line passes the format's limit.
    HRESULT CheckTimeLine();

    // Who touches what. "Driver": the one thread that calls Init ... Cleanup. "Callbacks": the
    // runtime's threads, one reader running at a time. m_lock guards what both touch.
    MergerRuntime m_runtime;  // set at construction

    // The interfaces: set by the driver, nulled under m_lock (Drop); the callbacks take the
    // running reader's reference under m_lock, and use the writer only under it.
    SampleLock m_lock;
    wm::ComPtr<IWMHeaderInfo> m_headerInfo2;
    wm::ComPtr<IWMHeaderInfo> m_headerInfo1;
    wm::ComPtr<IWMProfile> m_profile1;
    wm::ComPtr<IWMProfile> m_profile2;
    wm::ComPtr<IWMWriterAdvanced> m_writerAdvanced;
    wm::ComPtr<IWMWriter> m_writer;
    wm::ComPtr<IWMReaderAdvanced> m_readerAdvanced2;
    wm::ComPtr<IWMReaderAdvanced> m_readerAdvanced1;
    wm::ComPtr<IWMReader> m_reader1;
    wm::ComPtr<IWMReader> m_reader2;
    StreamMap m_streamMap;    // under m_lock
    DWORD m_streamCount = 0;  // driver
    // Callbacks: the running segment's end (or failure) has been reported; reset at each start.
    std::atomic<int32_t> m_endSeen{0};
    // Under m_lock. The driver reads m_clock1 alone only while no reader runs.
    QWORD m_clock1 = 0;
    QWORD m_clock2 = 0;
    HRESULT m_status = S_OK;                 // driver: the result of the last report it took
    std::unique_ptr<CDriverEvents> m_event;  // callbacks push, the driver waits; locks itself
    JoinPhase m_phase = JoinPhase::Idle;     // under m_lock; moves only by NextPhase
    std::u16string m_outputPath;             // driver
    // Under m_lock: written at reader 2's stop, read by the driver after its stop report.
    std::array<QWORD, kMaxOffsets> m_offsets{};
    int32_t m_offsetCount = 0;
    std::vector<std::string> m_inputPaths;  // driver, set before the join
    int m_inputCount = 0;

    // Under m_lock: the list position of the running input, set by the driver before its start.
    int m_currentInput = 1;
    // Driver; a later input's placedAt and rebasedBy are written under m_lock at its stop.
    std::vector<InputResult> m_results;
    // Callbacks: the running segment has already reported a failure; its end must not hide it.
    std::atomic<int32_t> m_segmentFailed{0};
    JoinControl m_control;  // any thread
    // Under m_lock; the driver reads its End() while no reader runs.
    Placement m_placement;
    JoinProgress m_progress;     // any thread
    bool m_partMarkers = false;  // driver, set before the join
};

}  // namespace engine
