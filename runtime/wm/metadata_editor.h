#pragma once
// The metadata editor: opens a finished file's header for reading and editing. The file stays
// locked against other editors from Open to Close; a link given as the path is followed.

#include <atomic>
#include <string>

#include "../asf/safe_file.h"
#include "com_object.h"
#include "file_error.h"
#include "header_info_impl.h"

namespace wm {

class CMetadataEditor final : public IWMMetadataEditor,
                              public HeaderInfoImpl,
                              public FileErrorImpl,
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

    // When *stop becomes true, a waiting Open or a running rewrite gives up with E_ABORT and
    // leaves the file as it was.
    void SetStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }

    static constexpr uint64_t kRewritePadding = 8192;
    static constexpr int kLockWaitMs = 30000;  // for another editor of the same file

  private:
    ~CMetadataEditor() = default;
    HeaderStore* Store() override { return m_open ? &m_store : nullptr; }
    HRESULT CanEdit() override { return S_OK; }
    HRESULT Fail(HRESULT hr, int error);
    asf::Descriptor OpenForWriting();
    static bool HoldsAlready(int fd, const std::vector<uint8_t>& header);
    HRESULT RewriteInPlace(int fd, const std::vector<uint8_t>& header);
    HRESULT RewriteWhole(int fd);
    HRESULT RenderGrown(std::vector<uint8_t>& header);
    HRESULT Rewrite(int fd, const std::vector<uint8_t>& header);
    HRESULT WriteEdited(int fd, const std::vector<uint8_t>& header);
    HRESULT CopyBack(int from, int to, uint64_t size, uint64_t oldSize, bool& touched);
    void PlaceNewMarkers();
    bool Stopped() const { return m_stop && m_stop->load(); }

    bool m_open = false;
    std::string m_path;
    asf::Descriptor m_file;  // the locked file being edited
    const std::atomic<bool>* m_stop = nullptr;
    HeaderStore m_store;
    asf::AsfLayout m_layout;
    uint64_t m_fileSize = 0;
};

}  // namespace wm
