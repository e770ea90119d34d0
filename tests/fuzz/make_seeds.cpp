// Makes the seed corpus: each bundled sample cut to its first packets, its header with an empty
// data object, small files from the runtime's own writer, and the shipped language files in the
// encodings the INI reader accepts.
// Usage: fuzz_make_seeds <samples folder> <language folder> <corpus folder>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../runtime/test_files.h"
#include "asf/asf_guids.h"
#include "asf/header.h"

namespace fs = std::filesystem;

namespace {

void Save(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::printf("%s %zu\n", path.c_str(), bytes.size());
}

// The sample's header, rendered again with the counts of a file of `packets` packets, and that
// many packets in a data object.
bool Cut(const std::vector<uint8_t>& file, uint64_t packets, std::vector<uint8_t>& out) {
    asf::MemorySource source(file);
    asf::AsfHeader header;
    asf::AsfLayout layout;
    std::string error;
    if (!asf::ReadAsfStructure(source, header, layout, error)) return false;
    packets = std::min(packets, layout.packetCount);
    uint64_t dataBytes = packets * layout.packetSize;
    header.file.dataPacketsCount = packets;
    header.file.fileSize = 0;
    out = header.Render(0);
    header.file.fileSize = out.size() + 50 + dataBytes;
    out = header.Render(0);
    asf::ByteWriter w;
    w.WriteGuid(asf::guids::kData);
    w.U64(50 + dataBytes);
    w.Bytes(file.data() + layout.dataObjectOffset + 16 + 8, 16);  // file id
    w.U64(packets);
    w.U16(0x0101);
    w.Bytes(file.data() + layout.firstPacketOffset, static_cast<size_t>(dataBytes));
    out.insert(out.end(), w.Buffer().begin(), w.Buffer().end());
    return true;
}

std::vector<uint8_t> Utf16Le(const std::vector<uint8_t>& utf8) {
    std::vector<uint8_t> out = {0xFF, 0xFE};
    for (size_t i = 0; i < utf8.size();) {
        uint32_t c = utf8[i];
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        c &= extra ? 0x3F >> extra : 0x7F;
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) c = c << 6 | (utf8[i + k] & 0x3F);
        i += 1 + extra;
        if (c >= 0x10000) {
            c -= 0x10000;
            uint16_t hi = 0xD800 | (c >> 10), lo = 0xDC00 | (c & 0x3FF);
            out.insert(out.end(), {uint8_t(hi), uint8_t(hi >> 8), uint8_t(lo), uint8_t(lo >> 8)});
        } else {
            out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <samples folder> <language folder> <corpus folder>\n",
                     argv[0]);
        return 2;
    }
    fs::path samples(argv[1]), languages(argv[2]), corpus(argv[3]);

    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(samples)) {
        std::string ext = e.path().extension().string();
        if (ext == ".wmv" || ext == ".wma" || ext == ".asf") files.push_back(e.path());
    }
    for (const fs::path& p : files) {
        std::vector<uint8_t> bytes = ReadWholeFile(p.string()), out;
        std::string stem = p.stem().string();
        if (Cut(bytes, 3, out))
            Save(corpus / "asf_file" / (stem + "_3_packets" + p.extension().string()), out);
        if (Cut(bytes, 0, out))
            Save(corpus / "asf_header" / (stem + "_header" + p.extension().string()), out);
    }

    // From the writer: whole samples only, then a video frame split over several packets; both
    // with a Simple Index.
    std::vector<uint8_t> small(40, 0x11), large(9000, 0x22);
    Save(corpus / "asf_file" / "writer_whole_samples.wmv",
         WriteTestFile({{1, 0, true, small},
                        {2, 0, true, small},
                        {2, 2000000, true, small},
                        {1, 10000000, false, small},
                        {2, 12000000, true, small}}));
    Save(corpus / "asf_file" / "writer_fragmented_frame.wmv",
         WriteTestFile({{1, 0, true, large}, {2, 500000, true, small}, {1, 20000000, true, small}},
                       500));

    auto language = [&](const char* name) { return ReadWholeFile((languages / name).string()); };
    Save(corpus / "ini" / "English.ini", language("English.ini"));
    Save(corpus / "ini" / "Chinese_Simplified_utf-8.ini", language("Chinese_Simplified_utf-8.ini"));
    Save(corpus / "ini" / "French_unicode.ini", Utf16Le(language("French.ini")));
    std::vector<uint8_t> bom = {0xEF, 0xBB, 0xBF}, russian = language("Russian.ini");
    bom.insert(bom.end(), russian.begin(), russian.end());
    Save(corpus / "ini" / "Russian_bom.ini", bom);
    std::string quoted =
        "STRING/IDS_MESSAGE_JOIN\r\n[STRING]\r\n IDS_MESSAGE_JOIN = \"Join\\tthe\\nfiles\\r\" \r\n"
        "[string]\r\nIDS_MESSAGE_JOIN=second\r\n";
    Save(corpus / "ini" / "quoted_first_line_key.ini",
         std::vector<uint8_t>(quoted.begin(), quoted.end()));
    return 0;
}
