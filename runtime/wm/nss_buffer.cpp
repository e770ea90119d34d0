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

void CNssBuffer::Hold(std::vector<BYTE>&& bytes, const std::shared_ptr<BufferRecycler>& recycler) {
    Drop();
    m_bytes = std::move(bytes);
    m_length = m_bytes.size();
    m_recycler = recycler;
}

void CNssBuffer::Keep(std::shared_ptr<const void> block, std::shared_ptr<const void> earlierBlock) {
    m_block = std::move(block);
    m_earlierBlock = std::move(earlierBlock);
}

void CNssBuffer::DropHeld() {
    if (m_recycler) {
        m_recycler->Put(std::move(m_bytes));
        m_recycler.reset();
    }
    m_bytes = {};
    m_block.reset();
    m_earlierBlock.reset();
}

BYTE* CNssBuffer::Data() {
    if (m_pieces.empty()) return m_bytes.data();
    if (m_pieces.size() == 1) return const_cast<BYTE*>(m_pieces[0].data);
    // The pieces stay, with their blocks, for anyone already reading them.
    std::lock_guard<std::mutex> lock(m_joinMutex);
    if (!m_joined.load(std::memory_order_relaxed)) {
        m_bytes.reserve(m_viewLength);
        for (const asf::SamplePiece& p : m_pieces)
            m_bytes.insert(m_bytes.end(), p.data, p.data + p.length);
        m_joined.store(true, std::memory_order_release);
    }
    return m_bytes.data();
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
    if (length > MaxLength()) return E_INVALIDARG;
    m_length = length;
    return S_OK;
}

HRESULT CNssBuffer::GetMaxLength(DWORD* length) {
    if (!length) return E_POINTER;
    *length = static_cast<DWORD>(MaxLength());
    return S_OK;
}

HRESULT CNssBuffer::GetBuffer(BYTE** buffer) {
    if (!buffer) return E_POINTER;
    *buffer = Data();
    return S_OK;
}

HRESULT CNssBuffer::GetBufferAndLength(BYTE** buffer, DWORD* length) {
    if (!buffer || !length) return E_POINTER;
    *buffer = Data();
    *length = static_cast<DWORD>(m_length);
    return S_OK;
}

}  // namespace wm
