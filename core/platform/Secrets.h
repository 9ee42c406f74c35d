#pragma once

#include <string>

// Keeping the mailbox password out of places other than the process's own
// memory.
namespace platform {

// Marks the process as not dumpable (prctl PR_SET_DUMPABLE 0): no core file
// is written and other processes of the same user cannot ptrace it or read
// its /proc memory, as credential-holding agents do. Called first thing in
// main(); false when the kernel refused.
bool DisableCoreDumps();

// Overwrites every byte the string holds, its spare capacity included, in a
// way the compiler may not optimise away, then empties it.
void SecureWipe(std::string& text);

}  // namespace platform
