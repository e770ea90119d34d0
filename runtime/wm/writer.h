#pragma once
// The writer: takes a reader's profile and compressed stream samples and writes a new ASF file
// through a temporary file beside the output, renamed over it at EndWriting.

#include <bitset>
#include <memory>
#include <string>
#include <vector>

#include "../asf/packet_writer.h"
#include "../asf/replacement_file.h"
#include "com_object.h"
#include "file_error.h"
#include "header_info_impl.h"
#include "profile.h"

namespace wm {

class CWriter final : public IWMWriter,
                      public IWMWriterAdvanced,
                      public HeaderInfoImpl,
                      public FileErrorImpl,
                      private RefCount<CWriter> {
    friend class RefCount<CWriter>;

  public:
    CWriter() = default;

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }

    // IWMWriter
    HRESULT SetProfile(IWMProfile* profile) override;
    HRESULT SetOutputFilename(LPCWSTR path) override;
    HRESULT GetInputCount(DWORD* count) override;
    HRESULT SetInputProps(DWORD input, IWMMediaProps* props) override;
    HRESULT BeginWriting() override;
    HRESULT EndWriting() override;
    // IWMWriterAdvanced
    HRESULT WriteStreamSample(WORD stream, QWORD sampleTime, DWORD sendTime, QWORD duration,
                              DWORD flags, INSSBuffer* sample) override;

    // Tests: write into this sink instead of a file (EndWriting then renames nothing).
    void UseSink(std::unique_ptr<asf::ByteSink> sink);

    static constexpr uint64_t kHeaderPadding = 8192;

  private:
    enum class State { Idle, Configured, Writing, Done };
    ~CWriter();
    HeaderStore* Store() override { return &m_store; }
    // The header is set up between SetProfile and BeginWriting.
    HRESULT CanEdit() override {
        return m_state == State::Configured ? S_OK : NS_E_INVALID_REQUEST;
    }
    void FinishHeader();
    void Discard();
    void KeepSinkError();  // the sink's failure, as the output's reason

    State m_state = State::Idle;
    std::vector<StreamDescription> m_streams;
    std::vector<bool> m_inputsWithoutProps;
    size_t m_inputsAwaitingProps = 0;   // inputs not yet set to take compressed samples
    std::bitset<128> m_writtenStreams;  // the header's stream numbers, fixed while writing
    std::string m_outputPath;
    asf::ReplacementFile m_temp;  // the output until EndWriting renames it
    std::unique_ptr<asf::ByteSink> m_sink;
    std::unique_ptr<asf::ByteSink> m_testSink;
    std::unique_ptr<asf::PacketWriter> m_packets;
    HeaderStore m_store;
    uint64_t m_headerSize = 0;
    bool m_failed = false;
};

}  // namespace wm
