#pragma once
// The writer: takes a reader's profile and compressed stream samples and writes a new ASF file
// through a temporary file beside the output, renamed over it at EndWriting.

#include <memory>
#include <string>
#include <vector>

#include "../asf/packet_writer.h"
#include "com_object.h"
#include "header_store.h"
#include "profile.h"

namespace wm {

class CWriter final : public IWMWriter,
                      public IWMWriterAdvanced,
                      public IWMHeaderInfo3,
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
    // IWMHeaderInfo, IWMHeaderInfo3
    HRESULT GetAttributeCount(WORD stream, WORD* count) override;
    HRESULT GetAttributeByIndex(WORD index, WORD* stream, WCHAR* name, WORD* nameLength,
                                WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) override;
    HRESULT GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                               WORD* length) override;
    HRESULT SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                         WORD length) override;
    HRESULT GetMarkerCount(WORD* count) override;
    HRESULT GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) override;
    HRESULT AddMarker(const WCHAR* name, QWORD time) override;
    HRESULT RemoveMarker(WORD index) override;
    HRESULT GetScriptCount(WORD* count) override;
    HRESULT GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command,
                      WORD* commandLength, QWORD* time) override;
    HRESULT AddScript(const WCHAR* type, const WCHAR* command, QWORD time) override;
    HRESULT RemoveScript(WORD index) override;
    HRESULT GetCodecInfoCount(DWORD* count) override;
    HRESULT GetCodecInfo(DWORD index, WORD* nameLength, WCHAR* name, WORD* descriptionLength,
                         WCHAR* description, WMT_CODEC_INFO_TYPE* type, WORD* infoSize,
                         BYTE* info) override;
    HRESULT AddCodecInfo(const WCHAR* name, const WCHAR* description, WMT_CODEC_INFO_TYPE type,
                         WORD infoSize, const BYTE* info) override;

    // Tests: write into this sink instead of a file (EndWriting then renames nothing).
    void UseSink(std::unique_ptr<asf::ByteSink> sink);

    static constexpr uint64_t kHeaderPadding = 8192;

private:
    enum class State { Idle, Configured, Writing, Done };
    ~CWriter();
    void FinishHeader();
    void Discard();

    State m_state = State::Idle;
    std::vector<StreamDescription> m_streams;
    std::vector<bool> m_inputsWithoutProps;
    std::string m_outputPath;
    std::string m_tempPath;
    std::unique_ptr<asf::ByteSink> m_sink;
    std::unique_ptr<asf::ByteSink> m_testSink;
    std::unique_ptr<asf::PacketWriter> m_packets;
    HeaderStore m_store;
    uint64_t m_headerSize = 0;
    bool m_failed = false;
};

}  // namespace wm
