#pragma once
// A join's output is written under a hidden name beside its destination and moves into place by
// one rename once it is complete: a failed or stopped join leaves whatever was there untouched.

#include <string>

#include "asf/replacement_file.h"
#include "wm_types.h"

namespace engine {

class StagedOutput {
  public:
    explicit StagedOutput(std::string destination) : m_destination(std::move(destination)) {}
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // Reserves the hidden name (a new empty file); reports and fails when the folder refuses it.
    HRESULT Create();
    const std::string& Path() const { return m_file.Path(); }
    // Lets go of the reserved empty file, keeping its name: the writer's rename then lands on no
    // file, where a rename over one would make ext4 write the whole new file out at once.
    void Vacate();
    // Puts the finished file at the destination. Without replace an existing file there is never
    // replaced: the join fails and says so.
    HRESULT Commit(bool replace);

  private:
    std::string m_destination;
    asf::ReplacementFile m_file;  // removed unless committed
};

}  // namespace engine
