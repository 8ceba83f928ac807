// A move-only owner for one system handle. The traits say what the handle
// type is, which value means "empty" (NULL for most kernel objects,
// INVALID_HANDLE_VALUE for files and find handles) and how to close it, so
// that every early return closes what was opened.
//
//   struct Traits {
//     using Type = ...;
//     static Type Empty();
//     static void Close(Type);
//   };
#pragma once

#include <utility>

template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() : value_(Traits::Empty()) {}
  explicit UniqueHandle(Type value) : value_(value) {}
  ~UniqueHandle() { Reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Type Get() const { return value_; }
  bool Valid() const { return value_ != Traits::Empty(); }
  explicit operator bool() const { return Valid(); }

  // Gives up ownership without closing.
  Type Release() {
    Type value = value_;
    value_ = Traits::Empty();
    return value;
  }

  // Closes the current handle (if any) and takes ownership of `value`.
  void Reset(Type value = Traits::Empty()) {
    if (value_ != Traits::Empty()) Traits::Close(value_);
    value_ = value;
  }

 private:
  Type value_;
};
