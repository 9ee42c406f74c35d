#pragma once

#include "core/storage/DeletionJournal.h"
#include "core/rows/MessageRow.h"
#include "core/session/ScreeningEngine.h"

// What the journal records of a row the purge deletes: the readable texts
// (UTF-8), the UIDL, the LIST size and why the row was checked. The account
// and the time are the engine's to fill in.
JournalEntry JournalEntryOf(const MessageRow& row);

// A row as the purge takes it, from the row the scan delivered under
// number nNum: what the purge compares when it reads the message again, and
// for a checked row what the journal records should it be deleted.
PurgeRow PurgeRowOf(const MessageRow& row, int nNum, bool bChecked);
