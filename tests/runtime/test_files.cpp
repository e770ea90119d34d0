#include "test_files.h"

#include <fstream>
#include <iterator>

#include "asf/asf_guids.h"
#include "wm/nss_buffer.h"
#include "wm/reader.h"
#include "wm/writer.h"

std::vector<wm::StreamDescription> TestStreams(DWORD bufferWindow) {
    asf::StreamProperties video;
    video.streamType = asf::guids::kVideoMedia;
    video.flags = 1;
    asf::ByteWriter v;
    v.U32(160);
    v.U32(120);
    v.U8(2);
    v.U16(40);
    v.U32(40);
    v.U32(160);
    v.U32(120);
    v.U16(1);
    v.U16(24);
    v.Bytes("WMV2", 4);
    v.U32(160 * 120 * 3);
    v.Zeros(16);
    video.typeSpecific = v.Take();

    asf::StreamProperties audio;
    audio.streamType = asf::guids::kAudioMedia;
    audio.flags = 2;
    asf::ByteWriter a;
    a.U16(0x161);
    a.U16(1);
    a.U32(22050);
    a.U32(4000);
    a.U16(185);
    a.U16(16);
    a.U16(0);
    audio.typeSpecific = a.Take();

    std::vector<wm::StreamDescription> out(2);
    out[0].number = 1;
    out[0].type = wm::MediaTypeFromStream(video, 0, 0);
    out[1].number = 2;
    out[1].type = wm::MediaTypeFromStream(audio, 0, 0);
    for (auto& d : out) d.bufferWindow = bufferWindow;
    return out;
}

std::vector<uint8_t> WriteTestFile(const std::vector<TestSample>& samples, DWORD bufferWindow) {
    return WriteTestFile(samples, TestStreams(bufferWindow));
}

std::vector<uint8_t> WriteTestFile(const std::vector<TestSample>& samples,
                                   std::vector<wm::StreamDescription> streams) {
    TestProfile profile(std::move(streams));
    auto* writer = new wm::CWriter();
    auto sink = std::make_unique<asf::MemorySink>();
    asf::MemorySink* bytes = sink.get();
    writer->UseSink(std::move(sink));
    writer->SetProfile(&profile);
    DWORD inputs = 0;
    writer->GetInputCount(&inputs);
    for (DWORD i = 0; i < inputs; ++i) writer->SetInputProps(i, nullptr);
    std::vector<uint8_t> out;
    if (Succeeded(writer->BeginWriting())) {
        for (const TestSample& s : samples) {
            auto* buffer = new wm::CNssBuffer(s.data);
            writer->WriteStreamSample(s.stream, s.time, 0, 0, s.key ? WM_SF_CLEANPOINT : 0, buffer);
            buffer->Release();
        }
        if (Succeeded(writer->EndWriting())) out = bytes->Bytes();
    }
    writer->Release();
    return out;
}

std::vector<Event> ReadTestFile(std::vector<uint8_t> bytes, QWORD step, HRESULT* openResult) {
    auto* reader = new wm::CReader();
    RecordingCallback callback(step);
    callback.Attach(reader);
    reader->UseSource(std::make_unique<asf::MemorySource>(std::move(bytes)));
    reader->Open(u"memory.wmv", &callback, nullptr);
    HRESULT hr = callback.WaitFor(WMT_OPENED);
    if (openResult) *openResult = hr;
    if (Succeeded(hr)) {
        reader->SetManualStreamSelection(1);
        DWORD count = 0;
        reader->GetStreamCount(&count);
        for (DWORD i = 0; i < count; ++i) {
            wm::ComPtr<IWMStreamConfig> config;
            WORD number = 0;
            reader->GetStream(i, config.Out());
            config->GetStreamNumber(&number);
            reader->SetReceiveStreamSamples(number, 1);
        }
        reader->SetUserProvidedClock(step != 0);
        reader->Start(0, 0, 1.0f, nullptr);
        callback.WaitFor(WMT_EOF, WMT_ERROR);
        reader->Stop();
        callback.WaitFor(WMT_STOPPED);
    }
    reader->Close();
    reader->Release();
    return callback.Events();
}

std::vector<wm::StreamDescription> DescribeTestFile(std::vector<uint8_t> bytes) {
    auto* reader = new wm::CReader();
    RecordingCallback callback(0);
    reader->UseSource(std::make_unique<asf::MemorySource>(std::move(bytes)));
    reader->Open(u"memory.wmv", &callback, nullptr);
    std::vector<wm::StreamDescription> streams;
    if (Succeeded(callback.WaitFor(WMT_OPENED))) wm::ReadProfile(reader, streams);
    reader->Close();
    reader->Release();
    return streams;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

asf::AsfHeader OneStreamHeader() {
    asf::AsfHeader h;
    h.file.minPacketSize = h.file.maxPacketSize = 3200;
    asf::StreamProperties s;
    s.flags = 1;
    s.streamType = asf::guids::kAudioMedia;
    h.streams.push_back(s);
    return h;
}
