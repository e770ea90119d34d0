// The header parser and the file structure around it: a header that parses must render to bytes
// that parse to the same rendering, and the layout found must lie inside the input.

#include <string>
#include <vector>

#include "asf/header.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    std::string error;

    // The header object alone, as far as its own size field says.
    asf::ByteReader r(bytes);
    r.ReadGuid();
    uint64_t claimed = r.U64();
    if (r.ok() && claimed <= size) {
        std::vector<uint8_t> object(bytes.begin(), bytes.begin() + static_cast<size_t>(claimed));
        asf::AsfHeader header;
        if (header.Parse(object, error)) {
            // Refused only with a reason: a string read without its terminator may outgrow its
            // field when written with one.
            std::string why;
            std::vector<uint8_t> once = header.Render(0, &why);
            FUZZ_CHECK(!once.empty() || !why.empty());
            if (!once.empty()) {
                asf::AsfHeader again;
                FUZZ_CHECK(again.Parse(once, error));
                FUZZ_CHECK(again.Render(0) == once);
                FUZZ_CHECK(header.Render(100).size() == once.size() + 100);
            }
        }
    }

    asf::MemorySource source(std::move(bytes));
    asf::AsfHeader header;
    asf::AsfLayout layout;
    if (asf::ReadAsfStructure(source, header, layout, error)) {
        FUZZ_CHECK(layout.packetSize > 0);
        FUZZ_CHECK(layout.firstPacketOffset == layout.headerSize + 50);
        FUZZ_CHECK(layout.dataObjectEnd <= size);
        FUZZ_CHECK(layout.packetCount <= (size - layout.firstPacketOffset) / layout.packetSize);
    }
    return 0;
}
