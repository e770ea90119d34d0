#pragma once
// Buffers whose allocation failure is reported and returned, never thrown out of the engine.

#include <exception>

#include "report_error.h"

namespace engine {

// Makes c hold n value-initialised elements; when memory runs out says so and returns false.
template <class Container>
bool TryAllocate(Container& c, size_t n) {
    try {
        c.assign(n, typename Container::value_type{});
        return true;
    } catch (const std::exception&) {
        ReportError("Internal Error: Out of memory\n");
        return false;
    }
}

}  // namespace engine
