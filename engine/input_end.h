#pragma once
// Where an input truly ends in the output: the latest end of a sample over its streams, a
// sample's end being its time plus its duration. Durations the file does not give come from
// the stream: an audio block's bytes over the format's bytes per second, a video stream's
// time per frame, else the median interval between the stream's sample times.

#include <vector>

#include "sample.h"
#include "wm_interfaces.h"

namespace engine {

class InputEnd {
  public:
    // The output streams' formats, from the writer's profile.
    void SetFormat(WORD stream, const WM_MEDIA_TYPE* type);
    // A new input starts.
    void Reset();
    // A sample as written (output stream and time, duration as the reader gave it), of bytes.
    void Add(const Sample& s, DWORD bytes);
    // 0 before any sample.
    QWORD End() const;

  private:
    struct Stream {
        WORD number = 0;
        DWORD bytesPerSecond = 0;  // audio
        DWORD blockBytes = 0;      // the last block's size, and its duration
        QWORD blockDuration = 0;
        QWORD timePerFrame = 0;  // video
        QWORD knownEnd = 0;      // latest time + duration where a duration was known
        bool any = false;
        bool anyUnknown = false;  // a sample without a known duration was seen
        QWORD lastTime = 0;       // the latest such sample's time
        std::vector<QWORD> intervals;
        QWORD previousTime = 0;
    };
    Stream& Find(WORD number) {
        for (Stream& s : m_streams)
            if (s.number == number) return s;
        return Insert(number);
    }
    Stream& Insert(WORD number);
    [[gnu::noinline]] static void NoteInterval(Stream& s, QWORD interval);
    std::vector<Stream> m_streams;
};

}  // namespace engine
