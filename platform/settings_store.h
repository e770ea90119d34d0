#pragma once
// The per-user settings store: named string and 32-bit integer values in sections, read with a
// default and written without checking, as the registry key Software\<vendor>\<app> holds them.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
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
    // Why the stored settings could not be read (the store then works from defaults and keeps
    // the stored ones untouched), the first time it is asked; "" otherwise.
    virtual std::string TakeReadProblem() { return ""; }
};

// One stored value.
struct SettingValue {
    bool isInt = false;
    int32_t number = 0;
    std::string text;

    static SettingValue Text(std::string text) { return {false, 0, std::move(text)}; }
    static SettingValue Number(int32_t number) { return {true, number, {}}; }
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
    // Read as the store reads them: a missing value, or one of the other type, gives the default.
    std::string String(const std::string& section, const std::string& key,
                       const std::string& defaultValue) const;
    int32_t Integer(const std::string& section, const std::string& key, int32_t defaultValue) const;
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

// In memory, for the life of the object, with the file store's rules (an empty section or key is
// refused); callable from any thread. What a program keeps when no store is installed.
class CMemorySettingsStore : public ISettingsStore {
  public:
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) override;
    int32_t GetProfileInt(const std::string& section, const std::string& key,
                          int32_t defaultValue) override;
    bool WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;
    bool WriteProfileInt(const std::string& section, const std::string& key,
                         int32_t value) override;

  private:
    std::mutex m_lock;
    CSettingsData m_data;
};

}  // namespace platform
