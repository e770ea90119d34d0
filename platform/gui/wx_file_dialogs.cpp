#include "platform/gui/wx_file_dialogs.h"

#include <wx/filedlg.h>

namespace platform {

namespace {

wxString Wildcard(const FileDialogRequest& request) {
    wxString wildcard;
    for (const auto& [text, patterns] : request.filters) {
        if (!wildcard.empty()) wildcard += "|";
        wildcard += wxString::FromUTF8(text) + "|" + wxString::FromUTF8(patterns);
    }
    return wildcard;
}

long Style(const FileDialogRequest& request, bool save) {
    long style = save ? wxFD_SAVE : wxFD_OPEN;
    if (request.flags & OFN_FILEMUSTEXIST) style |= wxFD_FILE_MUST_EXIST;
    if (request.flags & OFN_ALLOWMULTISELECT) style |= wxFD_MULTIPLE;
    return style;
}

// A pattern such as *.* picks files in the Windows dialog; here it would become a file name.
wxString InitialName(const std::string& name) {
    return name.find_first_of("*?") == std::string::npos ? wxString::FromUTF8(name) : wxString();
}

bool Run(const FileDialogRequest& request, FileDialogResult& result, bool save) {
    wxFileDialog dialog(static_cast<wxWindow*>(request.owner), wxString::FromUTF8(request.title),
                        wxString::FromUTF8(request.initialFolder), InitialName(request.fileName),
                        Wildcard(request), Style(request, save));
    if (request.filterIndex >= 1) dialog.SetFilterIndex(request.filterIndex - 1);
    if (dialog.ShowModal() != wxID_OK) return false;
    result = FileDialogResult{};
    if (save || !(request.flags & OFN_ALLOWMULTISELECT)) {
        result.path = dialog.GetPath().utf8_string();
        return !result.path.empty();
    }
    // A multiple-selection dialog has no single path, also when one file was chosen.
    wxArrayString paths;
    dialog.GetPaths(paths);
    if (paths.empty()) return false;
    if (paths.size() == 1) {
        result.path = paths[0].utf8_string();
    } else {
        for (const wxString& p : paths) result.paths.push_back(p.utf8_string());
    }
    return true;
}

}  // namespace

bool CWxFileDialogs::GetOpenFileName(const FileDialogRequest& request, FileDialogResult& result) {
    return Run(request, result, false);
}

bool CWxFileDialogs::GetSaveFileName(const FileDialogRequest& request, FileDialogResult& result) {
    return Run(request, result, true);
}

}  // namespace platform
