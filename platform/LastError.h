#pragma once

// The thread's last error: what the failed call left behind. The numbers of
// the socket layer's own failures keep their Winsock values, since callers
// and logs compare against them; every other failure carries the system's
// errno.
namespace platform {

inline constexpr int kErrInvalidArgument = 10022;   // WSAEINVAL: host did not resolve
inline constexpr int kErrProtocol = 10043;          // WSAEPROTONOSUPPORT: reply not "+OK"
inline constexpr int kErrTimedOut = 10060;          // WSAETIMEDOUT: server silent too long
inline constexpr int kErrInterrupted = 10004;       // WSAEINTR: read woken by Quit from another thread

void SetLastError(int code);
int GetLastError();

}  // namespace platform
