#pragma once

#include <functional>
#include <string>

// Diagnostic trace. Debug builds write each line to stderr; release builds
// are silent. A sink installed by a test sees every line in any build.
namespace platform {

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

using TraceSink = std::function<void(const std::string& line)>;
// Installs a sink for the whole process; an empty function removes it.
void SetTraceSink(TraceSink sink);

}  // namespace platform
