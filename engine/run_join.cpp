#include "run_join.h"

#include <cstring>

#include "join_checks.h"
#include "report_error.h"
#include "staged_output.h"

namespace engine {

namespace {

// UTF-16 copy of a UTF-8 path; E_INVALIDARG for none.
HRESULT ToWide(const char* path, std::u16string& out) {
    return Utf8ToWide(path, out) ? S_OK : E_INVALIDARG;
}

}  // namespace

HRESULT RunJoin(CMerger& merger, const char* first, const char* second, const char* output,
                bool replace) {
    HRESULT hr = merger.Init();
    if (Failed(hr)) return hr;
    std::u16string wideFirst, wideSecond, wideOutput;
    if (Failed(hr = ToWide(first, wideFirst)) || Failed(hr = ToWide(second, wideSecond)) ||
        Failed(hr = ToWide(output, wideOutput))) {
        ReportError("Failed to convert file name to wchar string (hr=0x%08x)\n", hr);
        return hr;
    }
    BOOL match = 0;
    if (Failed(hr = merger.OpenInputs(wideFirst.c_str(), wideSecond.c_str(), &match))) return hr;
    if (!match) {
        ReportError("Profile Mismatch\nCan not continue... Aborting the process\n");
        return E_FAIL;
    }
    StagedOutput staged(output);
    if (Failed(hr = staged.Create())) return hr;
    if (Failed(hr = ToWide(staged.Path().c_str(), wideOutput))) return hr;
    if (Failed(hr = merger.Configure(wideOutput.c_str()))) return hr;
    staged.Vacate();
    if (Failed(hr = merger.Merge())) return hr;
    if (Failed(hr = merger.Cleanup())) return hr;
    // A stop asked for until here still writes nothing; past here the join is complete.
    if (!merger.PassCommitPoint()) return kJoinStopped;
    return staged.Commit(replace);
}

std::vector<std::string> DamagedInputLines(const CMerger& merger) {
    std::vector<std::string> lines;
    const std::vector<std::string>& paths = merger.InputPaths();
    for (int k = 0; k < int(paths.size()); ++k) {
        DWORD damaged = merger.DamagedPackets(k);
        if (!merger.InputPlaced(k) || damaged == 0) continue;
        lines.push_back(paths[k] + ": " + std::to_string(damaged) +
                        (damaged == 1 ? " damaged packet skipped" : " damaged packets skipped"));
    }
    return lines;
}

}  // namespace engine
