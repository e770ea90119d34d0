#pragma once
// A sample buffer the callee can read: owns its bytes.

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
    explicit CNssBuffer(std::vector<BYTE> bytes, std::shared_ptr<BufferRecycler> recycler = {})
        : m_bytes(std::move(bytes)), m_length(m_bytes.size()), m_recycler(std::move(recycler)) {}

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetLength(DWORD* length) override;
    HRESULT SetLength(DWORD length) override;
    HRESULT GetMaxLength(DWORD* length) override;
    HRESULT GetBuffer(BYTE** buffer) override;
    HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) override;

  private:
    ~CNssBuffer() {
        if (m_recycler) m_recycler->Put(std::move(m_bytes));
    }
    std::vector<BYTE> m_bytes;
    size_t m_length;
    std::shared_ptr<BufferRecycler> m_recycler;
};

}  // namespace wm
