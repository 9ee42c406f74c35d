#include "cli/CliRun.h"
#include "cli/CliText.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/session/PreviewJob.h"

void CliError(const std::string& text)
{
    std::fprintf(stderr, "mavix-cli: %s\n", text.c_str());
}

CCliRun::CCliRun(const CliOptions& options, SettingsStore& settings, const Preferences& prefs, AccountSettings account,
                 const std::vector<AccountSettings>& all, AccountSession::Overrides overrides)
    : m_options(options),
      m_pAccount(
          AccountSession::Open(settings, prefs, std::move(account), all, m_listener, *this, std::move(overrides))),
      m_session(m_pAccount->Session())
{
    if (!m_options.m_bTsv && ::isatty(STDOUT_FILENO))
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
    else
        std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
}

void CCliRun::Start(const FilterLists& lists)
{
    // What the session keeps once a row is printed: a scan nothing; a purge
    // a PurgeRow of each row and the whole row of each it checks (the rows
    // --rows names are as many as the user typed).
    RowKeeping keeping = RowKeeping::kNone;
    if (m_options.m_nCommand == CliOptions::kPurge) {
        keeping = m_options.m_nSelection == CliOptions::kSelectAll ? RowKeeping::kEveryRow : RowKeeping::kPurgeRows;
        m_wanted.insert(m_options.m_aRows.begin(), m_options.m_aRows.end());
        // --all and --rows are the user's own checks, given in advance;
        // --suspects takes the rows as Mavix pre-checks them.
        if (m_options.m_nSelection != CliOptions::kSelectSuspects)
            m_session.SetAdvanceChecks({m_options.m_nSelection == CliOptions::kSelectAll, m_wanted});
    } else if (m_options.m_nCommand == CliOptions::kShow) {
        keeping = RowKeeping::kPurgeRows;  // each row's UIDL, for the preview's check
    }
    m_session.SetHeaderCache(m_options.m_bNoCache ? HeaderCacheUse::kRebuild : HeaderCacheUse::kUse);
    m_pAccount->StartScan(lists, keeping, false);
}

void CCliRun::Print(const std::string& text)
{
    if (m_sLinePrefix.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return;
    }
    std::string lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        lines += m_sLinePrefix;
        lines.append(text, start, end - start);
        start = end;
    }
    std::fwrite(lines.data(), 1, lines.size(), stdout);
}

int CCliRun::Run(const FilterLists& lists, int hSignals)
{
    Start(lists);
    Poll(hSignals);
    // A script reading the output must learn when it is incomplete (a full
    // disk, for instance).
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        CliError(CliText("mavix-cli", "cannot write the output"));
        if (m_nExit == kExitOk)
            m_nExit = kExitFailed;
    }
    m_session.Engine().SignalQuit();
    WaitForWorkers(hSignals);
    return m_nExit;
}

// Until the session is idle: the engine's notes and the signals, in one poll.
void CCliRun::Poll(int hSignals)
{
    while (m_session.State() != SessionState::kIdle) {
        pollfd fds[2] = {{m_listener.Fd(), POLLIN, 0}, {hSignals, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            CliError(CliText("mavix-cli", "poll failed"));
            m_session.Engine().Stop();
            m_nExit = kExitFailed;
            break;
        }
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info;
            if (::read(hSignals, &info, sizeof info) == sizeof info)
                OnSignal(info.ssi_signo);
        }
        ScreeningNote note;
        while (m_session.State() != SessionState::kIdle && m_listener.Pop(note))
            DeliverNote(note, m_session);
    }
}

// The workers end at once after SignalQuit, bar a host look-up or a purge's
// last replies; meanwhile a second Ctrl-C or a SIGTERM still leaves at once.
void CCliRun::WaitForWorkers(int hSignals)
{
    while (!m_session.Engine().WaitEnded(std::chrono::milliseconds(50))) {
        pollfd fd = {hSignals, POLLIN, 0};
        if (::poll(&fd, 1, 0) > 0) {
            signalfd_siginfo info;
            if (::read(hSignals, &info, sizeof info) == sizeof info) {
                m_bInterrupted = true;
                OnSignal(info.ssi_signo);
            }
        }
    }
}

