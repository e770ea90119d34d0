#include "writer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>
#include <typeinfo>

#include "../asf/asf_guids.h"
#include "../asf/replacement_file.h"
#include "block_sink.h"
#include "nss_buffer.h"
#include "wide_string.h"

namespace wm {

namespace {

GUID NewFileId() {
    std::random_device rd;
    uint8_t b[16];
    for (uint8_t& x : b) x = static_cast<uint8_t>(rd());
    b[7] = static_cast<uint8_t>((b[7] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80);
    return GUID::FromBytes(b);
}

uint64_t FileTimeNow() {
    using namespace std::chrono;
    auto since1970 = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<uint64_t>(since1970) * 10 + 116444736000000000ull;
}

// A new temporary file beside the output, never a link planted there.
std::unique_ptr<asf::FileSink> CreateTemporaryFor(const std::string& output,
                                                  asf::ReplacementFile& temp) {
    asf::Descriptor fd = temp.Create(output, ".part-", 0666);
    std::unique_ptr<asf::FileSink> sink =
        fd ? asf::FileSink::FromDescriptor(fd.Release()) : nullptr;
    if (!sink) temp.Remove();
    return sink;
}

std::vector<uint8_t> DataObjectHeader(const GUID& fileId, uint64_t packets, uint32_t packetSize) {
    asf::ByteWriter w;
    w.WriteGuid(asf::guids::kData);
    w.U64(50 + packets * packetSize);
    w.WriteGuid(fileId);
    w.U64(packets);
    w.U16(0x0101);
    return w.Take();
}

uint16_t AddLanguage(const std::u16string& language, std::vector<std::u16string>& languages) {
    auto at = std::find(languages.begin(), languages.end(), language);
    if (at == languages.end()) at = languages.insert(at, language);
    return static_cast<uint16_t>(at - languages.begin());
}

// Where index points into the stream's own language list, the index of that language in the
// file's list; an index that points nowhere is kept.
uint16_t LanguageIndex(const StreamDescription& d, uint16_t index,
                       std::vector<std::u16string>& languages) {
    return index < d.languages.size() ? AddLanguage(d.languages[index], languages) : index;
}

// The stream's Extended Stream Properties: those of its source, with this file's stream number,
// buffer window, frame time and language indexes. A stream whose source had none gets none when
// the reader's defaults (the preroll as buffer window, no frame time) say the same; otherwise its
// Data Bitrate is the declared bit rate, 0 where none is declared, so that no reader finds a
// bit rate the source did not have.
std::optional<asf::ExtendedStreamProperties> ExtendedFor(const StreamDescription& d,
                                                         uint64_t preroll,
                                                         std::vector<std::u16string>& languages) {
    if (!d.extended && d.bufferWindow == preroll && d.avgTimePerFrame == 0) return std::nullopt;
    for (size_t i = 0; i < d.languages.size(); ++i)  // the source's list, in its order
        LanguageIndex(d, static_cast<uint16_t>(i), languages);
    asf::ExtendedStreamProperties e;
    if (d.extended) {
        e = *d.extended;
        e.startTime = e.endTime = 0;  // the source's times, not this file's
        e.extensions.clear();         // the packets carry no payload extensions
        e.embedded.reset();
        e.languageIndex = LanguageIndex(d, e.languageIndex, languages);
        for (asf::ExtendedStreamProperties::Name& n : e.names)
            n.languageIndex = LanguageIndex(d, n.languageIndex, languages);
    } else {
        e.dataBitrate = e.altDataBitrate = d.bitrate;
        e.altBufferSize = d.bufferWindow;
        e.flags = 0x2;                                  // seekable
        e.languageIndex = AddLanguage(u"", languages);  // none, as in the source
    }
    e.streamNumber = d.number;
    e.bufferSize = d.bufferWindow;
    e.initialBufferFullness = std::min(e.initialBufferFullness, e.bufferSize);
    e.avgTimePerFrame = d.avgTimePerFrame;
    e.maxObjectSize = 0;  // counted while writing
    return e;
}

}  // namespace

CWriter::~CWriter() { Discard(); }

void CWriter::Discard() {
    m_packets.reset();
    m_sink.reset();
    m_temp.Remove();
}

void CWriter::KeepSinkError() {
    int error = m_sink ? m_sink->ErrorNumber() : 0;
    if (error) SetFileError(asf::FileFailure(m_outputPath, error));
}

void CWriter::UseSink(std::unique_ptr<asf::ByteSink> sink) { m_testSink = std::move(sink); }

HRESULT CWriter::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (Offer<IWMWriter>(iid, IID_IWMWriter, this, out) ||
        Offer<IWMWriter>(iid, IID_IUnknown, this, out) ||
        Offer<IWMWriterAdvanced>(iid, IID_IWMWriterAdvanced, this, out) ||
        Offer<IWMHeaderInfo>(iid, IID_IWMHeaderInfo, this, out) ||
        Offer<IWMHeaderInfo3>(iid, IID_IWMHeaderInfo3, this, out) ||
        Offer<IWMFileError>(iid, IID_IWMFileError, this, out))
        return S_OK;
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT CWriter::SetProfile(IWMProfile* profile) {
    if (!profile) return E_INVALIDARG;
    if (m_state == State::Writing || m_state == State::Done) return NS_E_INVALID_REQUEST;
    std::vector<StreamDescription> streams;
    HRESULT hr = ReadProfile(profile, streams);
    if (Failed(hr)) return hr;
    if (streams.empty()) return E_INVALIDARG;

    asf::AsfHeader h;
    h.file.flags = asf::FileProperties::kSeekable;
    h.file.minPacketSize = h.file.maxPacketSize = asf::PacketWriter::kDefaultPacketSize;
    for (const StreamDescription& d : streams)
        h.file.preroll = std::max<uint64_t>(h.file.preroll, d.bufferWindow);
    std::vector<std::u16string> languages;
    for (const StreamDescription& d : streams) {
        if (d.number == 0 || d.number > 127 || h.FindStream(d.number)) return NS_E_INVALID_STREAM;
        std::optional<StreamFormat> format = StreamFormatFromMediaType(d.type);
        if (!format) return NS_E_INVALID_STREAM;
        asf::StreamProperties sp;
        sp.streamType = format->streamType;
        sp.errorCorrectionType = asf::guids::kNoErrorCorrection;
        sp.flags = d.number;
        sp.typeSpecific = std::move(format->typeSpecific);
        h.streams.push_back(std::move(sp));
        if (std::optional<asf::ExtendedStreamProperties> e =
                ExtendedFor(d, h.file.preroll, languages))
            h.extended.push_back(std::move(*e));
        if (d.bitrate) h.bitrates.push_back({d.number, d.bitrate});
        if (d.vbr) h.metadata.push_back({0, d.number, g_wszWMIsVBR, 2, {BYTE(*d.vbr ? 1 : 0), 0}});
        for (asf::StoredAttribute a : d.aspectRatio) {
            a.stream = d.number;
            h.metadata.push_back(std::move(a));
        }
    }
    // Indexes into the list are WORDs: every one fits while the list does.
    if (languages.size() > 0xFFFF) return E_ARITHMETIC_OVERFLOW;
    if (!languages.empty()) h.languages = asf::LanguageList{languages};
    m_streams = std::move(streams);
    m_inputsWithoutProps.assign(m_streams.size(), false);
    m_inputsAwaitingProps = m_streams.size();
    m_store = HeaderStore{};
    m_store.header = std::move(h);
    m_state = State::Configured;
    return S_OK;
}

HRESULT CWriter::SetOutputFilename(LPCWSTR path) {
    if (!path || !*path) return E_INVALIDARG;
    if (m_state == State::Writing) return NS_E_INVALID_REQUEST;
    m_outputPath = ToUtf8(path);
    return S_OK;
}

HRESULT CWriter::GetInputCount(DWORD* count) {
    if (!count) return E_POINTER;
    *count = static_cast<DWORD>(m_streams.size());
    return S_OK;
}

HRESULT CWriter::SetInputProps(DWORD input, IWMMediaProps* props) {
    if (input >= m_streams.size()) return E_INVALIDARG;
    if (props) return E_NOTIMPL;  // samples are never encoded here
    if (!m_inputsWithoutProps[input]) --m_inputsAwaitingProps;
    m_inputsWithoutProps[input] = true;
    return S_OK;
}

HRESULT CWriter::BeginWriting() {
    if (m_state != State::Configured) return NS_E_INVALID_REQUEST;
    if (!m_testSink && m_outputPath.empty()) return NS_E_INVALID_REQUEST;
    SetFileError({});
    asf::AsfHeader& h = m_store.header;
    h.file.fileId = NewFileId();
    h.file.creationDate = FileTimeNow();
    std::string why;
    std::vector<uint8_t> header = h.Render(kHeaderPadding, &why);
    if (header.empty()) {
        SetFileError(m_outputPath + ": " + why);
        return E_ARITHMETIC_OVERFLOW;
    }
    if (m_testSink) {
        m_sink = std::move(m_testSink);
    } else {
        std::unique_ptr<asf::FileSink> file = CreateTemporaryFor(m_outputPath, m_temp);
        if (!file) {
            SetFileError(asf::FileFailure(m_outputPath, errno));
            return NS_E_FILE_OPEN_FAILED;
        }
        // The packets go out in large blocks.
        file->Unbuffered();
        m_sink = std::make_unique<BlockSink>(std::move(file));
    }
    m_headerSize = header.size();
    std::vector<uint8_t> data = DataObjectHeader(h.file.fileId, 0, h.file.minPacketSize);
    if (!m_sink->Write(header.data(), header.size()) || !m_sink->Write(data.data(), data.size())) {
        KeepSinkError();
        Discard();
        return NS_E_FILE_WRITE;
    }
    std::vector<uint16_t> video;
    for (const StreamDescription& d : m_streams)
        if (d.type.head.majortype == asf::guids::kMediaTypeVideo) video.push_back(d.number);
    m_writtenStreams.reset();
    for (const asf::StreamProperties& s : h.streams)
        if (s.Number() < m_writtenStreams.size()) m_writtenStreams.set(s.Number());
    m_packets =
        std::make_unique<asf::PacketWriter>(*m_sink, h.file.minPacketSize, h.file.preroll, video);
    m_failed = false;
    m_state = State::Writing;
    return S_OK;
}

HRESULT CWriter::WriteStreamSample(WORD stream, QWORD sampleTime, DWORD, QWORD duration,
                                   DWORD flags, INSSBuffer* sample) {
    if (!sample) return E_INVALIDARG;
    if (m_state != State::Writing) return NS_E_INVALID_REQUEST;
    if (m_inputsAwaitingProps) return NS_E_INVALID_REQUEST;  // some expect uncompressed samples
    if (stream >= m_writtenStreams.size() || !m_writtenStreams[stream]) return NS_E_INVALID_STREAM;
    if (m_failed) return NS_E_FILE_WRITE;
    DWORD length = 0;
    HRESULT hr = sample->GetLength(&length);
    if (Failed(hr)) return hr;
    if (length == 0) return S_OK;  // nothing to store
    // A sample this runtime read is stored from the blocks it lies in, fragments unjoined.
    const asf::SamplePiece* pieces = nullptr;
    size_t count = 0;
    asf::SamplePiece whole;
    if (typeid(*sample) != typeid(CNssBuffer) ||
        !static_cast<CNssBuffer*>(sample)->Pieces(&pieces, &count)) {
        BYTE* data = nullptr;
        if (Failed(hr = sample->GetBufferAndLength(&data, &length))) return hr;
        whole = {data, length};
        pieces = &whole;
        count = 1;
    }
    if (!m_packets->AddSample(stream, sampleTime, duration, (flags & WM_SF_CLEANPOINT) != 0, pieces,
                              count, length)) {
        m_failed = true;
        KeepSinkError();
        return NS_E_FILE_WRITE;
    }
    return S_OK;
}

void CWriter::FinishHeader() {
    asf::AsfHeader& h = m_store.header;
    const asf::PacketWriter& p = *m_packets;
    uint64_t content = p.ContentEnd();
    h.file.dataPacketsCount = p.PacketCount();
    h.file.playDuration = content + h.file.preroll * 10000;
    h.file.sendDuration = content;
    for (asf::ExtendedStreamProperties& e : h.extended)
        e.maxObjectSize = p.MaxObjectSize(e.streamNumber);
    // The whole file's rate, packet overhead included; never below the declared stream rates.
    double bits = 8.0 * static_cast<double>(p.PacketCount()) * h.file.minPacketSize;
    double rate = content ? bits * 10000000 / static_cast<double>(content) : 0;
    double declared = 0;
    for (const asf::StreamBitrate& b : h.bitrates) declared += b.bitrate;
    h.file.maxBitrate =
        static_cast<uint32_t>(std::min<double>(std::max(rate, declared), UINT32_MAX));
}

HRESULT CWriter::EndWriting() {
    if (m_state != State::Writing) return NS_E_INVALID_REQUEST;
    asf::AsfHeader& h = m_store.header;
    bool ok = !m_failed && m_packets->Finish();
    for (const StreamDescription& d : m_streams) {
        if (d.type.head.majortype != asf::guids::kMediaTypeVideo) continue;
        asf::SimpleIndex index = m_packets->TakeIndex(d.number);
        index.fileId = h.file.fileId;
        ok = ok && index.WriteTo(*m_sink);
    }
    FinishHeader();
    h.file.fileSize = m_sink->Position();
    uint64_t bare = h.Render(0).size();
    uint64_t padding = bare <= m_headerSize ? m_headerSize - bare : 0;
    std::vector<uint8_t> header = h.Render(padding);
    std::vector<uint8_t> data =
        DataObjectHeader(h.file.fileId, m_packets->PacketCount(), h.file.minPacketSize);
    ok = ok && header.size() == m_headerSize && m_sink->WriteAt(0, header.data(), header.size()) &&
         m_sink->WriteAt(m_headerSize, data.data(), data.size()) && m_sink->Finish();
    m_packets.reset();
    m_state = State::Done;
    if (!ok) {
        KeepSinkError();
        Discard();
        return NS_E_FILE_WRITE;
    }
    if (m_temp.Active() && !m_temp.Commit()) {
        SetFileError(asf::FileFailure(m_outputPath, errno));
        Discard();
        return NS_E_FILE_WRITE;
    }
    return S_OK;
}

}  // namespace wm
