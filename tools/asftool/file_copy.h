#pragma once
// asftool copy and mark: a lossless rewrite through the runtime, and adding a marker in place.

#include <atomic>
#include <string>

#include "wm_types.h"

namespace asftool {

// Reader with a user clock into a writer with the reader's profile; the header's attributes,
// codec list and scripts go into the writer, the markers in afterwards with the editor.
// When *stop becomes true the copy ends with E_ABORT and leaves no file.
HRESULT CopyFile(const std::string& in, const std::string& out, std::string& error,
                 const std::atomic<bool>* stop = nullptr);

HRESULT AddMarker(const std::string& file, QWORD time, const std::string& name, std::string& error,
                  const std::atomic<bool>* stop = nullptr);

}  // namespace asftool
