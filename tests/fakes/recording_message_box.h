#pragma once
// A message box that records every call and answers from a script (IDOK once it runs out).
// Callable from any thread.

#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace platform {

class RecordingMessageBox : public IMessageBox {
  public:
    struct Call {
        bool hasOwner;
        std::string text;
        std::string caption;  // empty when null
        bool hasCaption;
        unsigned flags;
    };
    int Show(void* owner, const char* text, const char* caption, unsigned flags) override;
    std::vector<Call> calls;
    std::vector<int> answers;

  private:
    std::mutex m_lock;
};

}  // namespace platform
