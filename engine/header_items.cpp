#include "header_items.h"

#include "try_allocate.h"

namespace engine {

namespace {

// Cuts a fetched text at its first terminator.
void CutAtTerminator(std::u16string& text) {
    const size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
}

}  // namespace

HRESULT ReadAttribute(IWMHeaderInfo* header, WORD stream, LPCWSTR name, Attribute& out) {
    out.stream = stream;
    out.name = name;
    out.value.clear();
    WORD length = 0;
    WORD s = stream;
    HRESULT hr = header->GetAttributeByName(&s, name, &out.type, nullptr, &length);
    if (Failed(hr) || length == 0) return hr;
    if (!Allocate(out.value, length)) return E_OUTOFMEMORY;
    s = stream;
    hr = header->GetAttributeByName(&s, name, &out.type, out.value.data(), &length);
    if (Succeeded(hr) && length < out.value.size()) out.value.resize(length);
    return hr;
}

HRESULT ReadAttributeAt(IWMHeaderInfo* header, WORD index, Attribute& out) {
    WORD stream = 0xFFFF, nameLength = 0, length = 0;
    HRESULT hr = header->GetAttributeByIndex(index, &stream, nullptr, &nameLength, &out.type,
                                             nullptr, &length);
    if (Failed(hr)) return hr;
    if (!Allocate(out.name, size_t(nameLength) + 1) || !Allocate(out.value, length))
        return E_OUTOFMEMORY;
    stream = 0xFFFF;
    ++nameLength;
    hr = header->GetAttributeByIndex(index, &stream, out.name.data(), &nameLength, &out.type,
                                     out.value.data(), &length);
    if (Failed(hr)) return hr;
    out.stream = stream;
    CutAtTerminator(out.name);
    if (length < out.value.size()) out.value.resize(length);
    return S_OK;
}

HRESULT ReadMarker(IWMHeaderInfo* header, WORD index, Marker& out) {
    WORD length = 0;
    HRESULT hr = header->GetMarker(index, nullptr, &length, &out.time);
    if (Failed(hr)) return hr;
    if (!Allocate(out.name, size_t(length) + 1)) return E_OUTOFMEMORY;
    if (Failed(hr = header->GetMarker(index, out.name.data(), &length, &out.time))) return hr;
    CutAtTerminator(out.name);
    return S_OK;
}

HRESULT ReadScript(IWMHeaderInfo* header, WORD index, Script& out) {
    WORD typeLength = 0, commandLength = 0;
    HRESULT hr = header->GetScript(index, nullptr, &typeLength, nullptr, &commandLength, &out.time);
    if (Failed(hr)) return hr;
    if (!Allocate(out.type, size_t(typeLength) + 1) ||
        !Allocate(out.command, size_t(commandLength) + 1))
        return E_OUTOFMEMORY;
    if (Failed(hr = header->GetScript(index, out.type.data(), &typeLength, out.command.data(),
                                      &commandLength, &out.time)))
        return hr;
    CutAtTerminator(out.type);
    CutAtTerminator(out.command);
    return S_OK;
}

HRESULT ReadCodecInfo(IWMHeaderInfo3* header, DWORD index, CodecInfo& out) {
    WORD nameLength = 0, descriptionLength = 0, infoSize = 0;
    HRESULT hr = header->GetCodecInfo(index, &nameLength, nullptr, &descriptionLength, nullptr,
                                      &out.type, &infoSize, nullptr);
    if (Failed(hr)) return hr;
    if (!Allocate(out.name, size_t(nameLength) + 1) ||
        !Allocate(out.description, size_t(descriptionLength) + 1) ||
        !Allocate(out.info, infoSize ? infoSize : 1))
        return E_OUTOFMEMORY;
    WORD nameRoom = nameLength + 1, descriptionRoom = descriptionLength + 1, infoRoom = infoSize;
    if (Failed(hr = header->GetCodecInfo(index, &nameRoom, out.name.data(), &descriptionRoom,
                                         out.description.data(), &out.type, &infoRoom,
                                         out.info.data())))
        return hr;
    CutAtTerminator(out.name);
    CutAtTerminator(out.description);
    out.info.resize(infoRoom < infoSize ? infoRoom : infoSize);
    return S_OK;
}

namespace {

// Every item of a counted list in order; the first failure ends the list there.
template <class Item>
HRESULT ReadAll(IWMHeaderInfo* header, HRESULT (IWMHeaderInfo::*count)(WORD*),
                HRESULT (*read)(IWMHeaderInfo*, WORD, Item&), std::vector<Item>& out) {
    WORD n = 0;
    HRESULT hr = (header->*count)(&n);
    for (WORD i = 0; Succeeded(hr) && i < n; ++i)
        if (Failed(hr = read(header, i, out.emplace_back()))) out.pop_back();
    return hr;
}

}  // namespace

HRESULT ReadMarkers(IWMHeaderInfo* header, std::vector<Marker>& out) {
    return ReadAll(header, &IWMHeaderInfo::GetMarkerCount, ReadMarker, out);
}

HRESULT ReadScripts(IWMHeaderInfo* header, std::vector<Script>& out) {
    return ReadAll(header, &IWMHeaderInfo::GetScriptCount, ReadScript, out);
}

}  // namespace engine