// A second Ctrl-C, or SIGTERM, leaves at once: without QUIT the server
// never enters its UPDATE state, so nothing is deleted (RFC 1939 §6).
void CCliRun::OnSignal(uint32_t nSignal)
{
    if (m_bInterrupted || nSignal == SIGTERM) {
        std::fflush(stdout);
        std::_Exit(nSignal == SIGTERM ? kExitTerminated : kExitInterrupted);
    }
    EraseWaitLine();
    m_bInterrupted = true;
    m_nExit = kExitInterrupted;
    if (m_session.IsScanning()) {
        CliError(CliText("mavix-cli", "interrupted: scan stopped"));
        m_session.StopScan();
    } else if (m_session.IsPurging()) {
        // Before QUIT nothing is deleted; after it, the journal says what
        // may have been. OnPurgeFinished tells which.
        CliError(CliText("mavix-cli", "interrupted: stopping the purge"));
        m_session.CancelPurge();
    } else if (m_session.IsReviewing()) {
        // show: the preview is not waited for; nothing is marked.
        m_session.EndSession();
    } else if (m_session.State() == SessionState::kEnding) {
        // Nothing is marked: the session may end without its QUIT.
        m_session.StopWaiting();
    }
}

// On a terminal only, one line rewritten in place and erased when the server
// speaks again: a script reading stderr gets no progress noise.
void CCliRun::OnServerWaiting(const ServerWaiting& waiting)
{
    static const bool bTerminal = ::isatty(STDERR_FILENO) != 0;
    if (waiting.m_nSeconds == 0 || !bTerminal || (!m_session.IsScanning() && !m_session.IsPurging())) {
        EraseWaitLine();
        return;
    }
    std::fputs(
        ("\r" + FillIn(CliText("mavix-cli", "Waiting for the server (%1 s)..."), {std::to_string(waiting.m_nSeconds)}))
            .c_str(),
        stderr);
    m_bWaitShown = true;
}

void CCliRun::EraseWaitLine()
{
    if (std::exchange(m_bWaitShown, false))
        std::fputs("\r\033[K", stderr);
}

std::string CCliRun::RowText(const MessageRow& row, bool bSuspect)
{
    if (m_options.m_bTsv)
        return TsvRow(row, bSuspect, m_options.m_bRaw);
    std::string out;
    if (!m_pTable) {
        m_pTable = std::make_unique<CTableLayout>(TerminalWidth(), m_session.MsgCount(), m_options.m_bRaw);
        out = m_pTable->Header();
    }
    return out + m_pTable->Row(row, bSuspect);
}

// Each row printed as it comes, marked as a suspect when Mavix pre-checks
// it; the session keeps what a purge needs.
void CCliRun::OnRowsAdded(const RowsAdded& added)
{
    std::string out;
    for (size_t i = 0; i < added.m_nCount; ++i) {
        const MessageRow& row = (*added.m_pRows)[i].m_row;
        const bool bSuspect = m_session.IsPreChecked(added.m_nFirst + i);
        if (bSuspect)
            ++m_nSuspects;
        if (m_options.m_nCommand != CliOptions::kShow)
            out += RowText(row, bSuspect);
        ++m_nRowCount;
        const int num = std::atoi(row.m_sNum.c_str());
        if (m_wanted.count(num))
            m_listed.insert(num);
    }
    Print(out);
}

// The same message number twice: the listing and the rows no longer agree,
// and a purge by number could hit the wrong message. The session has
// stopped the scan.
void CCliRun::OnRepeatedNumber(const RepeatedNumber&)
{
    CliError(CliText("mavix-cli", "Protocol Error - restart"));
    m_nExit = kExitFailed;
}

// A scan leaves its session logged in for a purge; when none follows it
// ends here, on the engine's thread. Nothing is marked as deleted, so QUIT
// changes nothing on the server.
void CCliRun::OnScanFinished(const ScanFinished& finished)
{
    const ScanDone& done = finished.m_done;
    std::fflush(stdout);
    const std::string& status = done.m_sStatus;
    if (!status.empty())
        std::fprintf(stderr, "%s\n", Printable(status).c_str());
    if (m_nRowCount > 0)
        std::fputs(FillIn(CliText("mavix-cli", "  %1 eMails :   %2 Suspect\n"),
                          {std::to_string(m_session.MsgCount()), std::to_string(m_nSuspects)})
                       .c_str(),
                   stderr);
    if (finished.m_outcome.m_nKind == SessionOutcome::Kind::kFailed) {
        // The engine has ended the session already.
        if (status.empty())
            CliError(CliText("mavix-cli", "the scan failed"));
        m_nExit = kExitFailed;
        return;
    }
    if (m_options.m_nCommand == CliOptions::kShow) {
        StartPreview();
        return;
    }
    if (m_options.m_nCommand != CliOptions::kPurge || m_nRowCount == 0) {
        m_session.EndSession();
        return;
    }
    StartPurge();
}

