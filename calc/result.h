// A value or the reason there is none.
//
// Every operation of the program that can fail (forming a date, moving it
// out of range, reading or writing the saved entries) gives a Result: either
// the value it was asked for or an error describing what went wrong. Callers
// test it with ok() before taking value(). No exceptions are thrown for
// anything a user can type or leave in a file.
#pragma once

#include <utility>
#include <variant>

namespace duedate {

// Wraps an error so that a Result can be built from it unambiguously:
//   return Fail(DateFault::InvalidDate);
template <class E>
struct Failure {
  E error;
};

template <class E>
Failure<E> Fail(E error) {
  return Failure<E>{std::move(error)};
}

template <class T, class E>
class Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit on purpose
  template <class F>
  Result(Failure<F> failure)  // NOLINT: implicit on purpose
      : state_(std::in_place_index<1>, E(std::move(failure.error))) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  const T& value() const { return std::get<0>(state_); }
  T& value() { return std::get<0>(state_); }
  const E& error() const { return std::get<1>(state_); }

  const T* operator->() const { return &value(); }
  const T& operator*() const { return value(); }

 private:
  std::variant<T, E> state_;
};

// The value of an operation that gives nothing back but may fail.
struct Done {
  friend bool operator==(Done, Done) { return true; }
};

}  // namespace duedate
