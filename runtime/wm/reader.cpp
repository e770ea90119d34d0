#include "reader.h"

#include "../asf/audio_spread.h"
#include "input_file.h"
#include "wide_string.h"

namespace wm {

CReader::CReader() {
    m_worker = std::thread([this] { WorkerLoop(); });
}

CReader::~CReader() {
    Post(Command::Quit);
    if (m_worker.joinable()) m_worker.join();
    DropCallback();
}

ULONG CReader::Release() {
    ULONG n = DropRefImpl();
    if (n == 0) Destroy();
    return n;
}

// The last reference dropped in one of the reader's own callbacks: the worker cannot wait for
// itself, so it finishes what is queued, stops, and deletes the reader once the callback returns.
void CReader::Destroy() {
    if (m_worker.get_id() != std::this_thread::get_id()) {
        delete this;
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_orphaned = true;
    m_commands.push_back(Command::Quit);
    m_wake.notify_all();
}

HRESULT CReader::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (Offer<IWMReader>(iid, IID_IWMReader, this, out) ||
        Offer<IWMReader>(iid, IID_IUnknown, this, out) ||
        Offer<IWMReaderAdvanced>(iid, IID_IWMReaderAdvanced, this, out) ||
        Offer<IWMProfile>(iid, IID_IWMProfile, this, out) ||
        Offer<IWMHeaderInfo>(iid, IID_IWMHeaderInfo, this, out) ||
        Offer<IWMHeaderInfo3>(iid, IID_IWMHeaderInfo3, this, out) ||
        Offer<IWMFileError>(iid, IID_IWMFileError, this, out))
        return S_OK;
    *out = nullptr;
    return E_NOINTERFACE;
}

void CReader::Post(Command c) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands.push_back(c);
    m_wake.notify_all();
}

void CReader::UseSource(std::unique_ptr<asf::ByteSource> source) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pendingSource = std::move(source);
}

HRESULT CReader::Open(LPCWSTR url, IWMReaderCallback* callback, void* context) {
    if (!url || !callback) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_callback) return NS_E_INVALID_REQUEST;  // already open
    callback->AddRef();
    m_callback = callback;
    void* advanced = nullptr;
    if (Succeeded(callback->QueryInterface(IID_IWMReaderCallbackAdvanced, &advanced)))
        m_callbackAdvanced = static_cast<IWMReaderCallbackAdvanced*>(advanced);
    m_context = context;
    m_path = ToUtf8(url);
    m_commands.push_back(Command::Open);
    m_wake.notify_all();
    return S_OK;
}

HRESULT CReader::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_callback) return NS_E_INVALID_REQUEST;
    m_commands.push_back(Command::Close);
    m_wake.notify_all();
    return S_OK;
}

HRESULT CReader::Start(QWORD start, QWORD duration, float rate, void*) {
    if (start != 0 || duration != 0 || rate <= 0) return E_NOTIMPL;  // plays whole files only
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_callback) return NS_E_INVALID_REQUEST;
    m_commands.push_back(Command::Start);
    m_wake.notify_all();
    return S_OK;
}

HRESULT CReader::Stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_callback) return NS_E_INVALID_REQUEST;
    m_commands.push_back(Command::Stop);
    m_wake.notify_all();
    return S_OK;
}

HRESULT CReader::SetUserProvidedClock(BOOL on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_userClock = on != 0;
    return S_OK;
}

HRESULT CReader::GetUserProvidedClock(BOOL* on) {
    if (!on) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_mutex);
    *on = m_userClock;
    return S_OK;
}

HRESULT CReader::DeliverTime(QWORD time) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_userClock) return E_UNEXPECTED;
    m_released = time;
    ++m_clockGeneration;
    m_wake.notify_all();
    return S_OK;
}

HRESULT CReader::SetManualStreamSelection(BOOL on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_manualSelection = on != 0;
    return S_OK;
}

HRESULT CReader::GetManualStreamSelection(BOOL* on) {
    if (!on) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_mutex);
    *on = m_manualSelection;
    return S_OK;
}

HRESULT CReader::SetStreamsSelected(WORD count, WORD* streams, WMT_STREAM_SELECTION* selections) {
    if (count && (!streams || !selections)) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (WORD i = 0; i < count; ++i) {
        if (selections[i] == WMT_OFF)
            m_deselected.insert(streams[i]);
        else
            m_deselected.erase(streams[i]);
    }
    return S_OK;
}

HRESULT CReader::SetReceiveStreamSamples(WORD stream, BOOL on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (stream == 0 || stream > 127) return E_INVALIDARG;
    if (IsOpen()) {
        bool known = false;
        for (const StreamDescription& d : m_profile.streams) known |= d.number == stream;
        if (!known) return NS_E_INVALID_STREAM;
    }
    if (on)
        m_streamSamples.insert(stream);
    else
        m_streamSamples.erase(stream);
    return S_OK;
}

