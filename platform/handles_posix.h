// Owners of POSIX resources (see unique_any.h).
#pragma once

#include <unistd.h>

#include "platform/unique_any.h"

namespace velmar {

namespace detail {
inline bool ChiudiDescrittore(int fd) noexcept {
    return ::close(fd) == 0;
}
}  // namespace detail

// A file descriptor: -1 means none.
using unique_fd = unique_any<int, detail::ChiudiDescrittore, -1>;

}  // namespace velmar
