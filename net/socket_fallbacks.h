#pragma once
// Stand-ins for entry points the sockets DLL does not export. Each takes the
// arguments of the entry it replaces (deduced from the entry's pointer type),
// ignores them, sets the thread's last error to ERROR_CALL_NOT_IMPLEMENTED
// and returns its fixed result. FallbackError<decltype(table.recv)> is the
// -1 stand-in for recv, and so on.
#include <cstdint>
#include <type_traits>

#include "platform/kernel/last_error.h"
#include "platform/kernel/windef.h"

namespace net_detail {

template <typename F>
struct FallbackSet;

template <typename R, typename... A>
struct FallbackSet<R (*)(A...)> {
  // -1: SOCKET_ERROR, INVALID_SOCKET or INADDR_NONE.
  static R Error(A... /*arguments*/) {
    static_assert(std::is_integral_v<R>, "FallbackError stands in for integer results only");
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return static_cast<R>(-1);
  }
  // 0 as a 32-bit value: a null pointer, 0 or "not set".
  static R Zero(A... /*arguments*/) {
    // NOLINTNEXTLINE(bugprone-sizeof-expression): R may be a pointer; its size is what is checked
    static_assert(sizeof(R) == 4 || std::is_pointer_v<R>, "FallbackZero stands in for 32-bit results");
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return R{};
  }
  // 0 as a 16-bit value, not the converted argument.
  static R Zero16(A... /*arguments*/) {
    static_assert(sizeof(R) == 2, "FallbackZero16 stands in for 16-bit results");
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return R{};
  }
  // A non-zero failure from a start-up, or the error number itself.
  static R NotImplemented(A... /*arguments*/) {
    static_assert(std::is_integral_v<R>, "FallbackNotImplemented stands in for integer results");
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return static_cast<R>(ERROR_CALL_NOT_IMPLEMENTED);
  }
  static void Void(A... /*arguments*/) {
    static_assert(std::is_void_v<R>, "FallbackVoid stands in for functions without a result");
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  }
};

}  // namespace net_detail

template <typename F>
inline constexpr F FallbackError = &net_detail::FallbackSet<F>::Error;
template <typename F>
inline constexpr F FallbackZero = &net_detail::FallbackSet<F>::Zero;
template <typename F>
inline constexpr F FallbackZero16 = &net_detail::FallbackSet<F>::Zero16;
template <typename F>
inline constexpr F FallbackNotImplemented = &net_detail::FallbackSet<F>::NotImplemented;
template <typename F>
inline constexpr F FallbackVoid = &net_detail::FallbackSet<F>::Void;