void CCliRun::StartPreview()
{
    const int nNum = m_options.m_nShowNum;
    if (nNum > m_nRowCount) {
        CliError(FillIn(CliText("mavix-cli", "there is no message %1 on the server"), {std::to_string(nNum)}));
        m_session.EndSession();
        m_nExit = kExitUsage;
        return;
    }
    m_session.RequestPreview(static_cast<size_t>(nNum - 1), m_nPreviewLines);
}

// Every line through the terminal-safe text, one at a time, so the lines
// stay lines and nothing else moves the cursor.
void CCliRun::PrintLines(const std::string& utf8)
{
    std::string out;
    size_t nStart = 0;
    while (nStart <= utf8.size()) {
        size_t nEnd = utf8.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = utf8.size();
        out += TerminalUtf8(utf8.substr(nStart, nEnd - nStart), TerminalStyle::kReadable) + "\n";
        nStart = nEnd + 1;
    }
    Print(out);
}

void CCliRun::PrintPreview(const PreviewReady& ready)
{
    const preview::MessagePreview& shown = ready.m_preview;
    PrintLines("From:    " + shown.m_sFrom + "\nTo:      " + shown.m_sTo + "\nDate:    " + shown.m_sDate
               + "\nSubject: " + shown.m_sSubject);
    for (const preview::Attachment& attachment : shown.m_aAttachments) {
        const std::string size =
            FillIn(attachment.m_bPartial ? CliText("mavix-cli", "at least %1 KB") : CliText("mavix-cli", "about %1 KB"),
                   {std::to_string((attachment.m_nBytes + 1023) / 1024)});
        PrintLines(FillIn(CliText("mavix-cli", "Attachment: %1 - %2, %3"),
                          {attachment.m_sName.empty() ? CliText("mavix-cli", "(no name)") : attachment.m_sName,
                           attachment.m_sType, size})
                   + (attachment.m_bDisguised ? CliText("mavix-cli", " (!) a program named like a document") : ""));
    }
    Print("\n");
    if (!shown.m_sText.empty())
        PrintLines(shown.m_sText);
    if (shown.m_bCut || shown.m_bTextCut)
        Print(FillIn(CliText("mavix-cli", "[cut: the message goes on; --lines %1 shows more]\n"),
                     {std::to_string(PreviewJob::kMaxLines)}));
    if (shown.m_bNotShown)
        Print(CliText("mavix-cli", "[parts nested too deep, or too many, were not shown]\n"));
}

void CCliRun::OnPreviewReady(const PreviewReady& ready)
{
    if (ready.m_bShown) {
        PrintPreview(ready);
    } else {
        CliError(Printable(ready.m_sProblem));
        m_nExit = kExitFailed;
    }
    m_session.EndSession();
}

void CCliRun::StartPurge()
{
    for (int num : m_wanted) {
        if (!m_listed.count(num)) {
            CliError(FillIn(CliText("mavix-cli", "there is no message %1 on the server; nothing deleted"),
                            {std::to_string(num)}));
            m_session.EndSession();
            m_nExit = kExitUsage;
            return;
        }
    }
    m_session.StartPurge();
}

void CCliRun::PrintMismatch(const PurgeProgress& progress)
{
    m_bMismatch = true;
    const std::string num = std::to_string(progress.m_nNum);
    if (m_options.m_bTsv) {
        Print("mismatch\t" + num + "\t" + TsvField(progress.m_sGridSubject) + "\t" + TsvField(progress.m_sServerSubject)
              + "\n");
    } else {
        Print("mismatch  " + num + ": "
              + FillIn(CliText("mavix-cli",
                               "the list has \"%1\" but the server has \"%2\"; stopped, nothing further deleted\n"),
                       {Printable(progress.m_sGridSubject), Printable(progress.m_sServerSubject)}));
    }
}

