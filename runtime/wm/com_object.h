#pragma once
// Reference counting and interface lookup shared by the runtime's objects.

#include <atomic>
#include <utility>

#include "wm_interfaces.h"

namespace wm {

// Counts references for a final class Derived; the object starts with one reference.
template <class Derived>
class RefCount {
  protected:
    ULONG AddRefImpl() { return ++m_refs; }
    ULONG RefsImpl() const { return m_refs.load(); }
    ULONG ReleaseImpl() {
        ULONG n = --m_refs;
        if (n == 0) delete static_cast<Derived*>(this);
        return n;
    }

  private:
    std::atomic<ULONG> m_refs{1};
};

// Hands out p as interface I when iid asks for it.
template <class I>
bool Offer(REFIID iid, const GUID& id, I* p, void** out) {
    if (iid != id) return false;
    p->AddRef();
    *out = p;
    return true;
}

// Holds one reference and gives it back when it goes.
template <class I>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    void Reset(I* p = nullptr) {
        if (m_p) m_p->Release();
        m_p = p;
    }
    I** Out() {
        Reset();
        return &m_p;
    }
    void Swap(ComPtr& other) { std::swap(m_p, other.m_p); }
    I* Get() const { return m_p; }
    I* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

  private:
    I* m_p = nullptr;
};

}  // namespace wm
