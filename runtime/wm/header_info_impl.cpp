#include "header_info_impl.h"

namespace wm {

HRESULT HeaderInfoImpl::GetAttributeCount(WORD stream, WORD* count) {
    return Read([&](HeaderStore& s) { return s.GetAttributeCount(stream, count); });
}
HRESULT HeaderInfoImpl::GetAttributeByIndex(WORD index, WORD* stream, WCHAR* name, WORD* nameLength,
                                            WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) {
    return Read([&](HeaderStore& s) {
        return s.GetAttributeByIndex(index, stream, name, nameLength, type, value, length);
    });
}
HRESULT HeaderInfoImpl::GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type,
                                           BYTE* value, WORD* length) {
    return Read(
        [&](HeaderStore& s) { return s.GetAttributeByName(stream, name, type, value, length); });
}
HRESULT HeaderInfoImpl::SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type,
                                     const BYTE* value, WORD length) {
    return Edit([&](HeaderStore& s) { return s.SetAttribute(stream, name, type, value, length); });
}
HRESULT HeaderInfoImpl::GetMarkerCount(WORD* count) {
    return Read([&](HeaderStore& s) { return s.GetMarkerCount(count); });
}
HRESULT HeaderInfoImpl::GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) {
    return Read([&](HeaderStore& s) { return s.GetMarker(index, name, nameLength, time); });
}
HRESULT HeaderInfoImpl::AddMarker(const WCHAR* name, QWORD time) {
    return Edit([&](HeaderStore& s) { return s.AddMarker(name, time); });
}
HRESULT HeaderInfoImpl::RemoveMarker(WORD index) {
    return Edit([&](HeaderStore& s) { return s.RemoveMarker(index); });
}
HRESULT HeaderInfoImpl::GetScriptCount(WORD* count) {
    return Read([&](HeaderStore& s) { return s.GetScriptCount(count); });
}
HRESULT HeaderInfoImpl::GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command,
                                  WORD* commandLength, QWORD* time) {
    return Read([&](HeaderStore& s) {
        return s.GetScript(index, type, typeLength, command, commandLength, time);
    });
}
HRESULT HeaderInfoImpl::AddScript(const WCHAR* type, const WCHAR* command, QWORD time) {
    return Edit([&](HeaderStore& s) { return s.AddScript(type, command, time); });
}
HRESULT HeaderInfoImpl::RemoveScript(WORD index) {
    return Edit([&](HeaderStore& s) { return s.RemoveScript(index); });
}
HRESULT HeaderInfoImpl::GetCodecInfoCount(DWORD* count) {
    return Read([&](HeaderStore& s) { return s.GetCodecInfoCount(count); });
}
HRESULT HeaderInfoImpl::GetCodecInfo(DWORD index, WORD* nameLength, WCHAR* name,
                                     WORD* descriptionLength, WCHAR* description,
                                     WMT_CODEC_INFO_TYPE* type, WORD* infoSize, BYTE* info) {
    return Read([&](HeaderStore& s) {
        return s.GetCodecInfo(index, nameLength, name, descriptionLength, description, type,
                              infoSize, info);
    });
}
HRESULT HeaderInfoImpl::AddCodecInfo(const WCHAR* name, const WCHAR* description,
                                     WMT_CODEC_INFO_TYPE type, WORD infoSize, const BYTE* info) {
    return Edit(
        [&](HeaderStore& s) { return s.AddCodecInfo(name, description, type, infoSize, info); });
}

}  // namespace wm
