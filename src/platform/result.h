#pragma once
// A value, or the reason there is none: what every operation that can fail hands back, so
// that the reason travels with the missing value instead of through a second channel.
// Result<void> is the same for an operation that gives nothing back but can fail. The
// reason is a text unless the caller needs to tell failures apart (E).
#include <QString>

#include <optional>
#include <utility>

template <typename T, typename E = QString>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // implicit, as a value converts to optional
  static Result failed(E reason) {
    Result r;
    r.reason_ = std::move(reason);
    return r;
  }

  explicit operator bool() const { return value_.has_value(); }
  const T& operator*() const& { return *value_; }
  T& operator*() & { return *value_; }
  const T* operator->() const { return &*value_; }
  template <typename U>
  T value_or(U&& otherwise) const& {
    return value_.value_or(std::forward<U>(otherwise));
  }
  // Why there is no value; empty when there is one.
  const E& error() const { return reason_; }
  // The value, or nothing, for callers that only care whether there is one.
  std::optional<T> take() && { return std::move(value_); }

 private:
  Result() = default;
  std::optional<T> value_;
  E reason_{};
};

template <typename E>
class Result<void, E> {
 public:
  Result() = default;  // done
  static Result failed(E reason) {
    Result r;
    r.failed_ = true;
    r.reason_ = std::move(reason);
    return r;
  }
  explicit operator bool() const { return !failed_; }
  const E& error() const { return reason_; }

 private:
  bool failed_ = false;
  E reason_{};
};

using Done = Result<void>;
