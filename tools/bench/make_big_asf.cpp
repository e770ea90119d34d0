// make_big_asf SAMPLE OUT MEGABYTES: a large ASF file for benchmarks, made by writing the
// sample's compressed samples over and over, each round shifted to follow the last.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "nss_buffer.h"
#include "reader.h"
#include "reader_driver.h"
#include "text/utf.h"

namespace {

struct Kept {
    WORD stream;
    QWORD time;
    DWORD flags;
    std::vector<BYTE> data;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: make_big_asf SAMPLE OUT MEGABYTES\n", stderr);
        return 2;
    }
    uint64_t target = std::strtoull(argv[3], nullptr, 10) << 20;
    auto* reader = new wm::CReader();
    asftool::ReaderDriver driver(reader);
    std::vector<Kept> samples;
    QWORD end = 0;
    HRESULT hr = driver.Open(text::Utf8ToUtf16(argv[1]));
    if (Succeeded(hr))
        hr = driver.PlayAll([&](WORD stream, QWORD time, QWORD, DWORD flags, INSSBuffer* s) {
            BYTE* p;
            DWORD n;
            s->GetBufferAndLength(&p, &n);
            samples.push_back(
                {stream, time, flags & WM_SF_CLEANPOINT, std::vector<BYTE>(p, p + n)});
            end = std::max(end, time);
            return S_OK;
        });
    wm::ComPtr<IWMWriter> writer;
    wm::ComPtr<IWMWriterAdvanced> advanced;
    if (Succeeded(hr)) hr = WMCreateWriter(nullptr, writer.Out());
    if (Succeeded(hr)) hr = writer.As(advanced);
    if (Succeeded(hr)) hr = writer->SetProfile(reader);
    if (Succeeded(hr)) hr = writer->SetOutputFilename(text::Utf8ToUtf16(argv[2]).c_str());
    DWORD inputs = 0;
    if (Succeeded(hr)) writer->GetInputCount(&inputs);
    for (DWORD i = 0; i < inputs; ++i) writer->SetInputProps(i, nullptr);
    if (Succeeded(hr)) hr = writer->BeginWriting();
    uint64_t bytes = 0;
    QWORD round = (end / 10000000 + 1) * 10000000;
    for (QWORD offset = 0; Succeeded(hr) && bytes < target; offset += round) {
        for (const Kept& k : samples) {
            auto* buffer = new wm::CNssBuffer(k.data);
            hr = advanced->WriteStreamSample(k.stream, k.time + offset, 0, 0, k.flags, buffer);
            buffer->Release();
            bytes += k.data.size();
            if (Failed(hr)) break;
        }
    }
    if (Succeeded(hr)) hr = writer->EndWriting();
    driver.Close();
    reader->Release();
    if (Failed(hr)) {
        std::fprintf(stderr, "make_big_asf: failed (hr=0x%08x)\n", static_cast<unsigned>(hr));
        return 1;
    }
    return 0;
}
