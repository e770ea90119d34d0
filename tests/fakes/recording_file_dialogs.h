#pragma once
// File dialogs that record each request and answer from a script; a cancel once it runs out.

#include <vector>

#include "platform/file_dialogs.h"

namespace platform {

class RecordingFileDialogs : public IFileDialogs {
  public:
    struct Answer {
        bool ok;
        FileDialogResult result;
    };
    bool GetOpenFileName(const FileDialogRequest& request, FileDialogResult& result) override;
    bool GetSaveFileName(const FileDialogRequest& request, FileDialogResult& result) override;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<Answer> openAnswers;
    std::vector<Answer> saveAnswers;
};

}  // namespace platform
