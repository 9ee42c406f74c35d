#include "LastError.h"

namespace platform {
namespace {
thread_local int t_lastError = 0;
}

void SetLastError(int code)
{
    t_lastError = code;
}
int GetLastError()
{
    return t_lastError;
}

}  // namespace platform
