#pragma once
// The message box service: one call with the Win32 flag and answer values, callable from any
// thread. MessageBoxA shows it through the installed services (platform/services.h).

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_TASKMODAL = 0x2000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

namespace platform {

class IMessageBox {
  public:
    virtual ~IMessageBox() = default;
    // owner may be null; caption null means the default caption. Returns the IDxxx answer.
    virtual int Show(void* owner, const char* text, const char* caption, unsigned flags) = 0;
};

// Writes the text to standard error and answers as the default button would (IDOK / IDYES).
class ConsoleMessageBox : public IMessageBox {
  public:
    int Show(void* owner, const char* text, const char* caption, unsigned flags) override;
};

}  // namespace platform

// The call sites use the Win32 shape.
int MessageBoxA(void* owner, const char* text, const char* caption, unsigned flags);
