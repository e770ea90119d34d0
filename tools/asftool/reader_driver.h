#pragma once
// Drives a reader through one whole play as a join does: manual stream selection, stream
// samples for every stream, a user clock advanced one second at each OnTime.

#include <condition_variable>
#include <functional>
#include <mutex>

#include "com_object.h"

namespace asftool {

class ReaderDriver final : public IWMReaderCallback, public IWMReaderCallbackAdvanced {
  public:
    // Returns the write's result; a failure ends the play with it.
    using SampleSink = std::function<HRESULT(WORD stream, QWORD time, QWORD duration, DWORD flags,
                                             INSSBuffer* sample)>;
    explicit ReaderDriver(IWMReader* reader) : m_reader(reader) {}

    // Opens the file and waits for the answer.
    HRESULT Open(const std::u16string& path);
    // Selects every stream, plays to the end and stops; samples go to sink.
    HRESULT PlayAll(const SampleSink& sink);
    // Closes the file and waits for the answer.
    HRESULT Close();
    QWORD FinalClock() const { return m_clock; }

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return 2; }  // lives on the caller's stack
    ULONG Release() override { return 1; }
    HRESULT OnStatus(WMT_STATUS status, HRESULT hr, WMT_ATTR_DATATYPE, BYTE*, void*) override;
    HRESULT OnSample(DWORD, QWORD, QWORD, DWORD, INSSBuffer*, void*) override;
    HRESULT OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                           void*) override;
    HRESULT OnTime(QWORD time, void*) override;
    HRESULT OnStreamSelection(WORD, WORD*, WMT_STREAM_SELECTION*, void*) override { return S_OK; }
    HRESULT OnOutputPropsChanged(DWORD, WM_MEDIA_TYPE*, void*) override { return S_OK; }
    HRESULT AllocateForStream(WORD, DWORD, INSSBuffer**, void*) override { return E_NOTIMPL; }
    HRESULT AllocateForOutput(DWORD, DWORD, INSSBuffer**, void*) override { return E_NOTIMPL; }

  private:
    HRESULT Wait();
    void Signal(HRESULT hr);

    IWMReader* m_reader;
    wm::ComPtr<IWMReaderAdvanced> m_advanced;
    SampleSink m_sink;
    QWORD m_clock = 0;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
    bool m_playing = false;
    HRESULT m_status = S_OK;
};

}  // namespace asftool
