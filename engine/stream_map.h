#pragma once
// The pairing of the first input's streams (the writer's numbers) with the streams of the input
// in the second reader, by index of the first input's profile.

#include <vector>

#include "try_allocate.h"
#include "wm_types.h"

namespace engine {

class StreamMap {
  public:
    // count unpaired entries; false (reported) when memory runs out.
    bool Allocate(DWORD count) {
        return TryAllocate(m_writer, count) && TryAllocate(m_input, count);
    }
    void Clear() {
        m_writer.clear();
        m_input.clear();
    }
    DWORD Count() const { return DWORD(m_writer.size()); }
    void SetWriterStream(DWORD i, WORD n) { m_writer[i] = n; }
    void SetInputStream(DWORD i, WORD n) { m_input[i] = n; }
    WORD WriterStream(DWORD i) const { return m_writer[i]; }
    WORD InputStream(DWORD i) const { return m_input[i]; }
    // The writer's number for input stream n; 0 when n is not paired.
    WORD WriterStreamFor(WORD n) const {
        for (DWORD i = 0; i < Count(); ++i)
            if (m_input[i] == n) return m_writer[i];
        return 0;
    }
    // Whether input stream n already has a partner (unpaired entries hold 0).
    bool InputStreamUsed(WORD n) const {
        for (WORD used : m_input)
            if (used == n) return true;
        return false;
    }

  private:
    std::vector<WORD> m_writer;
    std::vector<WORD> m_input;
};

}  // namespace engine
