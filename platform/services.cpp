#include "platform/services.h"

#include <atomic>

namespace platform {

namespace {

class CNoFileDialogs : public IFileDialogs {
  public:
    bool GetOpenFileName(const FileDialogRequest&, FileDialogResult&) override { return false; }
    bool GetSaveFileName(const FileDialogRequest&, FileDialogResult&) override { return false; }
};

class CNoFontChooser : public IFontChooser {
  public:
    bool ChooseFont(const FontChooserRequest&, LOGFONTA&) override { return false; }
};

class CNoWaitCursor : public IWaitCursor {
  public:
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

class CNoShell : public IShell {
  public:
    static constexpr int kFileNotFound = 2;  // SE_ERR_FNF
    int ShellExecuteOpen(const std::string&) override { return kFileNotFound; }
    int WinExec(const std::vector<std::string>&) override { return kFileNotFound; }
};

class CNoSystemInfo : public ISystemInfo {
  public:
    bool GetVersionEx(OSVERSIONINFOA*) override { return false; }
    bool GetFolderPath(int, std::string&) override { return false; }
};

// Built on first use, so that a message from another file's static initialiser finds them.
const Services& Fallbacks() {
    static ConsoleMessageBox messageBox;
    static CMemorySettingsStore settings;
    static CNoFileDialogs fileDialogs;
    static CNoFontChooser fontChooser;
    static CNoWaitCursor waitCursor;
    static CNoShell shell;
    static CNoSystemInfo system;
    static const Services fallbacks{&messageBox, &settings, &fileDialogs, &fontChooser,
                                    &waitCursor, &shell,    &system};
    return fallbacks;
}

// Null until a scope installs services.
std::atomic<const Services*> g_installed{nullptr};

}  // namespace

const Services& InstalledServices() {
    const Services* installed = g_installed.load(std::memory_order_acquire);
    return installed ? *installed : Fallbacks();
}

ScopedServices::ScopedServices(const Services& services) : m_services(services) {
    const Services& now = InstalledServices();
    auto keep = [](auto*& mine, auto* installed) {
        if (!mine) mine = installed;
    };
    keep(m_services.messageBox, now.messageBox);
    keep(m_services.settings, now.settings);
    keep(m_services.fileDialogs, now.fileDialogs);
    keep(m_services.fontChooser, now.fontChooser);
    keep(m_services.waitCursor, now.waitCursor);
    keep(m_services.shell, now.shell);
    keep(m_services.system, now.system);
    m_previous = g_installed.exchange(&m_services, std::memory_order_acq_rel);
}

ScopedServices::~ScopedServices() { g_installed.store(m_previous, std::memory_order_release); }

}  // namespace platform
