// The rows of a test table: each says what it is, and GoogleTest prints
// that in the names of the table's tests and in their failures.
#pragma once

#include <concepts>
#include <ostream>

namespace duedate::testing_support {

struct Row {
  const char* what;
};

template <class R>
  requires std::derived_from<R, Row>
void PrintTo(const R& row, std::ostream* os) {
  *os << row.what;
}

}  // namespace duedate::testing_support
