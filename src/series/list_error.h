#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vela {

// Errors raised by the series lists to their caller.
class ListError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A position outside the list: "List index out of bounds (%d)" with the position.
class ListIndexError : public ListError {
  public:
    explicit ListIndexError(std::int32_t index);
    std::int32_t Index() const { return index_; }

  private:
    std::int32_t index_;
};

// An integer range with a step of zero.
class ListDivisionByZeroError : public ListError {
  public:
    ListDivisionByZeroError();
};

namespace detail {

// Raises ListIndexError unless 0 <= index < count.
inline void CheckIndex(std::int32_t index, std::size_t count) {
    if (index < 0 || static_cast<std::size_t>(index) >= count) throw ListIndexError(index);
}

// Raises ListError when a list already holds the most items a 32-bit count can number.
void CheckRoomForOne(std::size_t count);

}  // namespace detail

}  // namespace vela
