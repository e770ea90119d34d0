#pragma once
// The per-user settings store: named string and 32-bit integer values in sections, read with a
// default and written without checking, as the registry key Software\<vendor>\<app> holds them.
// On Linux one file per program: $XDG_CONFIG_HOME/<vendor>/<app>.ini (default ~/.config).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class ISettingsStore {
  public:
    virtual ~ISettingsStore() = default;
    // A missing value, or one of the other type, gives the default.
    virtual std::string GetProfileString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) = 0;
    virtual int32_t GetProfileInt(const std::string& section, const std::string& key,
                                  int32_t defaultValue) = 0;
    // Creates the section when needed; false when the value could not be stored.
    virtual bool WriteProfileString(const std::string& section, const std::string& key,
                                    const std::string& value) = 0;
    virtual bool WriteProfileInt(const std::string& section, const std::string& key,
                                 int32_t value) = 0;
};

// One stored value.
struct SettingValue {
    bool isInt = false;
    int32_t number = 0;
    std::string text;
};

// The value as an integer: a stored integer, or text that is a decimal number; none otherwise.
std::optional<int32_t> AsInteger(const SettingValue& value);

// Sections and keys with case-blind names, in the order they were first written. Lines that hold
// no value (comments, blank lines, text written by hand that is not key=value) and values that were
// not changed are written back as they were read.
class CSettingsData {
  public:
    // The first value of the key in the first section of that name that has it.
    const SettingValue* Find(const std::string& section, const std::string& key) const;
    void Set(const std::string& section, const std::string& key, const SettingValue& value);

    // The file form: "[section]" lines, then key="text" (with \\ \" \n \r \t escapes),
    // key=dword:xxxxxxxx, or key=text written by hand (taken as it stands; a decimal number also
    // reads as an integer).
    static CSettingsData Parse(const std::string& text);
    std::string Render() const;

  private:
    struct Entry {
        std::string key;  // empty: a line that holds no value
        SettingValue value;
        std::optional<std::string> line;  // as read; none once the value was set anew
    };
    struct Section {
        std::string name;                   // empty: lines before the first section, or after
                                            // a header that names none
        std::optional<std::string> header;  // as read; none for a section added by Set
        std::vector<Entry> entries;
    };
    std::vector<Section> m_sections;
};

// The store in one file. Each read reads the file and each write rewrites it whole through a
// temporary file and a rename, so a crash never leaves half a file.
class CFileSettingsStore : public ISettingsStore {
  public:
    explicit CFileSettingsStore(std::string path) : m_path(std::move(path)) {}
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) override;
    int32_t GetProfileInt(const std::string& section, const std::string& key,
                          int32_t defaultValue) override;
    bool WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;
    bool WriteProfileInt(const std::string& section, const std::string& key,
                         int32_t value) override;
    const std::string& Path() const { return m_path; }

  private:
    CSettingsData Load() const;
    bool Store(const std::string& section, const std::string& key, const SettingValue& value);
    std::string m_path;
};

// In memory; records every write in order.
class RecordingSettingsStore : public ISettingsStore {
  public:
    struct Write {
        std::string section, key;
        SettingValue value;
    };
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) override;
    int32_t GetProfileInt(const std::string& section, const std::string& key,
                          int32_t defaultValue) override;
    bool WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;
    bool WriteProfileInt(const std::string& section, const std::string& key,
                         int32_t value) override;
    CSettingsData data;
    std::vector<Write> writes;
};

// $XDG_CONFIG_HOME/<vendor>/<app>.ini; XDG_CONFIG_HOME unset, empty or relative means ~/.config.
std::string SettingsFilePath(const std::string& vendor, const std::string& app);

// The program's store: an unbound in-memory store until SetSettingsStore. Returns the previous.
ISettingsStore& GetSettingsStore();
ISettingsStore* SetSettingsStore(ISettingsStore* store);

}  // namespace platform
