// Carrying header items over, with the engine's messages.
#include "carry_items.h"

#include "com_object.h"
#include "header_items.h"
#include "report_error.h"

namespace engine {

namespace {

QWORD Shifted(QWORD time, QWORD offset, QWORD rebase) {
    return offset + (time > rebase ? time - rebase : 0);
}

// A read that ran out of memory has its own message; false for other failures.
bool ReportedOutOfMemory(HRESULT hr) {
    if (hr != E_OUTOFMEMORY) return false;
    ReportError("Internal Error: Out of memory\n");
    return true;
}

// Each item of one kind ("Marker", "Script") read and added in order, each failure said with
// the kind's own calls in the message; the first failure ends the copy.
template <class Item, class Count, class Read, class Add>
HRESULT CarryEach(const char* kind, Count count, Read read, Add add) {
    WORD n = 0;
    HRESULT hr = count(&n);
    if (Failed(hr)) {
        ReportError("Get%sCount failed (hr=0x%08x).\n", kind, hr);
        return hr;
    }
    for (WORD i = 0; i < n && Succeeded(hr); ++i) {
        Item item;
        if (Failed(hr = read(i, item))) {
            if (!ReportedOutOfMemory(hr))
                ReportError("Get%s failed for %s no %d (hr=0x%08x).\n", kind, kind, int(i), hr);
        } else if (Failed(hr = add(item))) {
            ReportError("Add%s failed for %s no %d (hr=0x%08x).\n", kind, kind, int(i), hr);
        }
    }
    return hr;
}

}  // namespace

HRESULT CarryAttribute(IWMHeaderInfo* source, WORD srcStream, IWMHeaderInfo* destination,
                       WORD dstStream, LPCWSTR name) {
    if (!source || !destination) return E_INVALIDARG;
    Attribute a;
    HRESULT hr = ReadAttribute(source, srcStream, name, a);
    if (hr == E_ARITHMETIC_OVERFLOW) {
        ReportError(
            "The attribute %s of the first file is larger than 65535 bytes and cannot be "
            "carried over; the join goes on without it.\n",
            ShownName(name).c_str());
        return S_OK;
    }
    if (hr == ASF_E_NOTFOUND || (Succeeded(hr) && a.value.empty())) return S_OK;
    if (Failed(hr)) {
        if (!ReportedOutOfMemory(hr))
            ReportError("GetAttributeByName failed for Attribute name %s (hr=0x%08x).\n",
                        ShownName(name).c_str(), hr);
        return hr;
    }
    if (Failed(hr = destination->SetAttribute(dstStream, name, a.type, a.value.data(),
                                              WORD(a.value.size()))))
        ReportError("SetAttribute failed for Attribute name %s (hr=0x%08x).\n",
                    ShownName(name).c_str(), hr);
    return hr;
}

HRESULT CarryCodecInfo(IWMHeaderInfo* source, IWMHeaderInfo* destination) {
    if (!source || !destination) return E_INVALIDARG;
    wm::ComPtr<IWMHeaderInfo3> from, to;
    HRESULT hr = wm::Query(source, from);
    if (Succeeded(hr)) hr = wm::Query(destination, to);
    if (Failed(hr)) {
        ReportError("QI for IWMHeaderInfo3 failed (hr=0x%08x).\n", hr);
        return hr;
    }
    DWORD count = 0;
    if (Failed(hr = from->GetCodecInfoCount(&count)))
        ReportError("GetCodecInfoCount failed (hr=0x%08x).\n", hr);
    for (DWORD i = 0; i < count && Succeeded(hr); ++i) {
        CodecInfo c;
        if (Failed(hr = ReadCodecInfo(from.Get(), i, c))) {
            if (!ReportedOutOfMemory(hr)) ReportError("GetCodecInfo failed (hr=0x%08x).\n", hr);
        } else if (Failed(hr = to->AddCodecInfo(c.name.c_str(), c.description.c_str(), c.type,
                                                WORD(c.info.size()), c.info.data())))
            ReportError("AddCodecInfo failed (hr=0x%08x).\n", hr);
    }
    return hr;
}

HRESULT CarryScripts(IWMHeaderInfo* source, IWMHeaderInfo* destination, QWORD offset,
                     QWORD rebase) {
    if (!destination || !source) return E_INVALIDARG;
    return CarryEach<Script>(
        "Script", [&](WORD* count) { return source->GetScriptCount(count); },
        [&](WORD i, Script& s) { return ReadScript(source, i, s); },
        [&](const Script& s) {
            return destination->AddScript(s.type.c_str(), s.command.c_str(),
                                          Shifted(s.time, offset, rebase));
        });
}

HRESULT CarryMarkers(IWMHeaderInfo* source, IWMHeaderInfo* destination, QWORD offset,
                     QWORD rebase) {
    if (!destination || !source) return E_INVALIDARG;
    return CarryEach<Marker>(
        "Marker", [&](WORD* count) { return source->GetMarkerCount(count); },
        [&](WORD i, Marker& m) { return ReadMarker(source, i, m); },
        [&](const Marker& m) {
            return destination->AddMarker(m.name.c_str(), Shifted(m.time, offset, rebase));
        });
}

}  // namespace engine
