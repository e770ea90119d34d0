#pragma once
// A GUID as ASF stores it, built from its canonical text at compile time.

#include <array>
#include <cstdint>
#include <string>

namespace asf {

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    std::array<uint8_t, 8> data4{};

    // "75B22630-668E-11CF-A6D9-00AA0062CE6C", braces optional. Bad text yields the null GUID.
    static constexpr Guid FromText(const char* text);

    // Data1..Data3 little-endian, then Data4 as written.
    static Guid FromBytes(const uint8_t* bytes);
    void ToBytes(uint8_t* bytes) const;
    std::string ToText() const;

    constexpr bool operator==(const Guid&) const = default;
    constexpr bool IsNull() const { return *this == Guid{}; }
};

namespace detail {
constexpr int HexDigit(char c) {
    return (c >= '0' && c <= '9')   ? c - '0'
           : (c >= 'a' && c <= 'f') ? c - 'a' + 10
           : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                    : -1;
}
}  // namespace detail

constexpr Guid Guid::FromText(const char* text) {
    if (*text == '{') ++text;
    uint8_t raw[16]{};
    int n = 0;
    for (const char* p = text; *p && *p != '}' && n < 32; ++p) {
        if (*p == '-') continue;
        int d = detail::HexDigit(*p);
        if (d < 0) return Guid{};
        raw[n / 2] = static_cast<uint8_t>(raw[n / 2] << 4 | d);
        ++n;
    }
    if (n != 32) return Guid{};
    Guid g;
    g.data1 = uint32_t(raw[0]) << 24 | uint32_t(raw[1]) << 16 | uint32_t(raw[2]) << 8 | raw[3];
    g.data2 = static_cast<uint16_t>(raw[4] << 8 | raw[5]);
    g.data3 = static_cast<uint16_t>(raw[6] << 8 | raw[7]);
    for (int i = 0; i < 8; ++i) g.data4[i] = raw[8 + i];
    return g;
}

}  // namespace asf
