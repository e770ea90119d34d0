#include "input_end.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

constexpr size_t kVideoTimePerFrameOffset = 40;  // VIDEOINFOHEADER.AvgTimePerFrame
constexpr size_t kWaveBytesPerSecOffset = 8;     // WAVEFORMATEX.nAvgBytesPerSec
constexpr size_t kMaxIntervals = 4096;           // enough for a median

template <class T>
T FieldAt(const WM_MEDIA_TYPE* type, size_t offset) {
    T value{};
    if (type->pbFormat && type->cbFormat >= offset + sizeof value)
        std::memcpy(&value, type->pbFormat + offset, sizeof value);
    return value;
}

}  // namespace

InputEnd::Stream& InputEnd::Insert(WORD number) {
    Stream& s = m_streams.emplace_back();
    s.number = number;
    return s;
}

void InputEnd::SetFormat(WORD stream, const WM_MEDIA_TYPE* type) {
    Stream& s = Find(stream);
    if (!type) return;
    s.blockBytes = 0;
    s.blockDuration = 0;
    if (type->formattype == WMFORMAT_WaveFormatEx)
        s.bytesPerSecond = FieldAt<DWORD>(type, kWaveBytesPerSecOffset);
    else if (type->formattype == WMFORMAT_VideoInfo)
        s.timePerFrame = FieldAt<QWORD>(type, kVideoTimePerFrameOffset);
}

void InputEnd::Reset() {
    for (Stream& s : m_streams) {
        s.knownEnd = s.lastTime = s.previousTime = 0;
        s.any = s.anyUnknown = false;
        s.intervals.clear();
    }
}

// Apart from Add, which then keeps the vector's growth out of its own path.
void InputEnd::NoteInterval(Stream& s, QWORD interval) { s.intervals.push_back(interval); }

void InputEnd::Add(const Sample& sample, DWORD bytes) {
    const QWORD time = sample.time;
    QWORD duration = sample.duration;
    Stream& s = Find(sample.stream);
    if (s.any && time > s.previousTime && s.intervals.size() < kMaxIntervals)
        NoteInterval(s, time - s.previousTime);
    s.previousTime = time;
    s.any = true;
    if (duration == 0 && s.bytesPerSecond) {
        // Blocks of one size follow one another: the division is done once per size.
        if (bytes != s.blockBytes) {
            s.blockBytes = bytes;
            s.blockDuration = QWORD(bytes) * 10000000 / s.bytesPerSecond;
        }
        duration = s.blockDuration;
    }
    if (duration == 0) duration = s.timePerFrame;
    if (duration) {
        s.knownEnd = std::max(s.knownEnd, time + duration);
    } else if (!s.anyUnknown || time > s.lastTime) {
        s.lastTime = time;
        s.anyUnknown = true;
    }
}

QWORD InputEnd::End() const {
    QWORD end = 0;
    for (const Stream& s : m_streams) {
        end = std::max(end, s.knownEnd);
        if (!s.anyUnknown) continue;
        std::vector<QWORD> v = s.intervals;
        QWORD median = 0;
        if (!v.empty()) {
            std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
            median = v[v.size() / 2];
        }
        end = std::max(end, s.lastTime + median);
    }
    return end;
}

}  // namespace engine
