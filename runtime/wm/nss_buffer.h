#pragma once
// A sample buffer the callee can read: owns its bytes, or points into blocks it holds, in one
// piece or several.

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "../asf/sample_piece.h"
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
    // when done), or bytes lent from blocks that the lender keeps until the buffer is unshared
    // again or it calls Keep.
    void Hold(std::vector<BYTE>&& bytes, const std::shared_ptr<BufferRecycler>& recycler);
    void Lend(const BYTE* bytes, size_t length) {
        Drop();
        m_pieces.push_back({bytes, static_cast<uint32_t>(length)});
        m_viewLength = m_length = length;
    }
    // Takes the pieces and leaves its former, empty list in their place.
    void Lend(std::vector<asf::SamplePiece>& pieces, size_t length) {
        Drop();
        m_pieces.swap(pieces);
        m_viewLength = m_length = length;
    }
    // The lent bytes' blocks, held from now on until the buffer is done; by the lender, while
    // it still holds a reference, once somebody else kept one.
    void Keep(std::shared_ptr<const void> block, std::shared_ptr<const void> earlierBlock);
    void Drop() {
        if (m_recycler || m_block || m_earlierBlock || !m_bytes.empty()) DropHeld();
        m_pieces.clear();  // keeps its room for the next pieces
        m_joined.store(false, std::memory_order_relaxed);
        m_viewLength = m_length = 0;
    }
    // True when the caller holds the only reference: nobody else can reach the buffer.
    bool Unshared() const { return RefsImpl() == 1; }
    // The bytes in pieces (one or more) inside the blocks, while they are not joined into one
    // run; valid while the buffer is held. False for a buffer of owned bytes.
    bool Pieces(const asf::SamplePiece** pieces, size_t* count) {
        if (m_pieces.empty() || m_joined.load(std::memory_order_acquire)) return false;
        *pieces = m_pieces.data();
        *count = m_pieces.size();
        return true;
    }

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
    void DropHeld();  // owned bytes back to the recycler, blocks let go of
    BYTE* Data();     // joins pieces the first time it is asked
    size_t MaxLength() const { return m_pieces.empty() ? m_bytes.size() : m_viewLength; }

    std::vector<BYTE> m_bytes;
    std::vector<asf::SamplePiece> m_pieces;
    size_t m_viewLength = 0;
    size_t m_length = 0;
    std::mutex m_joinMutex;
    std::atomic<bool> m_joined{false};  // m_bytes holds the pieces, joined
    std::shared_ptr<BufferRecycler> m_recycler;
    std::shared_ptr<const void> m_block;
    std::shared_ptr<const void> m_earlierBlock;
};

}  // namespace wm
