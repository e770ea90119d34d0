#include "fake_runtime.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <random>
#include <thread>

namespace fake {

namespace {

constexpr GUID kVideo = GUID::FromText("73646976-0000-0010-8000-00AA00389B71");
constexpr GUID kAudio = GUID::FromText("73647561-0000-0010-8000-00AA00389B71");
constexpr GUID kVideoInfo = GUID::FromText("05589F80-C356-11CE-BF01-00AA0055595A");
constexpr GUID kWaveFormatEx = GUID::FromText("05589F81-C356-11CE-BF01-00AA0055595A");

template <class I>
bool Give(REFIID iid, const GUID& id, I* p, void** out) {
    if (iid != id) return false;
    p->AddRef();
    *out = p;
    return true;
}

void Put32(std::vector<BYTE>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = BYTE(v >> (8 * i));
}

HRESULT CopyText(const std::u16string& s, WCHAR* to, WORD* length) {
    WORD needed = WORD(s.size() + 1);
    if (!to) {
        *length = needed;
        return S_OK;
    }
    if (*length < needed) return ASF_E_BUFFERTOOSMALL;
    std::memcpy(to, s.c_str(), needed * sizeof(WCHAR));
    *length = needed;
    return S_OK;
}

// The header operations over a HeaderData, shared by reader, writer and editor.
class HeaderImpl : public IWMHeaderInfo3 {
  public:
    virtual HeaderData& Data() = 0;
    virtual HRESULT Check(const char*) { return S_OK; }

    HRESULT GetAttributeCount(WORD, WORD* count) override {
        *count = WORD(Data().attributes.size());
        return S_OK;
    }
    HRESULT GetAttributeByIndex(WORD, WORD*, WCHAR*, WORD*, WMT_ATTR_DATATYPE*, BYTE*,
                                WORD*) override {
        return E_NOTIMPL;
    }
    HRESULT GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                               WORD* length) override {
        if (HRESULT hr = Check("GetAttributeByName"); Failed(hr)) return hr;
        const HeaderData::Attribute* a = Data().Find(*stream, name);
        if (!a) return ASF_E_NOTFOUND;
        *type = a->type;
        if (!value) {
            *length = WORD(a->value.size());
            return S_OK;
        }
        if (*length < a->value.size()) return ASF_E_BUFFERTOOSMALL;
        std::memcpy(value, a->value.data(), a->value.size());
        *length = WORD(a->value.size());
        return S_OK;
    }
    HRESULT SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                         WORD length) override {
        if (HRESULT hr = Check("SetAttribute"); Failed(hr)) return hr;
        Data().Set(stream, name, type, std::vector<BYTE>(value, value + length));
        return S_OK;
    }
    HRESULT GetMarkerCount(WORD* count) override {
        *count = WORD(Data().markers.size());
        return S_OK;
    }
    HRESULT GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) override {
        if (index >= Data().markers.size()) return E_INVALIDARG;
        *time = Data().markers[index].time;
        return CopyText(Data().markers[index].name, name, nameLength);
    }
    HRESULT AddMarker(const WCHAR* name, QWORD time) override {
        if (HRESULT hr = Check("AddMarker"); Failed(hr)) return hr;
        Data().markers.push_back({name, time});
        return S_OK;
    }
    HRESULT RemoveMarker(WORD) override { return E_NOTIMPL; }
    HRESULT GetScriptCount(WORD* count) override {
        *count = WORD(Data().scripts.size());
        return S_OK;
    }
    HRESULT GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command,
                      WORD* commandLength, QWORD* time) override {
        if (index >= Data().scripts.size()) return E_INVALIDARG;
        const HeaderData::Script& s = Data().scripts[index];
        *time = s.time;
        HRESULT hr = CopyText(s.type, type, typeLength);
        return Failed(hr) ? hr : CopyText(s.command, command, commandLength);
    }
    HRESULT AddScript(const WCHAR* type, const WCHAR* command, QWORD time) override {
        if (HRESULT hr = Check("AddScript"); Failed(hr)) return hr;
        Data().scripts.push_back({type, command, time});
        return S_OK;
    }
    HRESULT RemoveScript(WORD) override { return E_NOTIMPL; }
    HRESULT GetCodecInfoCount(DWORD* count) override {
        *count = DWORD(Data().codecs.size());
        return S_OK;
    }
    HRESULT GetCodecInfo(DWORD index, WORD* nameLength, WCHAR* name, WORD* descriptionLength,
                         WCHAR* description, WMT_CODEC_INFO_TYPE* type, WORD* infoSize,
                         BYTE* info) override {
        if (index >= Data().codecs.size()) return E_INVALIDARG;
        const HeaderData::Codec& c = Data().codecs[index];
        *type = c.type;
        HRESULT hr = CopyText(c.name, name, nameLength);
        if (Succeeded(hr)) hr = CopyText(c.description, description, descriptionLength);
        if (Failed(hr)) return hr;
        if (info) {
            if (*infoSize < c.info.size()) return ASF_E_BUFFERTOOSMALL;
            if (!c.info.empty()) std::memcpy(info, c.info.data(), c.info.size());
        }
        *infoSize = WORD(c.info.size());
        return S_OK;
    }
    HRESULT AddCodecInfo(const WCHAR* name, const WCHAR* description, WMT_CODEC_INFO_TYPE type,
                         WORD infoSize, const BYTE* info) override {
        if (HRESULT hr = Check("AddCodecInfo"); Failed(hr)) return hr;
        Data().codecs.push_back(
            {name, description, type, std::vector<BYTE>(info, info + infoSize)});
        return S_OK;
    }

  protected:
    ~HeaderImpl() = default;
};

