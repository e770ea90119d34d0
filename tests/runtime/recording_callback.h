#pragma once
// A reader callback that records what the reader tells it and drives its clock one step at a
// time, the way the join engine does.

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "wm/com_object.h"

struct Event {
    enum Kind { Status, Sample, Time } kind = Status;
    WMT_STATUS status = WMT_ERROR;
    HRESULT hr = S_OK;
    WORD stream = 0;
    QWORD time = 0;
    QWORD duration = 0;
    DWORD flags = 0;
    std::vector<BYTE> data;
};

class RecordingCallback : public IWMReaderCallback, public IWMReaderCallbackAdvanced {
  public:
    // step 0: no clock driving; else DeliverTime(step) at start and +step at each OnTime.
    explicit RecordingCallback(QWORD step = 10000000) : m_step(step) {}
    void Attach(IWMReaderAdvanced* advanced) { m_advanced = advanced; }

    // Waits for a status report of this kind; returns its HRESULT.
    HRESULT WaitFor(WMT_STATUS status, WMT_STATUS orStatus = WMT_STATUS(-1));
    std::vector<Event> Events();
    std::vector<Event> Samples();
    QWORD Clock() const { return m_clock; }

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return 2; }
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
    QWORD m_step;
    QWORD m_clock = 0;
    IWMReaderAdvanced* m_advanced = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Event> m_events;
    std::vector<bool> m_consumed;
};
