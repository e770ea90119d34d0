#include "fakes/recording_message_box.h"

namespace platform {

int RecordingMessageBox::Show(void* owner, const char* text, const char* caption, unsigned flags) {
    std::lock_guard<std::mutex> lock(m_lock);
    calls.push_back(
        {owner != nullptr, text ? text : "", caption ? caption : "", caption != nullptr, flags});
    size_t i = calls.size() - 1;
    return i < answers.size() ? answers[i] : IDOK;
}

}  // namespace platform
