#pragma once
// Reference counting and interface lookup shared by the runtime's objects.

#include <atomic>
#include <cstddef>
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
    // Drops a reference without deleting at zero, for an object that decides how it goes.
    ULONG DropRefImpl() { return --m_refs; }

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

template <class I>
class ComPtr;

// Asks from (may be null: E_POINTER) for its interface J, into out; out may hold from.
template <class J>
HRESULT Query(IUnknown* from, ComPtr<J>& out) {
    void* answer = nullptr;
    HRESULT hr = from ? from->QueryInterface(J::kIid, &answer) : E_POINTER;
    out.Attach(Succeeded(hr) ? static_cast<J*>(answer) : nullptr);
    return hr;
}

// Holds one reference and gives it back when it goes. A copy holds a reference of its own; a
// move hands the one it has over.
template <class I>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares p: takes a reference of its own (p may be null).
    explicit ComPtr(I* p) : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(other.Detach()) {}
    ComPtr& operator=(ComPtr other) noexcept {
        Swap(other);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() { Attach(nullptr); }
    // Takes over p's reference, giving back the one held.
    void Attach(I* p) {
        I* old = std::exchange(m_p, p);
        if (old) old->Release();
    }
    // Hands the reference held to the caller; empty afterwards.
    [[nodiscard]] I* Detach() { return std::exchange(m_p, nullptr); }
    I** Out() {
        Reset();
        return &m_p;
    }
    // Asks the object held for its interface J, into out; E_POINTER when empty.
    template <class J>
    HRESULT As(ComPtr<J>& out) const {
        return Query(m_p, out);
    }
    void Swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }
    I* Get() const { return m_p; }
    I* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

  private:
    I* m_p = nullptr;
};

}  // namespace wm