// Reference counting and the live-object count.
class Counted {
  public:
    explicit Counted(World& w) : world(w) { ++world.live; }
    virtual ~Counted() { --world.live; }
    ULONG Up() { return ++refs; }
    ULONG Down() {
        ULONG n = --refs;
        if (n == 0) Destroy();
        return n;
    }
    World& world;

  protected:
    virtual void Destroy() { delete this; }

  private:
    std::atomic<ULONG> refs{1};
};

class StreamConfig final : public IWMStreamConfig,
                           public IWMMediaProps,
                           public IWMPropertyVault,
                           public Counted {
  public:
    StreamConfig(World& w, Stream s) : Counted(w), m_s(std::move(s)) {}
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (Give<IWMStreamConfig>(iid, IID_IWMStreamConfig, this, out) ||
            Give<IWMMediaProps>(iid, IID_IWMMediaProps, this, out) ||
            Give<IWMPropertyVault>(iid, IID_IWMPropertyVault, this, out))
            return S_OK;
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return Up(); }
    ULONG Release() override { return Down(); }
    HRESULT GetStreamType(GUID* type) override {
        *type = m_s.head.majortype;
        return S_OK;
    }
    HRESULT GetStreamNumber(WORD* number) override {
        *number = m_s.number;
        return S_OK;
    }
    HRESULT SetStreamNumber(WORD number) override {
        m_s.number = number;
        return S_OK;
    }
    HRESULT GetBitrate(DWORD* bitrate) override {
        *bitrate = 0;
        return S_OK;
    }
    HRESULT SetBitrate(DWORD) override { return S_OK; }
    HRESULT GetBufferWindow(DWORD* ms) override {
        *ms = m_s.bufferWindow;
        return world.Fail("config.GetBufferWindow");
    }
    HRESULT SetBufferWindow(DWORD ms) override {
        m_s.bufferWindow = ms;
        return S_OK;
    }
    HRESULT GetType(GUID* type) override { return GetStreamType(type); }
    HRESULT GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) override {
        DWORD needed = DWORD(sizeof(WM_MEDIA_TYPE) + m_s.format.size());
        if (!type) {
            *size = needed;
            return S_OK;
        }
        if (*size < needed) return ASF_E_BUFFERTOOSMALL;
        *type = m_s.head;
        type->cbFormat = ULONG(m_s.format.size());
        type->pbFormat = reinterpret_cast<BYTE*>(type + 1);
        if (!m_s.format.empty()) std::memcpy(type->pbFormat, m_s.format.data(), m_s.format.size());
        return S_OK;
    }
    HRESULT SetMediaType(WM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT GetPropertyCount(DWORD* count) override {
        *count = m_s.vbr ? 1 : 0;
        return S_OK;
    }
    HRESULT GetPropertyByName(LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                              DWORD* size) override {
        if (!m_s.vbr || std::u16string(name) != g_wszVBREnabled) return ASF_E_NOTFOUND;
        *type = WMT_TYPE_BOOL;
        BOOL v = 1;
        std::memcpy(value, &v, sizeof v);
        *size = sizeof v;
        return S_OK;
    }
    HRESULT SetProperty(LPCWSTR, WMT_ATTR_DATATYPE, const BYTE*, DWORD) override { return S_OK; }
    const Stream& Spec() const { return m_s; }

  private:
    Stream m_s;
};

