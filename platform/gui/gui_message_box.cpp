#include "platform/gui/gui_message_box.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

#include <chrono>
#include <thread>

#include "platform/gui/shown_text.h"

namespace platform {

int CGuiMessageBox::Show(void* owner, const char* text, const char* caption, unsigned flags) {
    if (!wxTheApp) return ConsoleMessageBox().Show(owner, text, caption, flags);
    if (wxThread::IsMain()) return ShowHere(owner, text, caption, flags);
    Request request{owner, text, caption, flags};
    std::unique_lock<std::mutex> lock(m_mutex);
    m_queue.push_back(&request);
    bool serving = m_serving > 0;
    m_changed.notify_all();
    if (!serving) {
        // The GUI thread is in its event loop: have it show the box there.
        lock.unlock();
        wxTheApp->CallAfter([this] { ServeQueued(); });
        lock.lock();
    }
    m_changed.wait(lock, [&] { return request.done; });
    return request.answer;
}

void CGuiMessageBox::ServeQueued() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_queue.empty()) {
        Request* r = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        int answer = ShowHere(r->owner, r->text, r->caption, r->flags);
        lock.lock();
        r->answer = answer;
        r->done = true;
        m_changed.notify_all();
    }
}

void CGuiMessageBox::RunServing(const std::function<void()>& work, bool dispatchEvents) {
    bool finished = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_serving;
    }
    std::thread helper([&] {
        work();
        std::lock_guard<std::mutex> lock(m_mutex);
        finished = true;
        m_changed.notify_all();
    });
    // The GUI thread serves the boxes the work asks for, waking at once for them, and when asked
    // the window's events too (its timers, Escape, the close box).
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (!m_queue.empty()) {
            lock.unlock();
            ServeQueued();
            lock.lock();
            continue;
        }
        if (finished) break;
        if (!dispatchEvents) {
            m_changed.wait(lock, [&] { return finished || !m_queue.empty(); });
            continue;
        }
        lock.unlock();
        while (loop.Pending()) loop.Dispatch();
        if (wxTheApp) wxTheApp->ProcessPendingEvents();
        lock.lock();
        m_changed.wait_for(lock, std::chrono::milliseconds(20),
                           [&] { return finished || !m_queue.empty(); });
    }
    --m_serving;
    lock.unlock();
    helper.join();
}

int CGuiMessageBox::ShowHere(void* owner, const char* text, const char* caption, unsigned flags) {
    long style = 0;
    switch (flags & 0xF) {
        case MB_OKCANCEL:
            style = wxOK | wxCANCEL;
            break;
        case MB_YESNOCANCEL:
            style = wxYES_NO | wxCANCEL;
            break;
        case MB_YESNO:
            style = wxYES_NO;
            break;
        default:
            style = wxOK;
            break;
    }
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            style |= wxICON_ERROR;
            break;
        case MB_ICONQUESTION:
            style |= wxICON_QUESTION;
            break;
        case MB_ICONWARNING:
            style |= wxICON_WARNING;
            break;
        case MB_ICONINFORMATION:
            style |= wxICON_INFORMATION;
            break;
        default:
            style |= wxICON_NONE;
            break;
    }
    wxMessageDialog box(static_cast<wxWindow*>(owner), ShownText(text ? text : ""),
                        ShownText(caption ? caption : "Error"), style | wxCENTRE);
    switch (box.ShowModal()) {
        case wxID_YES:
            return IDYES;
        case wxID_NO:
            return IDNO;
        case wxID_CANCEL:
            return IDCANCEL;
        default:
            return IDOK;
    }
}

}  // namespace platform
