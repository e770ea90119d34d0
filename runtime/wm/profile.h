#pragma once
// Stream descriptions of a profile, the stream configuration object handed out for each, and
// the IWMProfile operations over a list of them.

#include <optional>
#include <vector>

#include "com_object.h"
#include "media_type.h"

namespace wm {

struct StreamDescription {
    WORD number = 0;
    DWORD bufferWindow = 0;  // ms
    DWORD bitrate = 0;
    QWORD avgTimePerFrame = 0;
    MediaType type;
    std::optional<BOOL> vbr;  // "_VBRENABLED"; absent when the file does not say
    // The file's Extended Stream Properties for the stream, and the Language List its language
    // indexes point into; a writer keeps what they declare.
    std::optional<asf::ExtendedStreamProperties> extended;
    std::vector<std::u16string> languages;
    // The stream's pixel aspect ratio attributes (AspectRatioX, AspectRatioY), as stored.
    std::vector<asf::StoredAttribute> aspectRatio;

    std::u16string Language() const;
};

std::vector<StreamDescription> DescribeStreams(const asf::AsfHeader& header);

// Reads any IWMProfile through its interface, and what only our stream configurations know.
HRESULT ReadProfile(IWMProfile* profile, std::vector<StreamDescription>& out);

class CStreamConfig final : public IWMStreamConfig,
                            public IWMMediaProps,
                            public IWMPropertyVault,
                            private RefCount<CStreamConfig> {
    friend class RefCount<CStreamConfig>;

  public:
    explicit CStreamConfig(StreamDescription d) : m_d(std::move(d)) {}
    const StreamDescription& Description() const { return m_d; }

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    // IWMStreamConfig
    HRESULT GetStreamType(GUID* type) override;
    HRESULT GetStreamNumber(WORD* number) override;
    HRESULT SetStreamNumber(WORD number) override;
    HRESULT GetBitrate(DWORD* bitrate) override;
    HRESULT SetBitrate(DWORD bitrate) override;
    HRESULT GetBufferWindow(DWORD* ms) override;
    HRESULT SetBufferWindow(DWORD ms) override;
    // IWMMediaProps
    HRESULT GetType(GUID* type) override;
    HRESULT GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) override;
    HRESULT SetMediaType(WM_MEDIA_TYPE* type) override;
    // IWMPropertyVault
    HRESULT GetPropertyCount(DWORD* count) override;
    HRESULT GetPropertyByName(LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                              DWORD* size) override;
    HRESULT SetProperty(LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                        DWORD size) override;

  private:
    ~CStreamConfig() = default;
    StreamDescription m_d;
};

// IWMProfile over a list of stream descriptions; the reader and the writer forward to it.
class ProfileData {
  public:
    std::vector<StreamDescription> streams;

    HRESULT GetStreamCount(DWORD* count) const;
    HRESULT GetStream(DWORD index, IWMStreamConfig** config) const;
    HRESULT GetStreamByNumber(WORD number, IWMStreamConfig** config) const;
    HRESULT ReconfigStream(IWMStreamConfig* config);
};

}  // namespace wm
