// asftool: looks inside ASF files through the media runtime.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "file_info.h"
#include "info_printer.h"

namespace {

int Usage() {
    std::fputs("usage: asftool info [--json] FILE...\n", stderr);
    return 2;
}

int Info(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> files;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0)
            json = true;
        else
            files.push_back(argv[i]);
    }
    if (files.empty()) return Usage();
    int status = 0;
    for (const std::string& file : files) {
        asftool::FileInfo info;
        std::string error;
        HRESULT hr = asftool::ReadFileInfo(file, info, error);
        if (Failed(hr)) {
            std::fprintf(stderr, "asftool: %s: cannot be read: %s (hr=0x%08x)\n", file.c_str(),
                         error.empty() ? "error" : error.c_str(), static_cast<unsigned>(hr));
            status = 1;
            continue;
        }
        std::string text = json ? asftool::FormatJson(info) : asftool::FormatText(info);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0) return Info(argc - 2, argv + 2);
    return Usage();
}
