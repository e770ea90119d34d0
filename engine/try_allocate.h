#pragma once
// Buffers whose allocation failure is reported and returned, never thrown out of the engine.

#include <exception>

#include "report_error.h"

namespace engine {

// Makes c hold n value-initialised elements; false when memory runs out.
template <class Container>
bool Allocate(Container& c, size_t n) {
    try {
        c.assign(n, typename Container::value_type{});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Allocate, saying so when memory runs out.
template <class Container>
bool TryAllocate(Container& c, size_t n) {
    if (Allocate(c, n)) return true;
    ReportError("Internal Error: Out of memory\n");
    return false;
}

}  // namespace engine
