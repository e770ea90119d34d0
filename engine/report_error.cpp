#include "report_error.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#include "file_error.h"
#include "platform/message_box.h"
#include "text/utf.h"

namespace engine {

namespace {

std::mutex g_reportLock;
char g_reportBuffer[kReportBufferSize];
std::string g_reportContext;  // guarded by g_reportLock

class Output {
  public:
    Output(char* buffer, size_t size) : m_buffer(buffer), m_size(size) {}
    void Put(char c) {
        if (m_length + 1 < m_size) m_buffer[m_length] = c;
        ++m_length;
    }
    void Finish() {
        if (m_size == 0) return;
        m_buffer[m_length + 1 < m_size ? m_length : m_size - 1] = '\0';
    }
    int Length() const { return static_cast<int>(m_length + 1 < m_size ? m_length : m_size - 1); }

  private:
    char* m_buffer;
    size_t m_size;
    size_t m_length = 0;
};

// Up to maxChars UTF-16 units as display UTF-8 (lone surrogates as U+FFFD); a cut that would
// split a surrogate pair keeps the pair whole.
std::string WideText(const char16_t* s, size_t maxChars) {
    if (!s) return "(null)";
    size_t n = 0;
    while (n < maxChars && s[n]) ++n;
    if (n > 0 && s[n] >= 0xDC00 && s[n] < 0xE000 && s[n - 1] >= 0xD800 && s[n - 1] < 0xDC00) ++n;
    return text::Utf16ToDisplayUtf8(std::u16string_view(s, n));
}

void PutPadded(Output& out, const std::string& body, const std::string& prefix, unsigned width,
               bool left, bool zero) {
    size_t len = body.size() + prefix.size();
    size_t pad = width > len ? width - len : 0;
    if (!left && !zero)
        for (size_t i = 0; i < pad; ++i) out.Put(' ');
    for (char c : prefix) out.Put(c);
    if (!left && zero)
        for (size_t i = 0; i < pad; ++i) out.Put('0');
    for (char c : body) out.Put(c);
    if (left)
        for (size_t i = 0; i < pad; ++i) out.Put(' ');
}

}  // namespace

int FormatMessageText(char* buffer, size_t size, const char* format, va_list args) {
    Output out(buffer, size);
    const char* p = format ? format : "";
    while (*p) {
        if (*p != '%') {
            out.Put(*p++);
            continue;
        }
        ++p;
        bool left = false, zero = false, alt = false;
        for (;; ++p) {
            if (*p == '-')
                left = true;
            else if (*p == '0')
                zero = true;
            else if (*p == '#')
                alt = true;
            else
                break;
        }
        unsigned width = 0;
        while (*p >= '0' && *p <= '9') width = width * 10 + unsigned(*p++ - '0');
        bool hasPrecision = false;
        unsigned precision = 0;
        if (*p == '.') {
            hasPrecision = true;
            ++p;
            while (*p >= '0' && *p <= '9') precision = precision * 10 + unsigned(*p++ - '0');
        }
        bool wide = false, narrow = false;
        if (*p == 'l' || *p == 'w') {
            wide = true;
            ++p;
        } else if (*p == 'h') {
            narrow = true;
            ++p;
        }
        char type = *p ? *p++ : '\0';
        switch (type) {
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'X': {
                int32_t v = va_arg(args, int32_t);
                if (narrow) v = (type == 'd' || type == 'i') ? int16_t(v) : int32_t(uint16_t(v));
                bool negative = (type == 'd' || type == 'i') && v < 0;
                uint32_t magnitude = negative ? 0u - uint32_t(v) : uint32_t(v);
                unsigned base = (type == 'x' || type == 'X') ? 16 : 10;
                const char* digits = type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
                std::string body;
                do {
                    body.insert(body.begin(), digits[magnitude % base]);
                    magnitude /= base;
                } while (magnitude);
                if (hasPrecision && body.size() < precision)
                    body.insert(0, precision - body.size(), '0');
                std::string prefix = negative ? "-" : "";
                if (alt && base == 16) prefix += type == 'X' ? "0X" : "0x";
                PutPadded(out, body, prefix, width, left, zero && !left);
                break;
            }
            case 'c':
            case 'C': {
                int v = va_arg(args, int);
                std::string body;
                if (wide || type == 'C') {
                    body = text::Utf16ToDisplayUtf8(std::u16string(1, char16_t(v & 0xFFFF)));
                } else {
                    body.assign(1, static_cast<char>(v));
                }
                PutPadded(out, body, "", width, left, false);
                break;
            }
            case 's':
            case 'S': {
                size_t limit = hasPrecision ? precision : SIZE_MAX;
                std::string body;
                if (wide || type == 'S') {
                    body = WideText(va_arg(args, const char16_t*), limit);
                } else {
                    const char* s = va_arg(args, const char*);
                    if (!s) s = "(null)";
                    body.assign(s, strnlen(s, limit));
                }
                PutPadded(out, body, "", width, left, false);
                break;
            }
            case '\0':
                break;
            default:  // %% and unknown types print the character itself
                out.Put(type);
                break;
        }
    }
    out.Finish();
    return out.Length();
}

int ReportError(const char* format, ...) {
    std::lock_guard<std::mutex> lock(g_reportLock);
    va_list args;
    va_start(args, format);
    FormatMessageText(g_reportBuffer, sizeof g_reportBuffer, format, args);
    va_end(args);
    if (g_reportContext.empty()) {
        MessageBoxA(nullptr, g_reportBuffer, nullptr, MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    } else {
        std::string text = g_reportBuffer;
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += g_reportContext + "\n";
        MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    }
    return 1;
}

ScopedReportContext::ScopedReportContext(std::string line) {
    std::lock_guard<std::mutex> lock(g_reportLock);
    g_reportContext = std::move(line);
}

ScopedReportContext::~ScopedReportContext() {
    std::lock_guard<std::mutex> lock(g_reportLock);
    g_reportContext.clear();
}

std::string FileReasonLine(IUnknown* object) {
    std::string reason = wm::FileErrorText(object);
    return reason.empty() ? reason : reason + "\n";
}

}  // namespace engine
