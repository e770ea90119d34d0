// The metadata editor on a copy of the input in a temporary folder: open, read every attribute
// and marker, set a title, add a marker, flush, close. An edit of a file that opened must give a
// file that opens again with the edit in it and every byte after the header unchanged.

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "scratch_file.h"
#include "wm/metadata_editor.h"

namespace {

const ScratchFile& WorkFile() {
    static ScratchFile file("input.wmv");
    return file;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

uint64_t HeaderSize(const std::vector<uint8_t>& bytes) {
    asf::ByteReader r(bytes);
    r.ReadGuid();
    return r.U64();
}

// Reads every attribute, marker, script and codec entry the way a caller with buffers does.
void ReadEverything(wm::CMetadataEditor* editor) {
    WORD count = 0;
    editor->GetAttributeCount(0xFFFF, &count);
    for (WORD i = 0; i < count; ++i) {
        WORD stream = 0, nameLength = 0, length = 0;
        WMT_ATTR_DATATYPE type;
        if (Failed(editor->GetAttributeByIndex(i, &stream, nullptr, &nameLength, &type, nullptr,
                                               &length)))
            continue;
        std::vector<WCHAR> name(nameLength);
        std::vector<BYTE> value(length);
        editor->GetAttributeByIndex(i, &stream, name.data(), &nameLength, &type, value.data(),
                                    &length);
    }
    editor->GetMarkerCount(&count);
    for (WORD i = 0; i < count; ++i) {
        WORD nameLength = 0;
        QWORD time = 0;
        if (Failed(editor->GetMarker(i, nullptr, &nameLength, &time))) continue;
        std::vector<WCHAR> name(nameLength);
        editor->GetMarker(i, name.data(), &nameLength, &time);
    }
    editor->GetScriptCount(&count);
    for (WORD i = 0; i < count; ++i) {
        WORD typeLength = 0, commandLength = 0;
        QWORD time = 0;
        if (Failed(editor->GetScript(i, nullptr, &typeLength, nullptr, &commandLength, &time)))
            continue;
        std::vector<WCHAR> type(typeLength), command(commandLength);
        editor->GetScript(i, type.data(), &typeLength, command.data(), &commandLength, &time);
    }
    DWORD codecs = 0;
    editor->GetCodecInfoCount(&codecs);
    for (DWORD i = 0; i < codecs; ++i) {
        WORD nameLength = 0, descriptionLength = 0, infoSize = 0;
        WMT_CODEC_INFO_TYPE type;
        if (Failed(editor->GetCodecInfo(i, &nameLength, nullptr, &descriptionLength, nullptr, &type,
                                        &infoSize, nullptr)))
            continue;
        std::vector<WCHAR> name(nameLength), description(descriptionLength);
        std::vector<BYTE> info(infoSize);
        editor->GetCodecInfo(i, &nameLength, name.data(), &descriptionLength, description.data(),
                             &type, &infoSize, info.data());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = WorkFile().Path();
    WorkFile().Write(data, size);
    std::u16string widePath(path.begin(), path.end());
    static const char16_t kTitle[] = u"Fuzzed title";

    auto* editor = new wm::CMetadataEditor();
    WORD markers = 0;
    bool edited = false;
    if (Succeeded(editor->Open(widePath.c_str()))) {
        ReadEverything(editor);
        editor->GetMarkerCount(&markers);
        edited =
            Succeeded(editor->SetAttribute(0, u"Title", WMT_TYPE_STRING,
                                           reinterpret_cast<const BYTE*>(kTitle), sizeof kTitle)) &&
            Succeeded(editor->AddMarker(u"Fuzz", 10000000)) && Succeeded(editor->Flush());
        editor->Close();
    }
    editor->Release();
    if (!edited) return 0;

    std::vector<uint8_t> before(data, data + size);
    std::vector<uint8_t> after = ReadAll(path);
    uint64_t oldHeader = HeaderSize(before), newHeader = HeaderSize(after);
    FUZZ_CHECK(newHeader <= after.size());
    FUZZ_CHECK(std::equal(before.begin() + oldHeader, before.end(), after.begin() + newHeader,
                          after.end()));

    auto* again = new wm::CMetadataEditor();
    FUZZ_CHECK(Succeeded(again->Open(widePath.c_str())));
    WORD nowMarkers = 0;
    again->GetMarkerCount(&nowMarkers);
    FUZZ_CHECK(nowMarkers == markers + 1);
    WORD stream = 0, length = sizeof kTitle;
    WMT_ATTR_DATATYPE type;
    BYTE title[sizeof kTitle];
    FUZZ_CHECK(Succeeded(again->GetAttributeByName(&stream, u"Title", &type, title, &length)));
    FUZZ_CHECK(length == sizeof kTitle &&
               std::equal(title, title + length, reinterpret_cast<const BYTE*>(kTitle)));
    again->Close();
    again->Release();
    return 0;
}