// IWMProfile over a list of streams.
class ProfileImpl : public IWMProfile {
  public:
    virtual std::vector<Stream>& Streams() = 0;
    virtual World& TheWorld() = 0;
    HRESULT GetStreamCount(DWORD* count) override {
        *count = DWORD(Streams().size());
        return TheWorld().Fail("profile.GetStreamCount");
    }
    HRESULT GetStream(DWORD index, IWMStreamConfig** config) override {
        if (index >= Streams().size()) return E_INVALIDARG;
        *config = new StreamConfig(TheWorld(), Streams()[index]);
        return S_OK;
    }
    HRESULT GetStreamByNumber(WORD number, IWMStreamConfig** config) override {
        for (Stream& s : Streams())
            if (s.number == number) {
                *config = new StreamConfig(TheWorld(), s);
                return S_OK;
            }
        return NS_E_INVALID_STREAM;
    }
    HRESULT ReconfigStream(IWMStreamConfig* config) override {
        auto* c = static_cast<StreamConfig*>(config);
        for (Stream& s : Streams())
            if (s.number == c->Spec().number) s.bufferWindow = c->Spec().bufferWindow;
        return S_OK;
    }

  protected:
    ~ProfileImpl() = default;
};

class Buffer final : public INSSBuffer, public Counted {
  public:
    Buffer(World& w, std::vector<BYTE> data) : Counted(w), m_data(std::move(data)) {}
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (Give<INSSBuffer>(iid, IID_INSSBuffer, this, out)) return S_OK;
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return Up(); }
    ULONG Release() override { return Down(); }
    HRESULT GetLength(DWORD* length) override {
        *length = DWORD(m_data.size());
        return S_OK;
    }
    HRESULT SetLength(DWORD) override { return E_NOTIMPL; }
    HRESULT GetMaxLength(DWORD* length) override { return GetLength(length); }
    HRESULT GetBuffer(BYTE** buffer) override {
        *buffer = m_data.data();
        return S_OK;
    }
    HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) override {
        *buffer = m_data.data();
        return GetLength(length);
    }

  private:
    std::vector<BYTE> m_data;
};

