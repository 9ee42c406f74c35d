#pragma once

#include <cstdio>

class DeletionJournal;

// `mavix-cli log`: the journal of deletions, oldest first. Readable lines
// (local time, size, From, Subject, why) or, with bTsv, the journal's own
// lines: time (UTC), account, UIDL, size in bytes, From, Subject, reason,
// tab-separated and escaped as the journal keeps them. Returns the exit
// status: 0, or 1 when the output could not be written.
int PrintJournal(const DeletionJournal& journal, bool bTsv, std::FILE* out);
