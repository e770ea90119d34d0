#pragma once
// IWMFileError for the runtime's objects: keeps the text of the last failed file operation.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "wm_interfaces.h"

namespace wm {

class FileErrorImpl : public IWMFileError {
  public:
    HRESULT GetFileError(char* text, DWORD size) override {
        if (!text || size == 0) return E_POINTER;
        std::lock_guard<std::mutex> lock(m_fileErrorMutex);
        size_t n = std::min<size_t>(m_fileError.size(), size - 1);
        std::memcpy(text, m_fileError.data(), n);
        text[n] = '\0';
        return m_fileError.empty() ? S_FALSE : S_OK;
    }

  protected:
    void SetFileError(std::string text) {
        std::lock_guard<std::mutex> lock(m_fileErrorMutex);
        m_fileError = std::move(text);
    }
    std::string FileError() {
        std::lock_guard<std::mutex> lock(m_fileErrorMutex);
        return m_fileError;
    }

  private:
    std::mutex m_fileErrorMutex;
    std::string m_fileError;
};

// The IWMFileError text of a runtime object ("path: reason"), empty when it has none.
inline std::string FileErrorText(IUnknown* object) {
    IWMFileError* info = nullptr;
    if (!object ||
        Failed(object->QueryInterface(IID_IWMFileError, reinterpret_cast<void**>(&info))))
        return {};
    char text[1024];
    HRESULT hr = info->GetFileError(text, sizeof text);
    info->Release();
    return hr == S_OK ? text : "";
}

}  // namespace wm
