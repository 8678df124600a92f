// What byte sources do alike on every platform: owning and closing a file.

#include "platform/streams.h"

namespace platform {

ByteSource::ByteSource(ByteSource&& other) noexcept : kind_(other.kind_), handle_(other.handle_) {
  other.kind_ = Kind::kClosed;
}

ByteSource& ByteSource::operator=(ByteSource&& other) noexcept {
  if (this != &other) {
    if (kind_ == Kind::kFile) {
      close_file(handle_);
    }
    kind_ = other.kind_;
    handle_ = other.handle_;
    other.kind_ = Kind::kClosed;
  }
  return *this;
}

ByteSource::~ByteSource() {
  if (kind_ == Kind::kFile) {
    close_file(handle_);
  }
}

}  // namespace platform