// Plays its file to the callback: on the caller's thread, from inside the calls, or on a thread
// of its own that runs the calls' work in order, pausing at random before each callback.
class Reader final : public IWMReader,
                     public IWMReaderAdvanced,
                     public ProfileImpl,
                     public HeaderImpl,
                     public Counted {
  public:
    Reader(World& w, int id)
        : Counted(w),
          m_name("reader" + std::to_string(id)),
          m_threaded(w.threaded),
          m_random(w.seed + unsigned(id)) {
        if (m_threaded) m_thread = std::thread([this] { RunTasks(); });
    }
    ~Reader() override {
        if (m_thread.joinable()) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_quit = true;
            }
            m_changed.notify_all();
            m_thread.join();
        }
        DropCallback();
    }
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (HRESULT hr = world.Fail(m_name + ".QueryInterface"); Failed(hr)) {
            *out = nullptr;
            return hr;
        }
        if (Give<IWMReader>(iid, IID_IWMReader, this, out) ||
            Give<IWMReaderAdvanced>(iid, IID_IWMReaderAdvanced, this, out) ||
            Give<IWMProfile>(iid, IID_IWMProfile, this, out) ||
            Give<IWMHeaderInfo>(iid, IID_IWMHeaderInfo, this, out) ||
            Give<IWMHeaderInfo3>(iid, IID_IWMHeaderInfo3, this, out))
            return S_OK;
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return Up(); }
    ULONG Release() override { return Down(); }
    std::vector<Stream>& Streams() override { return m_file.streams; }
    World& TheWorld() override { return world; }
    HeaderData& Data() override { return m_file.header; }

    HRESULT Open(LPCWSTR url, IWMReaderCallback* callback, void*) override {
        if (HRESULT hr = world.Fail(m_name + ".Open"); Failed(hr)) return hr;
        m_callback = callback;
        callback->AddRef();
        void* advanced = nullptr;
        if (Succeeded(callback->QueryInterface(IID_IWMReaderCallbackAdvanced, &advanced)))
            m_advanced = static_cast<IWMReaderCallbackAdvanced*>(advanced);
        auto it = world.files.find(url);
        HRESULT hr = it == world.files.end() ? NS_E_FILE_NOT_FOUND : it->second.openResult;
        if (it != world.files.end()) m_file = it->second;
        Run([this, hr] { Status(WMT_OPENED, hr); });
        return S_OK;
    }
    HRESULT Close() override {
        if (HRESULT hr = world.Fail(m_name + ".Close"); Failed(hr)) return hr;
        Run([this] {
            Status(WMT_CLOSED, S_OK);
            DropCallback();
        });
        return S_OK;
    }
    HRESULT Start(QWORD, QWORD, float, void*) override {
        if (HRESULT hr = world.Fail(m_name + ".Start"); Failed(hr)) return hr;
        Run([this] { Play(); });
        return S_OK;
    }
    HRESULT Stop() override {
        if (HRESULT hr = world.Fail(m_name + ".Stop"); Failed(hr)) return hr;
        Run([this] { Status(WMT_STOPPED, S_OK); });
        return S_OK;
    }
    HRESULT SetUserProvidedClock(BOOL) override {
        return world.Fail(m_name + ".SetUserProvidedClock");
    }
    HRESULT GetUserProvidedClock(BOOL*) override { return E_NOTIMPL; }
    HRESULT DeliverTime(QWORD time) override {
        world.Record(world.deliveredTimes, time);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_released = time;
            ++m_generation;
        }
        m_changed.notify_all();
        if (HRESULT hr = world.Fail(m_name + ".DeliverTime"); Failed(hr)) return hr;
        return S_OK;
    }
    HRESULT SetManualStreamSelection(BOOL) override {
        return world.Fail(m_name + ".SetManualStreamSelection");
    }
    HRESULT GetManualStreamSelection(BOOL*) override { return E_NOTIMPL; }
    HRESULT SetStreamsSelected(WORD, WORD*, WMT_STREAM_SELECTION*) override { return E_NOTIMPL; }
    HRESULT SetReceiveStreamSamples(WORD stream, BOOL on) override {
        if (on) m_selected.insert(stream);
        return world.Fail(m_name + ".SetReceiveStreamSamples");
    }
    HRESULT GetReceiveStreamSamples(WORD, BOOL*) override { return E_NOTIMPL; }
    HRESULT GetStatistics(WM_READER_STATISTICS*) override { return E_NOTIMPL; }

  private:
    // The work of a call: done now on the caller's thread, or queued for the reader's own.
    void Run(std::function<void()> task) {
        if (!m_threaded) return task();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_changed.notify_all();
    }
    void RunTasks() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_quit || !m_tasks.empty(); });
            if (m_tasks.empty()) return;  // quit once the queue is done
            std::function<void()> task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
            if (m_orphaned) {
                lock.unlock();
                m_thread.detach();
                delete this;
                return;
            }
        }
    }
    // Released in its own callback, the reader is deleted by its thread once the task is done.
    void Destroy() override {
        if (!m_threaded || m_thread.get_id() != std::this_thread::get_id())
            return Counted::Destroy();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_orphaned = true;
    }
    // A random pause before a callback, so that the caller's thread runs ahead or behind.
    void Pause() {
        if (!m_threaded) return;
        unsigned r = m_random() % 8;
        if (r < 2)
            std::this_thread::sleep_for(std::chrono::microseconds(m_random() % 2000));
        else if (r < 5)
            std::this_thread::yield();
    }

    // Plays from the start, each step once the clock moves; ends at the file's end, or when the
    // clock stops moving (or, on the reader's thread, when another call's work is queued).
    void Play() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_generation = 0;
            m_released = 0;
        }
        Status(WMT_STARTED, S_OK);
        size_t next = 0;
        uint64_t served = 0;
        QWORD released = 0;
        for (int guard = 0; guard < 100000; ++guard) {
            if (!NextStep(served, released)) return;
            while (next < m_file.samples.size() && m_file.samples[next].time < released) {
                Deliver(m_file.samples[next], next == 0);
                ++next;
            }
            if (next == m_file.samples.size() && released >= m_file.end) {
                for (int i = 0; i <= m_file.extraEnds; ++i)
                    Status(Failed(m_file.endResult) ? WMT_ERROR : WMT_EOF, m_file.endResult);
                return;
            }
            if (m_advanced) {
                Pause();
                m_advanced->OnTime(released, nullptr);
            }
        }
    }
    // The clock released since served, or false when there is none to wait for.
    bool NextStep(uint64_t& served, QWORD& released) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_threaded) {
            m_changed.wait(lock, [&] { return m_generation != served || !m_tasks.empty(); });
            if (!m_tasks.empty()) return false;
        }
        if (m_generation == served) return false;
        served = m_generation;
        released = m_released;
        return true;
    }
    void Status(WMT_STATUS status, HRESULT hr) {
        world.Record(world.log, m_name + ".status" + std::to_string(int(status)));
        Pause();
        if (m_callback) m_callback->OnStatus(status, hr, WMT_TYPE_DWORD, nullptr, nullptr);
    }
    void Deliver(const Sample& s, bool first) {
        auto* buffer = new Buffer(world, s.data);
        WORD stream = first && m_file.rogueStream ? m_file.rogueStream : s.stream;
        Pause();
        if (first && m_file.decompressed)
            m_callback->OnSample(stream - 1u, s.time, s.duration, s.flags, buffer, nullptr);
        else if (m_advanced && m_selected.count(s.stream))
            m_advanced->OnStreamSample(stream, s.time, s.duration, s.flags, buffer, nullptr);
        buffer->Release();
    }
    void DropCallback() {
        if (m_advanced) m_advanced->Release();
        if (m_callback) m_callback->Release();
        m_advanced = nullptr;
        m_callback = nullptr;
    }

    std::string m_name;
    const bool m_threaded;
    File m_file;
    IWMReaderCallback* m_callback = nullptr;
    IWMReaderCallbackAdvanced* m_advanced = nullptr;
    std::set<WORD> m_selected;
    std::minstd_rand m_random;  // the reader's thread only

    std::mutex m_mutex;  // guards what follows
    std::condition_variable m_changed;
    QWORD m_released = 0;
    uint64_t m_generation = 0;  // counts DeliverTime calls
    std::deque<std::function<void()>> m_tasks;
    bool m_quit = false;
    bool m_orphaned = false;
    std::thread m_thread;  // the reader's own, when threaded
};

