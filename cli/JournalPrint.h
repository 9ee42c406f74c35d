#pragma once

#include <cstdio>
#include <string>
#include <vector>

class DeletionJournal;
class QuarantineMaildir;

// `mavix-cli log`: the journal of deletions, oldest first. Readable lines
// (local time, size, From, Subject, why, and "copy: PATH" where a copy was
// kept) or, with bTsv, the journal's own lines: time (UTC), account, UIDL,
// size in bytes, From, Subject, reason, tab-separated and escaped as the
// journal keeps them; a line whose message has a kept copy adds the state
// field (empty for a deletion) and the copy's path, which the journal's
// parser reads and ignores. Returns the exit status: 0, or 1 when the
// output could not be written. Non-empty `accounts` (the journal's names of
// one account, DeletionJournal::NamesOf) show only that account's entries.
int PrintJournal(const DeletionJournal& journal, const QuarantineMaildir& copies, bool bTsv, std::FILE* out,
                 const std::vector<std::string>& accounts = {});
