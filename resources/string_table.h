#pragma once
// The built-in string table: the English texts every string lookup falls back to.

#include <span>

namespace resources {

struct StringResource {
    int id;
    const char* text;
};

// All entries, ascending by id.
std::span<const StringResource> StringTable();

// The built-in text of a string id, or nullptr when the table has none.
const char* FindString(int id);

}  // namespace resources
