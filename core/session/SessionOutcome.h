#pragma once

#include <string>

struct PurgeResult;
struct ScanDone;

// How one account's scan or purge ended, decided once here: the window's
// account list, its message box, the tray and mavix-cli's exit status only
// render it.
struct SessionOutcome {
    enum class Kind {
        kDone,         // as asked (a scan ran to its end; every checked message deleted, or already gone)
        kShortfall,    // the purge ended, but some checked messages are still on the server
        kFailed,       // the scan failed, or the purge deleted nothing (or may have deleted: QUIT unanswered)
        kNotRecorded,  // the deletions stand, but the journal fell behind: Recently Deleted does not list them yet
        kCancelled,    // the user stopped the purge before QUIT: nothing was deleted
    };
    Kind m_nKind = Kind::kDone;
    // The full text for the user (Windows-1252, as the core's texts are);
    // empty when there is nothing to say.
    std::string m_sText;
    // What the server or the connection said, for whoever shows more than
    // one line (a message box); empty: nothing more.
    std::string m_sDetail;

    // The user must be told: a shortfall, a failure, deletions not recorded.
    bool NeedsAttention() const { return m_nKind != Kind::kDone && m_nKind != Kind::kCancelled; }
};

// A purge's outcome; `nChecked`: the rows it was given checked.
SessionOutcome OutcomeOfPurge(const PurgeResult& result, int nChecked);
// A scan's outcome (a stopped scan has none).
SessionOutcome OutcomeOfScan(const ScanDone& done);
