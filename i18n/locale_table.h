#pragma once
// The locale table: Windows language identifiers by full locale name and three-letter
// abbreviation, in the fixed order in which language names are matched (first match wins).

#include <cstdint>
#include <span>

struct LocaleEntry {
    uint16_t langId;  // primary language in the low 10 bits, sublanguage in the high 6
    const char* name;
    const char* abbreviation;
};

// All 273 rows, in matching order.
std::span<const LocaleEntry> LocaleTable();
