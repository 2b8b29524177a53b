// Maps whatever was thrown onto the number, source and description that the log writes.
#include "core/Error.h"

#include <exception>
#include <new>

namespace tw {

PendingError currentError() {
    try {
        throw;
    } catch (const Error& e) {
        return {e.number(), e.source(), e.description()};
    } catch (const std::bad_alloc&) {
        return {7, "Tarnwick", "Out of memory"};
    } catch (const std::exception& e) {
        return {5, "Tarnwick", e.what()};
    } catch (...) {
        return {5, "Tarnwick", "Unknown error"};
    }
}

}  // namespace tw
