#pragma once
// A new file that takes the place of another by one rename once it is complete, and is removed
// when it goes without being committed.

#include <sys/stat.h>

#include <string>

#include "safe_file.h"

namespace asf {

class ReplacementFile {
  public:
    // Replace: a link at the target is itself replaced. Follow: the file the link points to is
    // replaced (it may not exist yet) and the link stays.
    enum class Links { Replace, Follow };

    ReplacementFile() = default;
    ~ReplacementFile() { Remove(); }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Makes the file beside target, as CreateFileBeside does; returns it open for reading and
    // writing, or an empty descriptor with errno set. A file made before is removed first.
    Descriptor Create(const std::string& target, const char* tag, mode_t mode,
                      Links links = Links::Replace);
    // Gives the file at fd the mode and owner of original; the owner only where the system
    // allows it, and set-id bits only with the owner kept. False with errno set when the mode
    // cannot be set.
    static bool TakeModeAndOwner(int fd, const struct stat& original);
    // Moves the file to the target in one rename. Without replace a file at the target is never
    // replaced (EEXIST). False with errno set; the file then stays for the destructor.
    bool Commit(bool replace = true);
    // Leaves the file where it is (a caller names it in a message); its path.
    std::string Keep();
    // Removes the file now, unless it was committed or kept.
    void Remove();

    bool Active() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    const std::string& Target() const { return m_target; }

  private:
    std::string m_target;
    std::string m_path;
};

}  // namespace asf
