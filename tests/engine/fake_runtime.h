#pragma once
// A scripted runtime for the engine's tests: readers play file descriptions synchronously from
// inside Start (or, with SPLICORA_FAKE_THREADS=1, from threads of their own), the writer and the
// editors record what they are given, and each call can be made to fail.

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "merger.h"

namespace fake {

struct HeaderData {
    struct Attribute {
        WORD stream;
        std::u16string name;
        WMT_ATTR_DATATYPE type;
        std::vector<BYTE> value;
    };
    struct Marker {
        std::u16string name;
        QWORD time;
    };
    struct Script {
        std::u16string type, command;
        QWORD time;
    };
    struct Codec {
        std::u16string name, description;
        WMT_CODEC_INFO_TYPE type;
        std::vector<BYTE> info;
    };
    std::vector<Attribute> attributes;
    std::vector<Marker> markers;
    std::vector<Script> scripts;
    std::vector<Codec> codecs;

    void Set(WORD stream, const std::u16string& name, WMT_ATTR_DATATYPE type,
             std::vector<BYTE> value);
    void SetString(const std::u16string& name, const std::u16string& value);
    void SetQword(const std::u16string& name, QWORD value);
    const Attribute* Find(WORD stream, const std::u16string& name) const;
    std::u16string String(const std::u16string& name) const;
};

struct Stream {
    WORD number = 1;
    DWORD bufferWindow = 3000;
    bool vbr = false;
    WM_MEDIA_TYPE head{};
    std::vector<BYTE> format;
};

// A video stream (VIDEOINFOHEADER) or an audio stream (WAVEFORMATEX) with the given rates.
Stream Video(WORD number, uint32_t fourcc, DWORD bitsPerSecond);
Stream Audio(WORD number, DWORD bytesPerSecond);

struct Sample {
    WORD stream;
    QWORD time;  // 100 ns
    QWORD duration;
    DWORD flags;
    std::vector<BYTE> data;
};

// One input file as the fake reader plays it.
struct File {
    std::vector<Stream> streams;
    std::vector<Sample> samples;  // in time order
    QWORD end = 0;                // the clock must reach this before the end is reported
    HeaderData header;
    HRESULT openResult = S_OK;  // reported with WMT_OPENED
    HRESULT endResult = S_OK;   // WMT_EOF's hr; a failure is sent as WMT_ERROR
    int extraEnds = 0;          // further WMT_EOF / WMT_ERROR reports after the first
    bool decompressed = false;  // hands its first sample to OnSample
    WORD rogueStream = 0;       // when set, one sample arrives with this stream number
};

// Two streams (video 1, audio 2) with a sample per stream every half second up to seconds.
File AvFile(double seconds, const std::u16string& title = u"");

struct Written {
    WORD stream;
    QWORD time;
    DWORD sendTime;
    QWORD duration;
    DWORD flags;
    std::vector<BYTE> data;
};

class World {
  public:
    World();
    ~World();
    engine::MergerRuntime Runtime();

    std::map<std::u16string, File> files;
    // Forced failures.
    std::map<int, HRESULT> readerCreation;  // by creation number, from 1
    HRESULT writerCreation = S_OK;
    std::map<std::string, HRESULT> failing;     // "reader2.Start", "writer.EndWriting", ...
    int failWriteAt = -1;                       // index of the write that fails
    HRESULT writeFailure = MakeHr(0x80070070);  // disk full

    // Recorded.
    std::vector<std::string> log;  // "reader1.Open", "writer.BeginWriting", ...
    std::vector<Written> written;
    std::vector<Stream> writerProfile;
    std::u16string outputName;
    HeaderData writerHeader;
    std::map<std::u16string, HeaderData> onDisk;  // finished outputs, as the editor sees them
    std::vector<QWORD> deliveredTimes;
    std::atomic<int> live{0};  // fake objects not yet destroyed
    int readersCreated = 0;

    // Readers call back from threads of their own, pausing at random (seeded) before each call.
    bool threaded = false;
    unsigned seed = 0;
    std::mutex lock;  // guards log, written and deliveredTimes while readers run

    HRESULT Fail(const std::string& call);  // logs the call and answers the forced result
    template <class T, class V>
    void Record(std::vector<T>& list, V&& value) {
        std::lock_guard<std::mutex> guard(lock);
        list.push_back(std::forward<V>(value));
    }
};

}  // namespace fake
