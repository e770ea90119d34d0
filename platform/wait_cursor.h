#pragma once
// The application's wait cursor: nested Begin / End pairs.

namespace platform {

class IWaitCursor {
  public:
    virtual ~IWaitCursor() = default;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

}  // namespace platform
