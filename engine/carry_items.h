#pragma once
// Header items carried from one header to another, each failure reported where it is found:
// an attribute, the codec list, and scripts and markers moved to their input's place in the
// output (time - rebase, never before 0, + offset).

#include "wm_interfaces.h"

namespace engine {

// The attribute name of the source's stream srcStream, as the destination's stream dstStream; an
// attribute the source lacks, or one too large for the interface, is skipped.
HRESULT CarryAttribute(IWMHeaderInfo* source, WORD srcStream, IWMHeaderInfo* destination,
                       WORD dstStream, LPCWSTR name);
HRESULT CarryCodecInfo(IWMHeaderInfo* source, IWMHeaderInfo* destination);
// The first failure ends these.
HRESULT CarryScripts(IWMHeaderInfo* source, IWMHeaderInfo* destination, QWORD offset, QWORD rebase);
HRESULT CarryMarkers(IWMHeaderInfo* source, IWMHeaderInfo* destination, QWORD offset, QWORD rebase);

}  // namespace engine
