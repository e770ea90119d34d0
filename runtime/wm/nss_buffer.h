#pragma once
// A sample buffer the callee can read: owns its bytes, or points into a block it holds.

#include <memory>
#include <mutex>
#include <vector>

#include "com_object.h"

namespace wm {

// Takes the bytes of released buffers back for reuse.
class BufferRecycler {
  public:
    void Put(std::vector<BYTE>&& bytes);
    // Moves what came back into spares.
    void TakeAll(std::vector<std::vector<BYTE>>& spares);

  private:
    std::mutex m_mutex;
    std::vector<std::vector<BYTE>> m_free;
};

class CNssBuffer final : public INSSBuffer, private RefCount<CNssBuffer> {
    friend class RefCount<CNssBuffer>;

  public:
    CNssBuffer() = default;
    explicit CNssBuffer(std::vector<BYTE> bytes, std::shared_ptr<BufferRecycler> recycler = {})
        : m_bytes(std::move(bytes)), m_length(m_bytes.size()), m_recycler(std::move(recycler)) {}

    // Refill, only by a holder of the one reference: owned bytes (given back to the recycler
    // when done), or bytes inside a block that the buffer holds until it is done.
    void Hold(std::vector<BYTE>&& bytes, const std::shared_ptr<BufferRecycler>& recycler);
    void Hold(const BYTE* bytes, size_t length, std::shared_ptr<const void> block);
    void Drop();
    // True when the caller holds the only reference: nobody else can reach the buffer.
    bool Unshared() const { return RefsImpl() == 1; }

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetLength(DWORD* length) override;
    HRESULT SetLength(DWORD length) override;
    HRESULT GetMaxLength(DWORD* length) override;
    HRESULT GetBuffer(BYTE** buffer) override;
    HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) override;

  private:
    ~CNssBuffer() { Drop(); }
    BYTE* Data() { return m_view ? const_cast<BYTE*>(m_view) : m_bytes.data(); }
    size_t MaxLength() const { return m_view ? m_viewLength : m_bytes.size(); }

    std::vector<BYTE> m_bytes;
    const BYTE* m_view = nullptr;
    size_t m_viewLength = 0;
    size_t m_length = 0;
    std::shared_ptr<BufferRecycler> m_recycler;
    std::shared_ptr<const void> m_block;
};

}  // namespace wm
