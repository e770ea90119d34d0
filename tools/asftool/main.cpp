// asftool: looks inside ASF files through the media runtime.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "file_copy.h"
#include "file_info.h"
#include "info_printer.h"
#include "platform/linux/stop_signals.h"
#include "platform/memory_tuning.h"

namespace {

const std::atomic<bool>* g_stop = nullptr;

int Usage() {
    std::fputs(
        "usage: asftool info [--json] FILE...\n"
        "       asftool copy IN OUT\n"
        "       asftool mark FILE SECONDS NAME\n",
        stderr);
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

int Fail(const std::string& error, HRESULT hr) {
    std::fprintf(stderr, "asftool: %s (hr=0x%08x)\n", error.empty() ? "failed" : error.c_str(),
                 static_cast<unsigned>(hr));
    return 1;
}

int Copy(const char* in, const char* out) {
    std::string error;
    HRESULT hr = asftool::CopyFile(in, out, error, g_stop);
    return Failed(hr) ? Fail(error, hr) : 0;
}

// Decimal seconds only: digits with at most one point, not empty, no sign, exponent or hex.
bool IsDecimalSeconds(const char* text) {
    bool digit = false, point = false;
    for (const char* c = text; *c; ++c) {
        if (*c >= '0' && *c <= '9')
            digit = true;
        else if (*c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

int Mark(const char* file, const char* seconds, const char* name) {
    double t = IsDecimalSeconds(seconds) ? std::strtod(seconds, nullptr) : -1;
    if (!(t >= 0) || t > 1e9) {
        std::fprintf(stderr, "asftool: \"%s\" is not a time in seconds\n", seconds);
        return 2;
    }
    std::string error;
    HRESULT hr = asftool::AddMarker(file, static_cast<QWORD>(t * 1e7 + 0.5), name, error, g_stop);
    return Failed(hr) ? Fail(error, hr) : 0;
}

int Run(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0) return Info(argc - 2, argv + 2);
    if (argc == 4 && std::strcmp(argv[1], "copy") == 0) return Copy(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "mark") == 0) return Mark(argv[2], argv[3], argv[4]);
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    platform::TuneAllocatorForStreaming();
    g_stop = &platform::CatchStopSignals();
    int status = Run(argc, argv);
    return platform::StopSignal() ? 128 + platform::StopSignal() : status;
}
