// The header cache's file reader against arbitrary bytes: what it accepts
// is one account's whole file, never a part of one or another account's.
#include "FuzzEntries.h"

#include <cstdlib>
#include <string>

#include "core/storage/HeaderCache.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

void FuzzHeaderCache(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string identity = HeaderCache::Identity("pop.example", "ann", "110");
    HeaderCache cache;
    if (!cache.Parse(bytes, identity)) {
        Require(cache.Count() == 0);
        return;
    }
    Require(cache.Count() <= HeaderCache::kMaxEntries);
    Require(bytes.rfind("Mavix header cache 1\n", 0) == 0 && bytes.back() == '\n');
    // The same file cut short by a byte, or read for another account, is
    // never used.
    HeaderCache other;
    Require(!other.Parse(bytes.substr(0, size - 1), identity) && other.Count() == 0);
    Require(!other.Parse(bytes, HeaderCache::Identity("pop.example", "ann", "995")));
    // Lookups of ids that may or may not be there stay within the file.
    for (const char* uidl : {"u1", "u2", "end"})
        for (uint64_t itemSize : {0, 1, 1200})
            if (const auto text = cache.Find(uidl, itemSize))
                Require(text->size() <= HeaderCache::kMaxTextBytes);
}