class Writer final : public IWMWriter, public IWMWriterAdvanced, public HeaderImpl, public Counted {
  public:
    explicit Writer(World& w) : Counted(w) {}
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (HRESULT hr = world.Fail("writer.QueryInterface"); Failed(hr)) {
            *out = nullptr;
            return hr;
        }
        if (Give<IWMWriter>(iid, IID_IWMWriter, this, out) ||
            Give<IWMWriterAdvanced>(iid, IID_IWMWriterAdvanced, this, out) ||
            Give<IWMHeaderInfo>(iid, IID_IWMHeaderInfo, this, out) ||
            Give<IWMHeaderInfo3>(iid, IID_IWMHeaderInfo3, this, out))
            return S_OK;
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return Up(); }
    ULONG Release() override { return Down(); }
    HeaderData& Data() override { return world.writerHeader; }
    HRESULT Check(const char* call) override { return world.Fail(std::string("writer.") + call); }

    HRESULT SetProfile(IWMProfile* profile) override {
        world.writerProfile.clear();
        DWORD n = 0;
        profile->GetStreamCount(&n);
        for (DWORD i = 0; i < n; ++i) {
            IWMStreamConfig* config;
            profile->GetStream(i, &config);
            world.writerProfile.push_back(static_cast<StreamConfig*>(config)->Spec());
            config->Release();
        }
        m_inputs = n;
        return world.Fail("writer.SetProfile");
    }
    HRESULT SetOutputFilename(LPCWSTR path) override {
        world.outputName = path;
        return world.Fail("writer.SetOutputFilename");
    }
    HRESULT GetInputCount(DWORD* count) override {
        *count = m_inputs;
        return world.Fail("writer.GetInputCount");
    }
    HRESULT SetInputProps(DWORD input, IWMMediaProps* props) override {
        world.Record(world.log,
                     "writer.SetInputProps" + std::to_string(input) + (props ? "+" : ""));
        return S_OK;
    }
    HRESULT BeginWriting() override { return world.Fail("writer.BeginWriting"); }
    HRESULT EndWriting() override {
        HRESULT hr = world.Fail("writer.EndWriting");
        if (Succeeded(hr)) world.onDisk[world.outputName] = world.writerHeader;
        return hr;
    }
    HRESULT WriteStreamSample(WORD stream, QWORD time, DWORD sendTime, QWORD duration, DWORD flags,
                              INSSBuffer* sample) override {
        BYTE* bytes;
        DWORD length;
        sample->GetBufferAndLength(&bytes, &length);
        std::lock_guard<std::mutex> lock(world.lock);
        if (int(world.written.size()) == world.failWriteAt) {
            world.failWriteAt = -1;
            return world.writeFailure;
        }
        world.written.push_back(
            {stream, time, sendTime, duration, flags, std::vector<BYTE>(bytes, bytes + length)});
        return S_OK;
    }

  private:
    DWORD m_inputs = 0;
};

