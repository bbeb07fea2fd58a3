#include "series/list_error.h"

namespace vela {

ListIndexError::ListIndexError(std::int32_t index)
    : ListError("List index out of bounds (" + std::to_string(index) + ")"), index_(index) {}

ListDivisionByZeroError::ListDivisionByZeroError() : ListError("Division by zero") {}

namespace detail {

void CheckRoomForOne(std::size_t count) {
    if (count >= static_cast<std::size_t>(INT32_MAX))
        throw ListError("List capacity out of bounds (" + std::to_string(count) + ")");
}

}  // namespace detail

}  // namespace vela
