#include "staged_output.h"

#include <unistd.h>

#include <cerrno>

#include "report_error.h"

namespace engine {

// The output's own error codes: a folder that cannot take the file, a name taken meanwhile.
constexpr HRESULT kOutputNotCreated = MakeHr(0xC00D001D);  // NS_E_FILE_OPEN_FAILED
constexpr HRESULT kOutputTaken = MakeHr(0x800700B7);       // ERROR_ALREADY_EXISTS

HRESULT StagedOutput::Create() {
    if (!m_file.Create(m_destination, ".join-", 0666)) {
        ReportError("Could not create the output file %s.\n",
                    asf::FileFailure(m_destination, errno).c_str());
        return kOutputNotCreated;
    }
    return S_OK;
}

void StagedOutput::Vacate() {
    if (m_file.Active()) unlink(m_file.Path().c_str());
}

HRESULT StagedOutput::Commit(bool replace) {
    if (!m_file.Active()) return E_UNEXPECTED;
    if (m_file.Commit(replace)) return S_OK;
    if (errno == EEXIST) {
        ReportError(
            "%s appeared while the files were joined; it was not replaced, and the join "
            "was not written.\n",
            m_destination.c_str());
        return kOutputTaken;
    }
    ReportError("Could not put the joined file in place: %s.\n",
                asf::FileFailure(m_destination, errno).c_str());
    return MakeHr(0x80070000u | unsigned(errno & 0xFFFF));
}

}  // namespace engine