class Editor final : public IWMMetadataEditor, public HeaderImpl, public Counted {
  public:
    explicit Editor(World& w) : Counted(w) {}
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (Give<IWMMetadataEditor>(iid, IID_IWMMetadataEditor, this, out) ||
            Give<IWMHeaderInfo>(iid, IID_IWMHeaderInfo, this, out) ||
            Give<IWMHeaderInfo3>(iid, IID_IWMHeaderInfo3, this, out))
            return S_OK;
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return Up(); }
    ULONG Release() override { return Down(); }
    HeaderData& Data() override { return m_header; }
    HRESULT Check(const char* call) override { return world.Fail(std::string("editor.") + call); }

    HRESULT Open(LPCWSTR path) override {
        if (HRESULT hr = world.Fail("editor.Open"); Failed(hr)) return hr;
        if (auto it = world.onDisk.find(path); it != world.onDisk.end())
            m_header = it->second;
        else if (auto f = world.files.find(path); f != world.files.end())
            m_header = f->second.header;
        else
            return NS_E_FILE_NOT_FOUND;
        m_path = path;
        m_open = true;
        return S_OK;
    }
    HRESULT Close() override {
        if (!m_open) return NS_E_INVALID_REQUEST;
        m_open = false;
        return world.Fail("editor.Close");
    }
    HRESULT Flush() override {
        if (HRESULT hr = world.Fail("editor.Flush"); Failed(hr)) return hr;
        if (auto it = world.onDisk.find(m_path); it != world.onDisk.end()) it->second = m_header;
        return S_OK;
    }

  private:
    HeaderData m_header;
    std::u16string m_path;
    bool m_open = false;
};

}  // namespace

void HeaderData::Set(WORD stream, const std::u16string& name, WMT_ATTR_DATATYPE type,
                     std::vector<BYTE> value) {
    for (Attribute& a : attributes)
        if (a.stream == stream && a.name == name) {
            a.type = type;
            a.value = std::move(value);
            return;
        }
    attributes.push_back({stream, name, type, std::move(value)});
}

void HeaderData::SetString(const std::u16string& name, const std::u16string& value) {
    std::vector<BYTE> bytes((value.size() + 1) * 2);
    std::memcpy(bytes.data(), value.c_str(), bytes.size());
    Set(0, name, WMT_TYPE_STRING, bytes);
}

