#pragma once
// The wait cursor with wxWidgets' busy cursor.

#include "platform/wait_cursor.h"

namespace platform {

class CWxWaitCursor : public IWaitCursor {
  public:
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
};

}  // namespace platform
