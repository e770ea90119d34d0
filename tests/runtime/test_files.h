#pragma once
// Small ASF files made in memory with the runtime's own writer, and a reader run over them.

#include <string>
#include <vector>

#include "asf/header.h"
#include "recording_callback.h"
#include "wm/profile.h"

struct TestSample {
    WORD stream;
    QWORD time;
    bool key;
    std::vector<BYTE> data;
};

// Stream 1 video (WMV2 160x120), stream 2 audio (WMA2), both with this buffer window.
std::vector<wm::StreamDescription> TestStreams(DWORD bufferWindow = 3000);

// An IWMProfile over stream descriptions.
class TestProfile final : public IWMProfile {
  public:
    explicit TestProfile(std::vector<wm::StreamDescription> s) { m_data.streams = std::move(s); }
    HRESULT QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetStreamCount(DWORD* c) override { return m_data.GetStreamCount(c); }
    HRESULT GetStream(DWORD i, IWMStreamConfig** c) override { return m_data.GetStream(i, c); }
    HRESULT GetStreamByNumber(WORD n, IWMStreamConfig** c) override {
        return m_data.GetStreamByNumber(n, c);
    }
    HRESULT ReconfigStream(IWMStreamConfig* c) override { return m_data.ReconfigStream(c); }

  private:
    wm::ProfileData m_data;
};

// Writes the samples with the writer into memory; the file's bytes.
std::vector<uint8_t> WriteTestFile(const std::vector<TestSample>& samples,
                                   DWORD bufferWindow = 3000);
std::vector<uint8_t> WriteTestFile(const std::vector<TestSample>& samples,
                                   std::vector<wm::StreamDescription> streams);

// The streams as a reader's profile describes them; empty when the bytes do not open.
std::vector<wm::StreamDescription> DescribeTestFile(std::vector<uint8_t> bytes);

// Reads bytes with a reader: manual selection, stream samples for every stream, clock step
// (0: no user clock). Returns every event; openResult receives the open's answer.
std::vector<Event> ReadTestFile(std::vector<uint8_t> bytes, QWORD step,
                                HRESULT* openResult = nullptr);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

// A header model with one audio stream (number 1) and packets of 3200 bytes.
asf::AsfHeader OneStreamHeader();
