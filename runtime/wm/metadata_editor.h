#pragma once
// The metadata editor: opens a finished file's header for reading and editing.

#include <string>

#include "com_object.h"
#include "header_info_impl.h"

namespace wm {

class CMetadataEditor final : public IWMMetadataEditor,
                              public HeaderInfoImpl,
                              private RefCount<CMetadataEditor> {
    friend class RefCount<CMetadataEditor>;

public:
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }

    // IWMMetadataEditor
    HRESULT Open(LPCWSTR path) override;
    HRESULT Close() override;
    HRESULT Flush() override;

    // Tests: the rewrite path writes here instead of a temporary file, renaming nothing.
    void UseRewriteSink(std::unique_ptr<asf::ByteSink> sink) { m_testSink = std::move(sink); }

    static constexpr uint64_t kRewritePadding = 8192;

private:
    ~CMetadataEditor() = default;
    HeaderStore* Store() override { return m_open ? &m_store : nullptr; }
    HRESULT CanEdit() override { return S_OK; }
    HRESULT RewriteInPlace(const std::vector<uint8_t>& header);
    HRESULT RewriteWhole();
    void PlaceNewMarkers();

    bool m_open = false;
    std::string m_path;
    HeaderStore m_store;
    asf::AsfLayout m_layout;
    uint64_t m_fileSize = 0;
    std::unique_ptr<asf::ByteSink> m_testSink;
};

}  // namespace wm
