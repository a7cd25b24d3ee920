// Status and Result: expected failures travel as values through the core.
// A Status is ok() or carries a code and a message (CP932 bytes when it is meant for the user).
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace zelkova {

class Status {
 public:
  enum class Code { kOk, kNotFound, kCorruption, kInvalidArgument, kIoError, kJvLink, kCancelled, kBusy };

  Status() = default;
  static Status Ok() { return Status(); }
  static Status NotFound(std::string msg) { return Status(Code::kNotFound, std::move(msg)); }
  static Status Corruption(std::string msg) { return Status(Code::kCorruption, std::move(msg)); }
  static Status InvalidArgument(std::string msg) { return Status(Code::kInvalidArgument, std::move(msg)); }
  static Status IoError(std::string msg) { return Status(Code::kIoError, std::move(msg)); }
  static Status JvLinkError(int code, std::string msg) {
    Status s(Code::kJvLink, std::move(msg));
    s.jv_code_ = code;
    return s;
  }
  static Status Cancelled(std::string msg = {}) { return Status(Code::kCancelled, std::move(msg)); }
  // Another holds what was asked for (a lock).
  static Status Busy(std::string msg) { return Status(Code::kBusy, std::move(msg)); }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  const std::string& message() const { return message_; }
  int jvCode() const { return jv_code_; }
  bool isNotFound() const { return code_ == Code::kNotFound; }
  bool isCorruption() const { return code_ == Code::kCorruption; }
  bool isIoError() const { return code_ == Code::kIoError; }
  bool isBusy() const { return code_ == Code::kBusy; }

 private:
  Status(Code code, std::string msg) : code_(code), message_(std::move(msg)) {}
  Code code_ = Code::kOk;
  std::string message_;
  int jv_code_ = 0;
};

// A value or the Status that explains why there is none.
template <typename T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Status status) : status_(std::move(status)) {}  // NOLINT
  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }
  T& value() & { return *value_; }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace zelkova