HRESULT CReader::GetReceiveStreamSamples(WORD stream, BOOL* on) {
    if (!on) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_mutex);
    *on = m_streamSamples.count(stream) != 0;
    return S_OK;
}

std::string CReader::OpenError() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_openError;
}

HRESULT CReader::GetStatistics(WM_READER_STATISTICS* statistics) {
    if (!statistics || statistics->cbSize < sizeof(WM_READER_STATISTICS)) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!IsOpen()) return NS_E_INVALID_REQUEST;
    statistics->cPacketsLost =
        static_cast<DWORD>(std::min<uint64_t>(m_statistics.damagedPackets, UINT32_MAX));
    statistics->cPacketsReceived =
        static_cast<DWORD>(std::min<uint64_t>(m_layout.packetCount, UINT32_MAX));
    statistics->cPacketsRecovered = 0;
    statistics->dwBandwidth = 0;
    statistics->wQuality = 100;
    return S_OK;
}

ReaderStatistics CReader::Statistics() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_statistics;
}

void CReader::Status(WMT_STATUS status, HRESULT hr) {
    if (m_callback) m_callback->OnStatus(status, hr, WMT_TYPE_DWORD, nullptr, m_context);
}

void CReader::DropCallback() {
    IWMReaderCallback* callback;
    IWMReaderCallbackAdvanced* advanced;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        callback = m_callback;
        advanced = m_callbackAdvanced;
        m_callback = nullptr;
        m_callbackAdvanced = nullptr;
    }
    if (advanced) advanced->Release();
    if (callback) callback->Release();
}

HRESULT CReader::DoOpen() {
    std::unique_ptr<asf::ByteSource> source;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        source = std::move(m_pendingSource);
        path = m_path;
    }
    auto fail = [this](HRESULT hr, const std::string& why) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openError = why;
        return hr;
    };
    InputFile file;
    std::string why;
    HRESULT hr = S_OK;
    if (source) {
        file.source = std::move(source);
        if (!asf::ReadAsfStructure(*file.source, file.header, file.layout, why))
            hr = NS_E_INVALID_INPUT_FORMAT;
    } else {
        hr = OpenInputFile(path, file, why);
    }
    // A file that could not be opened: the reason the engine adds to its message.
    bool unopened = hr == NS_E_FILE_NOT_FOUND || hr == NS_E_FILE_OPEN_FAILED;
    SetFileError(unopened ? path + ": " + why : "");
    if (Failed(hr)) return fail(hr, why);
    asf::AsfLayout& layout = file.layout;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openError.clear();
    m_statistics = {};
    m_statistics.hasSimpleIndex = !layout.simpleIndexes.empty();
    m_layout = layout;
    m_profile.streams = DescribeStreams(file.header);
    m_store.SetFromFile(std::move(file.header));
    m_statistics.prerollMs = m_store.header.file.preroll;
    m_statistics.damagedPackets = layout.promisedPackets - layout.packetCount;
    // A spread that its error correction data cannot describe is read as stored: one damage.
    asf::AudioSpread spread;
    for (const asf::StreamProperties& s : m_store.header.streams)
        if (asf::ReadAudioSpread(s, &spread) == asf::SpreadKind::Invalid) {
            ++m_statistics.damagedPackets;
            break;
        }
    m_source = std::move(file.source);
    return S_OK;
}

void CReader::WorkerLoop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_commands.empty(); });
        Command c = m_commands.front();
        m_commands.pop_front();
        switch (c) {
            case Command::Open: {
                lock.unlock();
                HRESULT hr = DoOpen();
                Status(WMT_OPENED, hr);
                if (Succeeded(hr)) ReadyPlayMemory();
                lock.lock();
                break;
            }
            case Command::Start:
                if (IsOpen()) Play(lock);
                break;
            case Command::Stop:
                lock.unlock();
                Status(WMT_STOPPED, S_OK);
                lock.lock();
                break;
            case Command::Close:
                m_source.reset();
                lock.unlock();
                Status(WMT_CLOSED, S_OK);
                DropCallback();
                lock.lock();
                break;
            case Command::Quit:
                if (m_orphaned) {
                    lock.unlock();
                    m_worker.detach();
                    delete this;
                }
                return;
        }
    }
}

HRESULT CReader::GetStreamCount(DWORD* count) { return m_profile.GetStreamCount(count); }
HRESULT CReader::GetStream(DWORD index, IWMStreamConfig** config) {
    return m_profile.GetStream(index, config);
}
HRESULT CReader::GetStreamByNumber(WORD number, IWMStreamConfig** config) {
    return m_profile.GetStreamByNumber(number, config);
}
HRESULT CReader::ReconfigStream(IWMStreamConfig* config) {
    return m_profile.ReconfigStream(config);
}

}  // namespace wm
