#include "Secrets.h"

#include <string.h>  // explicit_bzero
#include <sys/prctl.h>

namespace platform {

bool DisableCoreDumps()
{
    return ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
}

void SecureWipe(std::string& text)
{
    // Wiping up to the capacity covers a longer value the buffer held before
    // (and the short-string buffer inside the object itself).
    text.resize(text.capacity());
    ::explicit_bzero(text.data(), text.size());
    text.clear();
}

}  // namespace platform
