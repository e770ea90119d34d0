#pragma once
// The reader: opens an ASF file and plays its compressed samples to a callback from one worker
// thread, paced by a user-provided clock when asked.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "../asf/header.h"
#include "../asf/sample_assembler.h"
#include "com_object.h"
#include "file_error.h"
#include "header_info_impl.h"
#include "profile.h"

namespace wm {

struct PlayState;

// What a finished play saw; asftool reports it.
struct ReaderStatistics {
    uint64_t damagedPackets = 0;  // skipped as damaged, or promised by the header and missing
    bool hasSimpleIndex = false;
    uint64_t prerollMs = 0;
};

class CReader final : public IWMReader,
                      public IWMReaderAdvanced,
                      public IWMProfile,
                      public HeaderInfoImpl,
                      public FileErrorImpl,
                      private RefCount<CReader> {
    friend class RefCount<CReader>;

  public:
    CReader();

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override;

    // IWMReader
    HRESULT Open(LPCWSTR url, IWMReaderCallback* callback, void* context) override;
    HRESULT Close() override;
    HRESULT Start(QWORD start, QWORD duration, float rate, void* context) override;
    HRESULT Stop() override;
    // IWMReaderAdvanced
    HRESULT SetUserProvidedClock(BOOL on) override;
    HRESULT GetUserProvidedClock(BOOL* on) override;
    HRESULT DeliverTime(QWORD time) override;
    HRESULT SetManualStreamSelection(BOOL on) override;
    HRESULT GetManualStreamSelection(BOOL* on) override;
    HRESULT SetStreamsSelected(WORD count, WORD* streams,
                               WMT_STREAM_SELECTION* selections) override;
    HRESULT SetReceiveStreamSamples(WORD stream, BOOL on) override;
    HRESULT GetReceiveStreamSamples(WORD stream, BOOL* on) override;
    HRESULT GetStatistics(WM_READER_STATISTICS* statistics) override;
    // IWMProfile
    HRESULT GetStreamCount(DWORD* count) override;
    HRESULT GetStream(DWORD index, IWMStreamConfig** config) override;
    HRESULT GetStreamByNumber(WORD number, IWMStreamConfig** config) override;
    HRESULT ReconfigStream(IWMStreamConfig* config) override;

    ReaderStatistics Statistics();
    // Every attribute with its value whole, also one too large for the interface's WORD length.
    std::vector<HeaderStore::Attribute> Attributes() { return m_store.Attributes(); }
    // Why the last Open failed, in words.
    std::string OpenError();
    // For tests: the source to read instead of a file path (taken at the next Open).
    void UseSource(std::unique_ptr<asf::ByteSource> source);

  private:
    enum class Command { Open, Start, Stop, Close, Quit };
    ~CReader();
    HeaderStore* Store() override { return &m_store; }
    HRESULT CanEdit() override { return E_NOTIMPL; }  // a reader's header is read-only

    void Destroy();
    void Post(Command c);
    void WorkerLoop();
    HRESULT DoOpen();
    void ReadyPlayMemory();
    // Plays until the end, a Stop/Close/Quit, or an I/O failure; returns with the lock held.
    void Play(std::unique_lock<std::mutex>& lock);
    // The steps of a play (reader_play.cpp). NextTarget holds the lock and may wait on it;
    // EndPlay takes it and returns holding it; the others run without it.
    void StartPlay(PlayState& state);
    bool NextTarget(PlayState& state, std::unique_lock<std::mutex>& lock, QWORD* target);
    void PlayUpTo(PlayState& state, QWORD target);
    bool ReadAhead(PlayState& state, QWORD target);
    bool DeliverDue(PlayState& state, QWORD target);
    void Deliver(PlayState& state, asf::Sample& s, uint64_t block, bool inEarlier);
    void EndPlay(std::unique_lock<std::mutex>& lock, WMT_STATUS status, HRESULT hr);
    void Status(WMT_STATUS status, HRESULT hr);
    void DropCallback();
    bool IsOpen() const { return m_source != nullptr; }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Command> m_commands;
    std::thread m_worker;
    bool m_orphaned = false;  // released on the worker: it deletes the reader when it quits

    // Set by callers between operations; read by the worker.
    std::string m_path;
    std::unique_ptr<asf::ByteSource> m_pendingSource;
    IWMReaderCallback* m_callback = nullptr;
    IWMReaderCallbackAdvanced* m_callbackAdvanced = nullptr;
    void* m_context = nullptr;
    bool m_userClock = false;
    bool m_manualSelection = false;
    std::set<WORD> m_streamSamples;
    std::set<WORD> m_deselected;
    QWORD m_released = 0;
    uint64_t m_clockGeneration = 0;  // counts DeliverTime calls

    // The open file; touched by callers only after WMT_OPENED.
    std::unique_ptr<asf::ByteSource> m_source;
    asf::AsfLayout m_layout;
    HeaderStore m_store;
    ProfileData m_profile;
    ReaderStatistics m_statistics;
    std::string m_openError;
};

}  // namespace wm
