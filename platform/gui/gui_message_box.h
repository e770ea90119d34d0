#pragma once
// The message box of a wxWidgets program. Callable from any thread: a call from another thread is
// carried out on the GUI thread, and RunServing lets the GUI thread wait for blocking work while
// it keeps showing such boxes, so that a message from the work never deadlocks.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/message_box.h"

namespace platform {

class CGuiMessageBox : public IMessageBox {
  public:
    int Show(void* owner, const char* text, const char* caption, unsigned flags) override;

    // Runs work on a helper thread and returns when it has finished. Meanwhile this thread (the
    // GUI thread) shows the boxes other threads ask for and, with dispatchEvents, handles the
    // windows' events as well; otherwise nothing else.
    void RunServing(const std::function<void()>& work, bool dispatchEvents = false);

  protected:
    // Shows the box on the GUI thread; owner is a wxWindow or null; null caption means "Error".
    virtual int ShowHere(void* owner, const char* text, const char* caption, unsigned flags);

  private:
    struct Request {
        void* owner;
        const char* text;
        const char* caption;
        unsigned flags;
        int answer = 0;
        bool done = false;
    };
    // Shows the queued boxes; called on the GUI thread.
    void ServeQueued();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Request*> m_queue;
    int m_serving = 0;  // RunServing calls in progress
};

}  // namespace platform
