#include "nss_buffer.h"

namespace wm {

namespace {
constexpr size_t kMaxKept = 256;
constexpr size_t kMaxKeptCapacity = 1u << 20;
}  // namespace

void BufferRecycler::Put(std::vector<BYTE>&& bytes) {
    if (bytes.capacity() > kMaxKeptCapacity) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_free.size() < kMaxKept) m_free.push_back(std::move(bytes));
}

void BufferRecycler::TakeAll(std::vector<std::vector<BYTE>>& spares) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& v : m_free) {
        if (spares.size() >= kMaxKept) break;
        spares.push_back(std::move(v));
    }
    m_free.clear();
}

HRESULT CNssBuffer::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (Offer<INSSBuffer>(iid, IID_INSSBuffer, this, out) ||
        Offer<INSSBuffer>(iid, IID_IUnknown, this, out))
        return S_OK;
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT CNssBuffer::GetLength(DWORD* length) {
    if (!length) return E_POINTER;
    *length = static_cast<DWORD>(m_length);
    return S_OK;
}

HRESULT CNssBuffer::SetLength(DWORD length) {
    if (length > m_bytes.size()) return E_INVALIDARG;
    m_length = length;
    return S_OK;
}

HRESULT CNssBuffer::GetMaxLength(DWORD* length) {
    if (!length) return E_POINTER;
    *length = static_cast<DWORD>(m_bytes.size());
    return S_OK;
}

HRESULT CNssBuffer::GetBuffer(BYTE** buffer) {
    if (!buffer) return E_POINTER;
    *buffer = m_bytes.data();
    return S_OK;
}

HRESULT CNssBuffer::GetBufferAndLength(BYTE** buffer, DWORD* length) {
    if (!buffer || !length) return E_POINTER;
    *buffer = m_bytes.data();
    *length = static_cast<DWORD>(m_length);
    return S_OK;
}

}  // namespace wm
