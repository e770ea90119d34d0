#include "info_printer.h"

#include <cstdio>

#include "text/escape.h"
#include "text/utf.h"

namespace asftool {

namespace {

std::string Seconds(QWORD t) {
    char b[32];
    std::snprintf(b, sizeof b, "%.3f s", t / 1e7);
    return b;
}

void AppendJsonText(std::string& out, const std::string& s) { text::AppendEscaped(out, s, true); }

}  // namespace

// A byte that is not UTF-8 (from a file name) is written as the escape of the code point that
// carries it (U+DC80..U+DCFF), so the JSON stays valid and loses nothing.
std::string JsonString(const std::string& s) {
    std::string out = "\"";
    std::u16string wide = text::Utf8ToUtf16(s), run;
    for (size_t i = 0; i < wide.size(); ++i) {
        bool pairEnd = i > 0 && wide[i - 1] >= 0xD800 && wide[i - 1] < 0xDC00;
        if (wide[i] >= 0xDC80 && wide[i] <= 0xDCFF && !pairEnd) {
            AppendJsonText(out, text::Utf16ToUtf8(run));
            run.clear();
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", unsigned(wide[i]));
            out += b;
        } else {
            run += wide[i];
        }
    }
    AppendJsonText(out, text::Utf16ToUtf8(run));
    return out + "\"";
}

std::string FormatJson(const FileInfo& info) {
    std::string o = "{\"file\": " + JsonString(info.file);
    o += ", \"duration\": " + std::to_string(info.duration);
    o += ", \"preroll_ms\": " + std::to_string(info.prerollMs);
    o += std::string(", \"has_index\": ") + (info.hasIndex ? "true" : "false");
    o += ", \"damaged_packets\": " + std::to_string(info.damagedPackets);
    o += ", \"streams\": [";
    for (size_t i = 0; i < info.streams.size(); ++i) {
        const StreamInfo& s = info.streams[i];
        o += i ? ", " : "";
        o += "{\"number\": " + std::to_string(s.number) + ", \"type\": " + JsonString(s.type) +
             ", \"codec\": " + JsonString(s.codec) +
             ", \"buffer_window_ms\": " + std::to_string(s.bufferWindowMs) +
             ", \"vbr\": " + (s.vbr ? "true" : "false") +
             ", \"bitrate\": " + std::to_string(s.bitrate) +
             ", \"language\": " + JsonString(s.language) +
             ", \"media_type\": " + JsonString(s.mediaType) +
             ", \"samples\": " + std::to_string(s.samples) +
             ", \"key_samples\": " + std::to_string(s.keySamples) +
             ", \"first_time\": " + std::to_string(s.firstTime) +
             ", \"last_time\": " + std::to_string(s.lastTime) + "}";
    }
    o += "], \"attributes\": [";
    for (size_t i = 0; i < info.attributes.size(); ++i) {
        const AttributeInfo& a = info.attributes[i];
        o += i ? ", " : "";
        o += "{\"stream\": " + std::to_string(a.stream) + ", \"name\": " + JsonString(a.name) +
             ", \"type\": " + JsonString(a.type) +
             ", \"value\": " + (a.numeric ? a.value : JsonString(a.value)) + "}";
    }
    o += "], \"markers\": [";
    for (size_t i = 0; i < info.markers.size(); ++i) {
        o += i ? ", " : "";
        o += "{\"name\": " + JsonString(info.markers[i].name) +
             ", \"time\": " + std::to_string(info.markers[i].time) + "}";
    }
    o += "], \"scripts\": [";
    for (size_t i = 0; i < info.scripts.size(); ++i) {
        const ScriptInfo& s = info.scripts[i];
        o += i ? ", " : "";
        o += "{\"type\": " + JsonString(s.type) + ", \"command\": " + JsonString(s.command) +
             ", \"time\": " + std::to_string(s.time) + "}";
    }
    o += "], \"codecs\": [";
    for (size_t i = 0; i < info.codecs.size(); ++i) {
        const CodecInfo& c = info.codecs[i];
        o += i ? ", " : "";
        o += "{\"type\": " + JsonString(c.type) + ", \"name\": " + JsonString(c.name) +
             ", \"description\": " + JsonString(c.description) + "}";
    }
    return o + "]}\n";
}

std::string FormatText(const FileInfo& info) {
    std::string o = info.file + "\n";
    o += "  duration " + Seconds(info.duration) + ", preroll " + std::to_string(info.prerollMs) +
         " ms, " + (info.hasIndex ? "seek index" : "no seek index");
    if (info.damagedPackets) o += ", " + std::to_string(info.damagedPackets) + " damaged packets";
    o += "\n";
    for (const StreamInfo& s : info.streams) {
        o += "  stream " + std::to_string(s.number) + ": " + s.type + " " + s.codec + ", " +
             std::to_string(s.samples) + " samples (" + std::to_string(s.keySamples) + " key), " +
             Seconds(s.firstTime) + " to " + Seconds(s.lastTime) + ", buffer " +
             std::to_string(s.bufferWindowMs) + " ms" + (s.vbr ? ", VBR" : "") + "\n";
    }
    for (const AttributeInfo& a : info.attributes)
        o += "  " + (a.stream ? "stream " + std::to_string(a.stream) + " " : std::string()) +
             a.name + " = " + a.value + "\n";
    for (const MarkerInfo& m : info.markers)
        o += "  marker " + Seconds(m.time) + " " + m.name + "\n";
    for (const ScriptInfo& s : info.scripts)
        o += "  script " + Seconds(s.time) + " " + s.type + ": " + s.command + "\n";
    for (const CodecInfo& c : info.codecs)
        o += "  codec (" + c.type + ") " + c.name + (c.description.empty() ? "" : " - ") +
             c.description + "\n";
    return o;
}

}  // namespace asftool
