#pragma once
// A wait cursor that counts; depth is the number of Begin calls not yet ended.

#include "platform/wait_cursor.h"

namespace platform {

class RecordingWaitCursor : public IWaitCursor {
  public:
    void BeginWaitCursor() override {
        ++begins;
        ++depth;
    }
    void EndWaitCursor() override {
        ++ends;
        --depth;
    }
    int begins = 0;
    int ends = 0;
    int depth = 0;
};

}  // namespace platform
