#include <wx/app.h>
#include <wx/init.h>
#include <wx/msgdlg.h>

#include "checker/linux/linux_platform.h"

namespace kolvex {

namespace {

// The toolkit starts with the first message and only then: a run that shows nothing never
// touches the display.
enum class GuiState { kNotStarted, kRunning, kUnavailable };
GuiState g_gui = GuiState::kNotStarted;

bool StartGui() {
    if (g_gui == GuiState::kNotStarted) {
        static int argc = 1;
        static char name[] = "kolvex";
        static char* argv[] = {name, nullptr};
        wxApp::SetInstance(new wxApp);
        // A failed start has already released the application object.
        g_gui = wxEntryStart(argc, argv) ? GuiState::kRunning : GuiState::kUnavailable;
    }
    return g_gui == GuiState::kRunning;
}

long IconStyle(unsigned type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return wxICON_ERROR;
        case MB_ICONQUESTION:
            return wxICON_QUESTION;
        case MB_ICONWARNING:
            return wxICON_WARNING;
        case MB_ICONINFORMATION:
            return wxICON_INFORMATION;
        default:
            return wxICON_NONE;
    }
}

}  // namespace

bool ShowGuiMessageBox(const char* text, const char* caption, unsigned type) {
    if (!StartGui()) return false;
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(caption), wxOK | IconStyle(type));
    return true;
}

void EndGuiMessageBoxes() {
    if (g_gui != GuiState::kRunning) return;
    wxEntryCleanup();
    g_gui = GuiState::kNotStarted;
}

}  // namespace kolvex
