#pragma once
// A sample buffer the callee can read: owns its bytes.

#include <vector>

#include "com_object.h"

namespace wm {

class CNssBuffer final : public INSSBuffer, private RefCount<CNssBuffer> {
    friend class RefCount<CNssBuffer>;

public:
    explicit CNssBuffer(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)), m_length(m_bytes.size()) {}

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetLength(DWORD* length) override;
    HRESULT SetLength(DWORD length) override;
    HRESULT GetMaxLength(DWORD* length) override;
    HRESULT GetBuffer(BYTE** buffer) override;
    HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) override;

private:
    ~CNssBuffer() = default;
    std::vector<BYTE> m_bytes;
    size_t m_length;
};

}  // namespace wm
