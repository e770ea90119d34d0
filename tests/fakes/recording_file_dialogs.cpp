#include "fakes/recording_file_dialogs.h"

namespace platform {

namespace {

bool Reply(const std::vector<RecordingFileDialogs::Answer>& answers, size_t i,
           FileDialogResult& result) {
    if (i >= answers.size() || !answers[i].ok) return false;
    result = answers[i].result;
    return true;
}

}  // namespace

bool RecordingFileDialogs::GetOpenFileName(const FileDialogRequest& request,
                                           FileDialogResult& result) {
    openRequests.push_back(request);
    return Reply(openAnswers, openRequests.size() - 1, result);
}

bool RecordingFileDialogs::GetSaveFileName(const FileDialogRequest& request,
                                           FileDialogResult& result) {
    saveRequests.push_back(request);
    return Reply(saveAnswers, saveRequests.size() - 1, result);
}

}  // namespace platform
