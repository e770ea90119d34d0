#include "block_sink.h"

#include <algorithm>
#include <cstring>

namespace wm {

BlockSink::BlockSink(std::unique_ptr<asf::ByteSink> below)
    : m_below(std::move(below)),
      m_position(m_below->Position()),
      m_block(block_memory::TakeChunk(block_memory::kLargeChunkBytes)) {}

bool BlockSink::Fail() {
    if (!m_failed) m_error = m_below->ErrorNumber();  // the first failure is the one reported
    m_failed = true;
    m_size = 0;  // dropped: the output is discarded anyway
    return false;
}

bool BlockSink::WriteOut() {
    if (m_failed) return false;
    const size_t whole = std::min(m_size, kBlockBytes);
    if (!m_below->Write(m_block.get(), whole)) return Fail();
    m_size -= whole;
    std::memmove(m_block.get(), m_block.get() + whole, m_size);
    return true;
}

bool BlockSink::Write(const void* data, size_t n) {
    if (m_failed) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (n > 0) {
        size_t take = std::min(n, kBlockBytes - m_size);
        std::memcpy(m_block.get() + m_size, bytes, take);
        m_size += take;
        bytes += take;
        n -= take;
        m_position += take;
        if (m_size == kBlockBytes && !WriteOut()) return false;
    }
    return true;
}

uint8_t* BlockSink::Claim(size_t n) {
    m_claimStaged = n > kClaimRoom;
    if (m_claimStaged) return ByteSink::Claim(n);
    return m_block.get() + m_size;  // below kBlockBytes: the room is there
}

bool BlockSink::Commit(size_t n) {
    if (m_claimStaged) {
        m_claimStaged = false;
        return ByteSink::Commit(n);
    }
    if (m_failed) return false;
    n = std::min(n, kClaimRoom);
    m_size += n;
    m_position += n;
    return m_size < kBlockBytes || WriteOut();
}

bool BlockSink::WriteAt(uint64_t offset, const void* data, size_t n) {
    if (m_size != 0 && !WriteOut()) return false;
    if (m_failed) return false;
    return m_below->WriteAt(offset, data, n) || Fail();
}

bool BlockSink::Finish() {
    bool written = (m_size == 0 || WriteOut()) && !m_failed;
    bool finished = m_below->Finish();  // closes below even after a failure
    if (!finished) Fail();
    return written && finished;
}

}  // namespace wm
