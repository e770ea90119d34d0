#pragma once
// The open and save file dialogs (GetOpenFileNameA, GetSaveFileNameA) as one service.

#include <string>
#include <utility>
#include <vector>

namespace platform {

constexpr unsigned OFN_READONLY = 0x1;
constexpr unsigned OFN_HIDEREADONLY = 0x4;
constexpr unsigned OFN_ALLOWMULTISELECT = 0x200;
constexpr unsigned OFN_PATHMUSTEXIST = 0x800;
constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;
constexpr unsigned OFN_EXPLORER = 0x80000;

struct FileDialogRequest {
    void* owner = nullptr;
    std::vector<std::pair<std::string, std::string>> filters;  // display text, patterns
    int filterIndex = 1;                                       // 1-based
    std::string fileName;                                      // initial name; a pattern shows none
    std::string initialFolder;
    std::string title;
    unsigned flags = 0;
};

// One chosen file as a full path; several as their full paths, in the dialog's order. (Files
// chosen in a Recent or Search view come from many folders: a folder and bare names would not do.)
struct FileDialogResult {
    std::string path;
    std::vector<std::string> paths;
    bool Several() const { return !paths.empty(); }
};

class IFileDialogs {
  public:
    virtual ~IFileDialogs() = default;
    // false when the user cancelled or the dialog failed.
    virtual bool GetOpenFileName(const FileDialogRequest& request, FileDialogResult& result) = 0;
    virtual bool GetSaveFileName(const FileDialogRequest& request, FileDialogResult& result) = 0;
};

}  // namespace platform
