#pragma once

#include <functional>
#include <string>
#include <vector>

#include "screening/DeletionJournal.h"
#include "screening/MessageRow.h"
#include "screening/ScreeningEngine.h"

// The row the scan showed under a row number the purge reports
// (PurgeResult's lists); nullptr when the owner has no such row.
using RowLookup = std::function<const MessageRow*(int nNum)>;

// What a purge removed, as journal entries: one per marked row, and only
// when its QUIT was accepted (RFC 1939 §6: before that nothing is gone).
// After Cancel, a dropped session or an unconfirmed QUIT: none. Texts are
// made UTF-8 here; server and user are the account's Windows-1252 bytes.
std::vector<JournalEntry> CommittedDeletions(const PurgeResult& result, const RowLookup& rowOf,
                                             const std::string& server, const std::string& user);

// Appends CommittedDeletions to the journal. False only when there was
// something to write and it could not be written.
bool JournalPurge(DeletionJournal& journal, const PurgeResult& result, const RowLookup& rowOf,
                  const std::string& server, const std::string& user);
