#pragma once
// The file dialog service with wxFileDialog.

#include "platform/file_dialogs.h"

namespace platform {

class CWxFileDialogs : public IFileDialogs {
  public:
    bool GetOpenFileName(const FileDialogRequest& request, FileDialogResult& result) override;
    bool GetSaveFileName(const FileDialogRequest& request, FileDialogResult& result) override;
};

}  // namespace platform