void CCliRun::OnPurgeProgress(const PurgeProgress& progress)
{
    const std::string num = std::to_string(progress.m_nNum);
    const bool bTsv = m_options.m_bTsv;
    switch (progress.m_nOutcome) {
    case PurgeOutcome::kMarked:
        m_aDeleted.push_back(progress.m_nNum);
        break;
    case PurgeOutcome::kChanged:
    case PurgeOutcome::kUnreadable:
    case PurgeOutcome::kIdChanged:
        PrintMismatch(progress);
        break;
    case PurgeOutcome::kRefused:
        if (bTsv)
            Print("refused\t" + num + "\t" + TsvField(progress.m_sReply) + "\n");
        else
            Print("refused   " + num + ": " + Printable(progress.m_sReply) + "\n");
        break;
    case PurgeOutcome::kGone:
        Print(bTsv ? "gone\t" + num + "\n"
                   : "gone      " + num + ": " + CliText("mavix-cli", "already removed from the server\n"));
        break;
    case PurgeOutcome::kUnavailable:
    case PurgeOutcome::kUnidentified:
        Print(bTsv ? "skipped\t" + num + "\n"
                   : "skipped   " + num + ": "
                      + CliText("mavix-cli", "the message could not be read or found, so it is left alone\n"));
        break;
    case PurgeOutcome::kNotKept:
        if (bTsv)
            Print("notkept\t" + num + "\t" + TsvField(progress.m_sReply) + "\n");
        else
            Print("not kept  " + num + ": " + Printable(progress.m_sReply) + CliText("mavix-cli", " Not deleted.\n"));
        break;
    case PurgeOutcome::kNotChecked:
    case PurgeOutcome::kBroken:
        break;
    }
}

// Only deletions QUIT committed are reported as done (RFC 1939 §6); those
// whose QUIT went unanswered may be done.
void CCliRun::PrintDeleted(const PurgeResult& result)
{
    if (result.m_bCommitted || result.m_bUnconfirmed)
        for (int num : m_aDeleted)
            Print(m_options.m_bTsv
                      ? (result.m_bCommitted ? "deleted\t" : "unconfirmed\t") + std::to_string(num) + "\n"
                      : (result.m_bCommitted ? "deleted   " : "possibly deleted  ") + std::to_string(num) + "\n");
    std::fflush(stdout);
}

void CCliRun::OnPurgeFinished(const PurgeFinished& done)
{
    const PurgeResult& result = done.m_result;
    PrintDeleted(result);
    const std::string& summary = done.m_outcome.m_sText;
    if (m_bInterrupted) {
        if (result.m_bCommitted) {
            // The interrupt came after the purge had sent its QUIT.
            CliError(CliText("mavix-cli", "the purge had already ended; its deletions stand"));
            m_nExit = m_bMismatch ? kExitMismatch : kExitOk;
        } else if (result.m_bUnconfirmed) {
            CliError(CliText("mavix-cli", "interrupted while waiting for QUIT's reply: ") + Printable(summary));
        } else {
            CliError(CliText("mavix-cli", "nothing was deleted"));
        }
        return;
    }
    // The session's outcome decides; a mismatch that stopped the purge
    // safely has its own status.
    const SessionOutcome& outcome = done.m_outcome;
    if (outcome.m_nKind == SessionOutcome::Kind::kFailed || outcome.m_nKind == SessionOutcome::Kind::kCancelled) {
        CliError(Printable(outcome.m_sText)
                 + (outcome.m_sDetail.empty() ? "" : " (" + Printable(outcome.m_sDetail) + ")"));
        const bool bEndedBadly = !result.m_sNotStarted.empty() || result.m_bBroken || result.m_bNotRecorded;
        m_nExit = m_bMismatch && !bEndedBadly ? kExitMismatch : kExitFailed;
        return;
    }
    ReportPurge(done);
}

// A committed purge: every checked message that is still on the server, by
// number.
void CCliRun::ReportPurge(const PurgeFinished& done)
{
    const PurgeResult& result = done.m_result;
    std::vector<int> kept = result.m_aRefused;
    kept.insert(kept.end(), result.m_aChanged.begin(), result.m_aChanged.end());
    kept.insert(kept.end(), result.m_aLeft.begin(), result.m_aLeft.end());
    kept.insert(kept.end(), result.m_aNotKept.begin(), result.m_aNotKept.end());
    std::sort(kept.begin(), kept.end());
    const SessionOutcome& outcome = done.m_outcome;
    if (outcome.m_nKind != SessionOutcome::Kind::kDone || !result.m_aGone.empty() || result.m_nWithoutId > 0)
        std::fprintf(stderr, "%s\n", Printable(outcome.m_sText).c_str());
    if (!kept.empty()) {
        std::string list;
        for (int num : kept)
            list += (list.empty() ? "" : ", ") + std::to_string(num);
        CliError(CliText("mavix-cli", "not deleted: ") + list);
    }
    if (outcome.m_nKind != SessionOutcome::Kind::kDone)
        m_nExit = m_bMismatch && outcome.m_nKind == SessionOutcome::Kind::kShortfall ? kExitMismatch : kExitFailed;
}
