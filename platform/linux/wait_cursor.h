#pragma once
// The application's wait cursor: nested Begin / End pairs.

namespace platform {

class IWaitCursor {
  public:
    virtual ~IWaitCursor() = default;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

// Counts; depth is the number of Begin calls not yet ended.
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
