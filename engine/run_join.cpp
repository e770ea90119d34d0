#include "run_join.h"

#include "join_checks.h"
#include "report_error.h"

namespace engine {

namespace {

// Releases the wide copies on every exit.
struct WideNames {
    WCHAR* first = nullptr;
    WCHAR* second = nullptr;
    WCHAR* output = nullptr;
    ~WideNames() {
        delete[] first;
        delete[] second;
        delete[] output;
    }
};

}  // namespace

HRESULT RunJoin(CMerger& merger, const char* first, const char* second, const char* output) {
    HRESULT hr = merger.Init();
    if (Failed(hr)) return hr;
    WideNames wide;
    if (Failed(hr = ToWideString(first, &wide.first)) ||
        Failed(hr = ToWideString(second, &wide.second)) ||
        Failed(hr = ToWideString(output, &wide.output))) {
        ReportError("Failed to convert file name to wchar string (hr=0x%08x)\n", hr);
        return hr;
    }
    BOOL match = 0;
    if (Failed(hr = merger.OpenInputs(wide.first, wide.second, &match))) return hr;
    if (!match) {
        ReportError("Profile Mismatch\nCan not continue... Aborting the process\n");
        return E_FAIL;
    }
    if (Failed(hr = merger.Configure(wide.output))) return hr;
    if (Failed(hr = merger.Merge())) return hr;
    return merger.Cleanup();
}

}  // namespace engine