void HeaderData::SetQword(const std::u16string& name, QWORD value) {
    std::vector<BYTE> bytes(8);
    std::memcpy(bytes.data(), &value, 8);
    Set(0, name, WMT_TYPE_QWORD, bytes);
}

const HeaderData::Attribute* HeaderData::Find(WORD stream, const std::u16string& name) const {
    for (const Attribute& a : attributes)
        if (a.stream == stream && a.name == name) return &a;
    return nullptr;
}

std::u16string HeaderData::String(const std::u16string& name) const {
    const Attribute* a = Find(0, name);
    if (!a) return u"<absent>";
    return std::u16string(reinterpret_cast<const char16_t*>(a->value.data()));
}

Stream Video(WORD number, uint32_t fourcc, DWORD bitsPerSecond) {
    Stream s;
    s.number = number;
    s.head.majortype = kVideo;
    s.head.subtype = kVideo;
    s.head.bTemporalCompression = 1;
    s.head.formattype = kVideoInfo;
    s.format.assign(88, 0);
    Put32(s.format, 32, bitsPerSecond);
    Put32(s.format, 64, fourcc);  // biCompression
    return s;
}

Stream Audio(WORD number, DWORD bytesPerSecond) {
    Stream s;
    s.number = number;
    s.head.majortype = kAudio;
    s.head.subtype = kAudio;
    s.head.bFixedSizeSamples = 1;
    s.head.formattype = kWaveFormatEx;
    s.format.assign(18, 0);
    Put32(s.format, 0, 0x00010161);  // WMA2, mono
    Put32(s.format, 4, 22050);
    Put32(s.format, 8, bytesPerSecond);
    return s;
}

File AvFile(double seconds, const std::u16string& title) {
    File f;
    f.streams = {Video(1, 0x32564D57, 200000), Audio(2, 4000)};
    QWORD last = 0;
    for (QWORD t = 0; t < QWORD(seconds * 1e7); t += 5000000) {
        BYTE tag = BYTE(f.samples.size());
        f.samples.push_back({1, t, 5000000, WM_SF_CLEANPOINT, {tag, 1}});
        f.samples.push_back({2, t, 5000000, WM_SF_CLEANPOINT, {tag, 2}});
        last = t + 5000000;
    }
    f.end = last;
    f.header.SetQword(u"Duration", last);
    f.header.Set(0, u"Is_Protected", WMT_TYPE_BOOL, {0, 0, 0, 0});
    if (!title.empty()) f.header.SetString(u"Title", title);
    return f;
}

World::World() {
    const char* threads = std::getenv("SPLICORA_FAKE_THREADS");
    threaded = threads && std::string(threads) == "1";
    if (!threaded) return;
    const char* given = std::getenv("SPLICORA_FAKE_SEED");
    seed = given ? unsigned(std::strtoul(given, nullptr, 10)) : std::random_device()();
    std::printf("fake readers on threads of their own; SPLICORA_FAKE_SEED=%u replays\n", seed);
}

World::~World() = default;

HRESULT World::Fail(const std::string& call) {
    std::lock_guard<std::mutex> guard(lock);
    log.push_back(call);
    auto it = failing.find(call);
    return it == failing.end() ? S_OK : it->second;
}

engine::MergerRuntime World::Runtime() {
    engine::MergerRuntime r;
    r.createReader = [this](IUnknown*, DWORD, IWMReader** out) {
        int id = ++readersCreated;
        Record(log, "createReader" + std::to_string(id));
        *out = nullptr;
        if (auto it = readerCreation.find(id); it != readerCreation.end()) return it->second;
        *out = new Reader(*this, id);
        return S_OK;
    };
    r.createWriter = [this](IUnknown*, IWMWriter** out) {
        *out = nullptr;
        if (Failed(writerCreation)) return writerCreation;
        *out = new Writer(*this);
        return S_OK;
    };
    r.createEditor = [this](IWMMetadataEditor** out) {
        Record(log, std::string("createEditor"));
        *out = new Editor(*this);
        return S_OK;
    };
    return r;
}

}  // namespace fake
