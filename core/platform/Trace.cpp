#include "Trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace platform {
namespace {
std::mutex g_sinkMutex;
TraceSink g_sink;
}  // namespace

void SetTraceSink(TraceSink sink)
{
    std::lock_guard lock(g_sinkMutex);
    g_sink = std::move(sink);
}

void Trace(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        line.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);

    std::lock_guard lock(g_sinkMutex);
    if (g_sink)
        g_sink(line);
#ifndef NDEBUG
    std::fputs(line.c_str(), stderr);
#endif
}

}  // namespace platform
