#pragma once
// The input list's durations: each file's declared length, read from its header alone when the
// file is added, as the list shows it (m:ss or h:mm:ss) and summed for the whole list.

#include <map>
#include <optional>
#include <string>

#include "wm_types.h"

namespace app {

// The header's "Duration" (100 ns, without the preroll); nothing when the file has no readable
// header.
std::optional<QWORD> ReadDeclaredDuration(const std::string& path);

// Rounded to the second: "0:07", "12:34", "1:02:03".
std::string FormatDuration(QWORD duration);

class CListDurations {
  public:
    // Reads the file's header again; a file added anew may have changed.
    void Note(const std::string& path);
    // The row's text: "" for a file without a readable duration.
    std::string Text(const std::string& path);
    // The sum over the first count slots; files without a duration add nothing.
    template <class Slots>
    QWORD Total(const Slots& slots, int count) {
        QWORD sum = 0;
        for (int i = 0; i < count; ++i) sum += Duration(slots[i]).value_or(0);
        return sum;
    }

  private:
    std::optional<QWORD> Duration(const std::string& path);
    std::map<std::string, std::optional<QWORD>> m_known;
};

}  // namespace app
