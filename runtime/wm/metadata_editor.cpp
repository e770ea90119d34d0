#include "metadata_editor.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "../asf/replacement_file.h"
#include "wide_string.h"

namespace wm {

HRESULT CMetadataEditor::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (Offer<IWMMetadataEditor>(iid, IID_IWMMetadataEditor, this, out) ||
        Offer<IWMMetadataEditor>(iid, IID_IUnknown, this, out) ||
        Offer<IWMHeaderInfo>(iid, IID_IWMHeaderInfo, this, out) ||
        Offer<IWMHeaderInfo3>(iid, IID_IWMHeaderInfo3, this, out) ||
        Offer<IWMFileError>(iid, IID_IWMFileError, this, out))
        return S_OK;
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT CMetadataEditor::Open(LPCWSTR path) {
    if (!path) return E_INVALIDARG;
    if (m_open) return NS_E_INVALID_REQUEST;
    std::string p = ToUtf8(path);
    SetFileError({});
    asf::Descriptor fd = asf::OpenLocked(p, kLockWaitMs, m_stop);
    if (!fd) {
        int error = errno;
        if (error == EINTR) return E_ABORT;
        if (error == EWOULDBLOCK)
            SetFileError(p + ": another program is editing it");
        else if (error == EINVAL)
            SetFileError(p + ": it is not a regular file (a FIFO or a device)");
        else
            SetFileError(asf::FileFailure(p, error));
        return error == ENOENT ? NS_E_FILE_NOT_FOUND : NS_E_FILE_OPEN_FAILED;
    }
    auto source = asf::FileSource::FromDescriptor(fd.Get());
    if (!source) {
        SetFileError(asf::FileFailure(p, errno));
        return NS_E_FILE_OPEN_FAILED;
    }
    asf::AsfHeader header;
    asf::AsfLayout layout;
    std::string error;
    if (!asf::ReadAsfStructure(*source, header, layout, error)) {
        SetFileError(p + ": " + error);
        return NS_E_INVALID_INPUT_FORMAT;
    }
    m_store.SetFromFile(std::move(header));
    m_layout = layout;
    m_fileSize = source->Size();
    m_path = p;
    m_file = std::move(fd);
    m_open = true;
    return S_OK;
}

HRESULT CMetadataEditor::Close() {
    if (!m_open) return NS_E_INVALID_REQUEST;
    m_open = false;
    m_store = HeaderStore{};
    m_file.Reset();
    return S_OK;
}

HRESULT CMetadataEditor::Flush() {
    if (!m_open) return NS_E_INVALID_REQUEST;
    PlaceNewMarkers();
    std::string why;
    std::vector<uint8_t> bare = m_store.header.Render(0, &why);
    if (bare.empty()) {
        SetFileError(m_path + ": " + why);
        return E_ARITHMETIC_OVERFLOW;
    }
    uint64_t old = m_layout.headerSize;
    bool fits = bare.size() == old || bare.size() + 24 <= old;
    asf::Descriptor fd = OpenForWriting();
    if (!fd) return NS_E_FILE_WRITE;
    if (!fits) return RewriteWhole(fd.Get());
    return RewriteInPlace(fd.Get(),
                          bare.size() == old ? bare : m_store.header.Render(old - bare.size()));
}

// A marker's offset points at the data packet where its time starts, found in the seek index.
void CMetadataEditor::PlaceNewMarkers() {
    if (m_layout.simpleIndexes.empty()) return;
    const asf::SimpleIndexPlace& index = m_layout.simpleIndexes.front();
    if (index.entryCount == 0 || index.interval == 0) return;
    std::unique_ptr<asf::FileSource> source;
    for (asf::Marker& m : m_store.header.markers.markers) {
        if (m.offset != 0) continue;
        if (!source) source = asf::FileSource::FromDescriptor(m_file.Get());
        asf::SimpleIndex::Entry e;
        uint64_t i = std::min<uint64_t>(m.time / index.interval, index.entryCount - 1);
        if (source && asf::ReadSimpleIndexEntry(*source, index, uint32_t(i), e))
            m.offset = 50 + uint64_t(e.packetNumber) * m_layout.packetSize;
    }
}

HRESULT CMetadataEditor::Fail(HRESULT hr, int error) {
    SetFileError(asf::FileFailure(m_path, error ? error : EIO));
    return hr;
}

// The locked file, opened for writing where its permissions allow. A file without any write
// permission is refused even where the system would let this process write it.
asf::Descriptor CMetadataEditor::OpenForWriting() {
    struct stat held, opened;
    if (fstat(m_file.Get(), &held) != 0) return Fail(NS_E_FILE_WRITE, errno), asf::Descriptor();
    if ((held.st_mode & 0222) == 0) return Fail(NS_E_FILE_WRITE, EACCES), asf::Descriptor();
    asf::Descriptor fd(open(m_path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd) return Fail(NS_E_FILE_WRITE, errno), asf::Descriptor();
    if (fstat(fd.Get(), &opened) != 0 || opened.st_dev != held.st_dev ||
        opened.st_ino != held.st_ino) {
        SetFileError(m_path + ": the file was replaced by another program");
        return asf::Descriptor();
    }
    return fd;
}

HRESULT CMetadataEditor::RewriteInPlace(int fd, const std::vector<uint8_t>& header) {
    if (HoldsAlready(fd, header)) return S_OK;  // nothing changed: nothing to write
    // Waits for the header's pages only: an fsync would force out the whole file, which right
    // after a join is hundreds of megabytes still in the page cache.
    constexpr unsigned kWaitWritten =
        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    errno = 0;
    if (pwrite(fd, header.data(), header.size(), 0) != ssize_t(header.size()) ||
        sync_file_range(fd, 0, off_t(header.size()), kWaitWritten) != 0)
        return Fail(NS_E_FILE_WRITE, errno);
    return S_OK;
}

// True when the file already starts with these bytes.
bool CMetadataEditor::HoldsAlready(int fd, const std::vector<uint8_t>& header) {
    std::vector<uint8_t> stored(header.size());
    return pread(fd, stored.data(), stored.size(), 0) == ssize_t(stored.size()) && stored == header;
}

// The header outgrew its padding: the file is written anew beside the original (beside the
// target of a link) and renamed over it with the original's mode and owner, so a failure leaves
// the original as it was. A file with other hard links is copied back into itself instead,
// once its new size is reserved, so that every name keeps seeing one file.
HRESULT CMetadataEditor::RewriteWhole(int fd) {
    const uint64_t oldSize = m_fileSize;
    std::vector<uint8_t> header;
    HRESULT hr = RenderGrown(header);
    if (Succeeded(hr)) hr = Rewrite(fd, header);
    if (Failed(hr)) {
        m_store.header.file.fileSize = oldSize;
        return hr;
    }
    m_layout.headerSize = header.size();
    m_fileSize = m_store.header.file.fileSize;
    return S_OK;
}

// The header with the rewrite's padding, and the file size that gives.
HRESULT CMetadataEditor::RenderGrown(std::vector<uint8_t>& header) {
    std::string why;
    uint64_t size = m_store.header.Render(kRewritePadding, &why).size();
    if (size == 0) {
        SetFileError(m_path + ": " + why);
        return E_ARITHMETIC_OVERFLOW;
    }
    m_store.header.file.fileSize = m_fileSize - m_layout.headerSize + size;
    header = m_store.header.Render(kRewritePadding);
    return S_OK;
}

HRESULT CMetadataEditor::Rewrite(int fd, const std::vector<uint8_t>& header) {
    struct stat st;
    if (fstat(fd, &st) != 0) return Fail(NS_E_FILE_WRITE, errno);
    asf::ReplacementFile temp;
    asf::Descriptor tempFd =
        temp.Create(m_path, ".edit-", 0600, asf::ReplacementFile::Links::Follow);
    // Locked before it takes the original's name, so a waiting editor sees the edit.
    if (!tempFd || flock(tempFd.Get(), LOCK_EX) != 0) return Fail(NS_E_FILE_WRITE, errno);
    if (HRESULT hr = WriteEdited(tempFd.Get(), header); Failed(hr)) return hr;
    if (st.st_nlink > 1) {
        bool touched = false;
        HRESULT hr = CopyBack(tempFd.Get(), fd, m_store.header.file.fileSize, m_fileSize, touched);
        if (Failed(hr) && touched)
            SetFileError(FileError() + "; the edited file is kept as " + temp.Keep());
        return hr;
    }
    if (!asf::ReplacementFile::TakeModeAndOwner(tempFd.Get(), st) || !temp.Commit())
        return Fail(NS_E_FILE_WRITE, errno);
    m_file = std::move(tempFd);  // the renamed file, locked
    return S_OK;
}

// The new header and the original's body into fd, on the disk when this returns.
HRESULT CMetadataEditor::WriteEdited(int fd, const std::vector<uint8_t>& header) {
    errno = 0;
    auto source = asf::FileSource::FromDescriptor(m_file.Get());
    if (!source || source->Size() != m_fileSize) return Fail(NS_E_FILE_READ, errno);
    int own = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    auto sink = own < 0 ? nullptr : asf::FileSink::FromDescriptor(own);
    if (!sink) return Fail(NS_E_FILE_WRITE, errno);
    sink->SyncOnFinish();
    bool ok = sink->Write(header.data(), header.size());
    std::vector<uint8_t> chunk(1u << 20);
    for (uint64_t at = m_layout.headerSize; ok && at < m_fileSize;) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), m_fileSize - at));
        ok = !Stopped() && source->ReadAt(at, chunk.data(), n) && sink->Write(chunk.data(), n);
        at += n;
    }
    ok = sink->Finish() && ok;
    if (ok) return S_OK;
    if (Stopped()) return E_ABORT;
    if (int error = sink->ErrorNumber()) Fail(NS_E_FILE_WRITE, error);
    return NS_E_FILE_WRITE;
}

// Copies the finished rewrite into the original file. Its new size is reserved first, so that
// a full disk is found before the original is touched.
HRESULT CMetadataEditor::CopyBack(int from, int to, uint64_t size, uint64_t oldSize,
                                  bool& touched) {
    if (int error = posix_fallocate(to, 0, off_t(size))) {
        touched = ftruncate(to, off_t(oldSize)) != 0;
        return Fail(NS_E_FILE_WRITE, error);
    }
    touched = true;
    std::vector<uint8_t> chunk(1u << 20);
    for (uint64_t at = 0; at < size;) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - at));
        errno = 0;
        if (pread(from, chunk.data(), n, off_t(at)) != ssize_t(n) ||
            pwrite(to, chunk.data(), n, off_t(at)) != ssize_t(n))
            return Fail(NS_E_FILE_WRITE, errno);
        at += n;
    }
    if (ftruncate(to, off_t(size)) != 0 || fsync(to) != 0) return Fail(NS_E_FILE_WRITE, errno);
    return S_OK;
}

}  // namespace wm
