#pragma once

// The thread's last error: what the failed call left behind. The socket
// layer's own failures have numbers of their own, above every errno value,
// which the diagnostic trace prints and callers compare against; every
// other failure carries the system's errno.
namespace platform {

inline constexpr int kErrInvalidArgument = 10022;  // the host did not resolve
inline constexpr int kErrProtocol = 10043;         // a reply that is not "+OK"
inline constexpr int kErrTimedOut = 10060;         // the server was silent too long
inline constexpr int kErrInterrupted = 10004;      // a read woken by Quit from another thread

void SetLastError(int code);
int GetLastError();

}  // namespace platform
