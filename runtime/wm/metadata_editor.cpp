#include "metadata_editor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "wide_string.h"

namespace wm {

HRESULT CMetadataEditor::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (Offer<IWMMetadataEditor>(iid, IID_IWMMetadataEditor, this, out) ||
        Offer<IWMMetadataEditor>(iid, IID_IUnknown, this, out) ||
        Offer<IWMHeaderInfo>(iid, IID_IWMHeaderInfo, this, out) ||
        Offer<IWMHeaderInfo3>(iid, IID_IWMHeaderInfo3, this, out))
        return S_OK;
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT CMetadataEditor::Open(LPCWSTR path) {
    if (!path) return E_INVALIDARG;
    if (m_open) return NS_E_INVALID_REQUEST;
    std::string p = ToUtf8(path);
    std::error_code ec;
    if (!std::filesystem::exists(p, ec)) return NS_E_FILE_NOT_FOUND;
    auto source = asf::FileSource::Open(p);
    if (!source) return NS_E_FILE_OPEN_FAILED;
    asf::AsfHeader header;
    asf::AsfLayout layout;
    std::string error;
    if (!asf::ReadAsfStructure(*source, header, layout, error)) return NS_E_INVALID_INPUT_FORMAT;
    m_store.SetFromFile(std::move(header));
    m_layout = layout;
    m_fileSize = source->Size();
    m_path = p;
    m_open = true;
    return S_OK;
}

HRESULT CMetadataEditor::Close() {
    if (!m_open) return NS_E_INVALID_REQUEST;
    m_open = false;
    m_store = HeaderStore{};
    return S_OK;
}

HRESULT CMetadataEditor::Flush() {
    if (!m_open) return NS_E_INVALID_REQUEST;
    PlaceNewMarkers();
    std::vector<uint8_t> bare = m_store.header.Render(0);
    uint64_t old = m_layout.headerSize;
    if (bare.size() == old || bare.size() + 24 <= old)
        return RewriteInPlace(bare.size() == old ? bare : m_store.header.Render(old - bare.size()));
    return RewriteWhole();
}

// A marker's offset points at the data packet where its time starts, found in the seek index.
void CMetadataEditor::PlaceNewMarkers() {
    if (m_layout.simpleIndexes.empty()) return;
    const asf::SimpleIndex& index = m_layout.simpleIndexes.front();
    for (asf::Marker& m : m_store.header.markers.markers) {
        if (m.offset != 0 || index.entries.empty() || index.interval == 0) continue;
        uint64_t i = std::min<uint64_t>(m.time / index.interval, index.entries.size() - 1);
        m.offset = 50 + uint64_t(index.entries[i].packetNumber) * m_layout.packetSize;
    }
}

HRESULT CMetadataEditor::RewriteInPlace(const std::vector<uint8_t>& header) {
    std::FILE* f = std::fopen(m_path.c_str(), "r+b");
    if (!f) return NS_E_FILE_WRITE;
    bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok ? S_OK : NS_E_FILE_WRITE;
}

// The header outgrew its padding: the file is written anew beside the original and renamed over
// it, so a failure leaves the original as it was.
HRESULT CMetadataEditor::RewriteWhole() {
    uint64_t oldHeader = m_layout.headerSize;
    uint64_t growth = m_store.header.Render(kRewritePadding).size();
    m_store.header.file.fileSize = m_fileSize - oldHeader + growth;
    std::vector<uint8_t> header = m_store.header.Render(kRewritePadding);

    auto source = asf::FileSource::Open(m_path);
    if (!source || source->Size() != m_fileSize) return NS_E_FILE_READ;
    std::string temp;
    std::unique_ptr<asf::ByteSink> sink = std::move(m_testSink);
    if (!sink) {
        std::filesystem::path p(m_path);
        temp = (p.parent_path() / ("." + p.filename().string() + ".edit")).string();
        sink = asf::FileSink::Create(temp);
        if (!sink) return NS_E_FILE_WRITE;
    }
    bool ok = sink->Write(header.data(), header.size());
    std::vector<uint8_t> chunk(1u << 20);
    for (uint64_t at = oldHeader; ok && at < m_fileSize;) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), m_fileSize - at));
        ok = source->ReadAt(at, chunk.data(), n) && sink->Write(chunk.data(), n);
        at += n;
    }
    ok = sink->Finish() && ok;
    sink.reset();
    std::error_code ec;
    if (ok && !temp.empty()) {
        std::filesystem::rename(temp, m_path, ec);
        ok = !ec;
    }
    if (!ok) {
        if (!temp.empty()) std::filesystem::remove(temp, ec);
        return NS_E_FILE_WRITE;
    }
    m_layout.headerSize = header.size();
    m_fileSize = m_store.header.file.fileSize;
    return S_OK;
}

}  // namespace wm
