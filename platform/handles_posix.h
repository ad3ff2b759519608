// Owners of POSIX resources (see unique_any.h).
#pragma once

#include <netdb.h>
#include <unistd.h>

#include "platform/unique_any.h"

namespace velmar {

namespace detail {
inline bool ChiudiDescrittore(int fd) noexcept {
    return ::close(fd) == 0;
}
inline bool LiberaIndirizzi(addrinfo* a) noexcept {
    ::freeaddrinfo(a);
    return true;
}
}  // namespace detail

// A file descriptor (a socket too): -1 means none.
using unique_fd = unique_any<int, detail::ChiudiDescrittore, -1>;
// The addresses getaddrinfo gave.
using unique_addrinfo = unique_any<addrinfo*, detail::LiberaIndirizzi, nullptr>;

}  // namespace velmar
