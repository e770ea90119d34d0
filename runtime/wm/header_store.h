#pragma once
// IWMHeaderInfo / IWMHeaderInfo3 over an ASF header model. The reader, the writer and the
// metadata editor own one and forward their header calls to it.

#include <vector>

#include "../asf/header.h"
#include "wm_types.h"

namespace wm {

class HeaderStore {
  public:
    // Longest strings the header's fields hold, in characters without the terminator: a 16-bit
    // byte length (names, descriptions, attribute strings), a 16-bit character count (codecs,
    // scripts), and a marker's name, whose entry's 16-bit length also holds 12 bytes of fields.
    // Longer ones are refused with E_ARITHMETIC_OVERFLOW, as are a 65,536th marker or script.
    static constexpr size_t kMaxByteLengthChars = 0xFFFF / 2 - 1;
    static constexpr size_t kMaxCharCountChars = 0xFFFF - 1;
    static constexpr size_t kMaxMarkerNameChars = (0xFFFF - 12) / 2 - 1;

    asf::AsfHeader header;
    // Coded values, computed from the file when it was read.
    QWORD contentDuration = 0;  // 100 ns

    void SetFromFile(asf::AsfHeader h);

    HRESULT GetAttributeCount(WORD stream, WORD* count) const;
    HRESULT GetAttributeByIndex(WORD index, WORD* stream, WCHAR* name, WORD* nameLength,
                                WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) const;
    HRESULT GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                               WORD* length) const;
    HRESULT SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                         WORD length);
    HRESULT GetMarkerCount(WORD* count) const;
    HRESULT GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) const;
    HRESULT AddMarker(const WCHAR* name, QWORD time);
    HRESULT RemoveMarker(WORD index);
    HRESULT GetScriptCount(WORD* count) const;
    HRESULT GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command,
                      WORD* commandLength, QWORD* time) const;
    HRESULT AddScript(const WCHAR* type, const WCHAR* command, QWORD time);
    HRESULT RemoveScript(WORD index);
    HRESULT GetCodecInfoCount(DWORD* count) const;
    HRESULT GetCodecInfo(DWORD index, WORD* nameLength, WCHAR* name, WORD* descriptionLength,
                         WCHAR* description, WMT_CODEC_INFO_TYPE* type, WORD* infoSize,
                         BYTE* info) const;
    HRESULT AddCodecInfo(const WCHAR* name, const WCHAR* description, WMT_CODEC_INFO_TYPE type,
                         WORD infoSize, const BYTE* info);

    // One attribute as the API presents it.
    struct Attribute {
        WORD stream;
        std::u16string name;
        WMT_ATTR_DATATYPE type;
        std::vector<BYTE> value;
    };
    // Every stored attribute, then the coded ones.
    std::vector<Attribute> Attributes() const;

  private:
    QWORD PrerollTime() const { return header.file.preroll * 10000; }
};

}  // namespace wm
