// A seeded chaos soak of the purge: round after round, a random mailbox of
// look-alike messages, a random server (PIPELINING or not, UIDL or not), a
// random choice of checked rows and random faults on the wire and in the
// mailbox; after each purge the server's own mailbox says what was really
// removed. Every message removed must be one a checked row showed, and its
// kept copy (when copies are on) must be that message.
//
// Each message carries a token in its Cc line: the identity checks never
// look at Cc, so the token tells which message a row showed and which one
// the server removed without helping the engine.
//
//   MAVIX_SOAK_SECONDS  time budget (default 120)
//   MAVIX_SOAK_ROUNDS   round cap (default kMaxRounds)
//   MAVIX_SOAK_SEED     replays that one round, with its transcript
//   MAVIX_SOAK_KNOWN=0  leaves out the faults that only the identity checks
//                       withstand: an id listed twice, an id reused by a
//                       look-alike, RETR answering with another message

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <array>
#include <atomic>
#include <chrono>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <set>

#include "EngineHarness.h"
#include "tests/support/ScratchDirectory.h"

namespace {

using Clock = std::chrono::steady_clock;
using Server = ScriptedPop3Server;

constexpr int kDefaultSeconds = 120;
constexpr long kMaxRounds = 1000000;
constexpr int kMinMessages = 5, kMaxMessages = 40;
// Short client limits, so a reply held back breaks the session quickly.
constexpr uint32_t kSilenceMs = 200, kSlowReplyMs = 400, kLineDeadlineMs = 800, kBlockDeadlineMs = 1000;
// A late reply is held past every client limit above.
constexpr int kLateHoldMs = 600;
// What a round may take before it counts as a hang.
constexpr int kScanDeadlineMs = 20000, kPurgeDeadlineMs = 20000, kSessionEndMs = 10000;
// Kept copies of messages up to this size (bodies run to 3,000 bytes).
constexpr uint64_t kQuarantineBytes = 1500;
// Failures printed with their whole transcript; the rest by seed alone.
constexpr int kTranscriptsShown = 3;

enum Kind {
    kDrop,         // the connection closed instead of a reply
    kLate,         // a reply held back past the client's limits
    kTwice,        // a reply sent twice
    kSplit,        // a reply written in pieces
    kErr,          // -ERR instead of the reply
    kQuitLost,     // QUIT's reply never sent (the server removed the messages)
    kQuitLate,     // QUIT's reply held back
    kSessionDies,  // the scan's session closed by the server before the purge
    kChanged,      // a message replaced under its id by one with another Subject
    kRemoved,      // a message removed by someone else
    kInserted,     // new mail anywhere in the numbering
    kUidlTwice,    // known: two messages under one id
    kUidlReused,   // known: a removed message's id reused by a look-alike
    kRetrOther,    // known: RETR answers with another message
    kKindCount
};
constexpr std::array<const char*, kKindCount> kKindNames = {
    "drop",         "late",    "twice",   "split",    "-ERR",       "QUIT lost",   "QUIT late",
    "session dies", "changed", "removed", "inserted", "UIDL twice", "UIDL reused", "RETR other"};

const std::array<std::string, 5> kSubjects = {"Offer", "Meeting notes", "Re: Offer", "Lunch?", "Invoice"};
const std::array<std::string, 3> kSenders = {"Ann <ann@example.com>", "Bob <bob@example.com>", "Ann <ann@example.org>"};
const std::array<std::string, 3> kDates = {"Wed, 5 Jan 2005 10:00:00 +0000", "Wed, 5 Jan 2005 10:00:01 +0000",
                                           "Thu, 6 Jan 2005 09:30:00 +0100"};
const std::string kTokenDomain = "@soak.invalid";

uint64_t Mix(uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Seeded choices.
struct Dice {
    std::mt19937_64 m_rng;
    explicit Dice(uint64_t seed)
        : m_rng(Mix(seed))
    { }
    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(m_rng() % n); }
    int Between(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<size_t>(hi - lo + 1))); }
    bool Chance(double p) { return static_cast<double>(m_rng() >> 11) * 0x1.0p-53 < p; }
};

// The token in a text ("m12" from "Cc: m12@soak.invalid"); empty: none.
std::string TokenIn(const std::string& text)
{
    const size_t at = text.find(kTokenDomain);
    if (at == std::string::npos)
        return {};
    size_t from = at;
    while (from > 0 && std::isalnum(static_cast<unsigned char>(text[from - 1])))
        --from;
    return text.substr(from, at - from);
}

std::string SubjectIn(const std::string& text)
{
    const size_t at = text.find("\r\nSubject: ");
    return at == std::string::npos ? std::string() : text.substr(at + 11, text.find("\r\n", at + 11) - at - 11);
}

// The mailbox of one round, and the look-alikes added to it later.
struct MailMaker {
    Dice& m_dice;
    uint64_t m_nSeed;
    size_t m_nSubjects;  // how many of kSubjects this round uses: fewer, more collisions
    int m_nNext = 0;

    Server::MailboxMessage Make(std::string uid, const std::string* subject = nullptr)
    {
        const int id = m_nNext++;
        const std::string token = "m" + std::to_string(id);
        std::string text = "From: " + kSenders[m_dice.Below(kSenders.size())] + "\r\nTo: me@example.com\r\nCc: " + token
            + kTokenDomain + "\r\nSubject: " + (subject ? *subject : kSubjects[m_dice.Below(m_nSubjects)])
            + "\r\nDate: " + kDates[m_dice.Below(kDates.size())] + "\r\nMessage-ID: <" + std::to_string(m_nSeed) + "."
            + std::to_string(id) + "@example.com>\r\n\r\n";
        for (int bytes = m_dice.Between(60, 3000); bytes > 0; bytes -= 70)
            text += std::string(static_cast<size_t>(std::min(bytes, 70)), 'x') + "\r\n";
        return {uid.empty() ? "uid-" + std::to_string(id) : std::move(uid), std::move(text)};
    }
};

// One round's server personality and fault rates, all from its seed.
struct Plan {
    bool m_bPipelining = false;
    bool m_bUidl = true;
    bool m_bQuarantine = false;
    bool m_bSessionDies = false;
    double m_pScanFault = 0, m_pPurgeFault = 0, m_pSplit = 0, m_pQuitFault = 0;
};

// What one round found wrong; empty: nothing.
struct RoundReport {
    std::string m_sViolation;
    std::string m_sTranscript;
};

// The message the scan showed in one row, and whether the purge's snapshot
// had it checked.
struct ShownRow {
    PurgeRow m_row;
    std::string m_sToken;
};

// The snapshot the front ends build from the scanned rows.
PurgeRow SnapshotRow(const MessageRow& row, bool bChecked)
{
    return PurgeRowOf(row, std::stoi(row.m_sNum), bChecked);
}

// A removed message as the journal should name it.
struct RemovedRow {
    std::string m_sUidl;
    std::string m_sSubject;
};

// That every removed message is in the journal in `folder`, as deleted or,
// when its QUIT went unanswered, as pending: one entry each.
std::string CheckJournaled(const std::vector<RemovedRow>& removed, const std::string& folder)
{
    std::vector<JournalEntry> entries = DeletionJournal(folder).Read();
    std::string wrong;
    for (const RemovedRow& row : removed) {
        const auto found = std::find_if(entries.begin(), entries.end(), [&](const JournalEntry& entry) {
            return entry.m_sUidl == row.m_sUidl && entry.m_sSubject == row.m_sSubject;
        });
        if (found == entries.end())
            wrong += "removed uid=" + row.m_sUidl + " \"" + row.m_sSubject + "\", which the journal never heard of\n";
        else
            entries.erase(found);
    }
    return wrong;
}

std::string Describe(const Server::MailboxMessage& m)
{
    return TokenIn(m.m_sText) + " uid=" + m.m_sUid + " \"" + SubjectIn(m.m_sText) + "\" "
        + std::to_string(m.m_sText.size()) + " bytes";
}

class Soak {
public:
    Soak(uint64_t seed, bool bKnown)
        : m_nSeed(seed),
          m_bKnown(bKnown),
          m_dice(seed)
    { }

    RoundReport Run();
    bool Purged() const { return m_bPurged; }
    size_t Removed() const { return m_nRemoved; }
    const std::array<int, kKindCount>& Faults() const { return m_faults; }

private:
    Server::ReplyShape Shape(const std::string& command, int session, std::string& reply);
    void ChangeMailbox(Server& server, MailMaker& maker, const std::set<std::string>& checked);
    void Log(const std::string& line)
    {
        std::lock_guard lock(m_logLock);
        m_sLog += line + "\n";
    }
    void Count(Kind kind)
    {
        std::lock_guard lock(m_logLock);
        ++m_faults[kind];
    }

    uint64_t m_nSeed;
    bool m_bKnown;
    Dice m_dice;
    Plan m_plan;
    std::atomic<bool> m_bPurging{false};
    std::vector<Server::MailboxMessage> m_aMailbox;  // as the purge began, for RETR faults
    std::map<int, int> m_commandsSeen;               // per session (server threads)
    std::mutex m_logLock;
    std::string m_sLog;
    std::array<int, kKindCount> m_faults{};
    bool m_bPurged = false;
    size_t m_nRemoved = 0;
};

// Server threads: the fault, if any, for this reply. Decided from the seed,
// the session and the command's place in it, so a replay meets the same.
Server::ReplyShape Soak::Shape(const std::string& command, int session, std::string& reply)
{
    int index = 0;
    {
        std::lock_guard lock(m_logLock);
        index = m_commandsSeen[session]++;
    }
    Dice dice(m_nSeed ^ Mix(static_cast<uint64_t>(session) << 32 | static_cast<uint32_t>(index)));
    const bool bPurging = m_bPurging.load();
    std::string fault;
    Server::ReplyShape shape;
    const auto apply = [&](Kind kind) {
        Count(kind);
        fault = kKindNames[kind];
    };

    if (!m_plan.m_bUidl) {
        if (command.starts_with("CAPA") && reply.find("\r\nUIDL\r\n") != std::string::npos)
            reply.erase(reply.find("\r\nUIDL\r\n"), 6);
        else if (command.starts_with("UIDL"))
            reply = "-ERR Unknown command.\r\n";
    }
    if (bPurging && command == "QUIT" && dice.Chance(m_plan.m_pQuitFault)) {
        if (dice.Chance(0.5)) {
            apply(kQuitLost);
            shape.m_bClose = true;
        } else {
            apply(kQuitLate);
            shape.m_nDelayMs = kLateHoldMs;
        }
    } else if (m_bKnown && bPurging && m_plan.m_bQuarantine && command.starts_with("RETR ") && dice.Chance(0.3)
               && m_aMailbox.size() > 1) {
        apply(kRetrOther);
        const std::string& other = m_aMailbox[dice.Below(m_aMailbox.size())].m_sText;
        if (TokenIn(other) != TokenIn(reply))
            reply = "+OK\r\n" + other + ".\r\n";
    } else if (dice.Chance(bPurging ? m_plan.m_pPurgeFault : m_plan.m_pScanFault)) {
        switch (dice.Below(4)) {
        case 0:
            apply(kDrop);
            shape.m_bClose = true;
            break;
        case 1:
            apply(kLate);
            shape.m_nDelayMs = kLateHoldMs;
            break;
        case 2:
            apply(kTwice);
            reply += reply;
            break;
        default:
            // Not for DELE: this server has marked the message already, and a
            // -ERR would be a lie no client can see through.
            if (!command.starts_with("DELE ")) {
                apply(kErr);
                reply = "-ERR soak fault\r\n";
            }
            break;
        }
    }
    if (!shape.m_bClose && reply.size() > 1 && dice.Chance(m_plan.m_pSplit)) {
        apply(kSplit);
        for (int k = dice.Between(1, 3); k > 0; --k)
            shape.m_aCuts.push_back(1 + dice.Below(reply.size() - 1));
        std::sort(shape.m_aCuts.begin(), shape.m_aCuts.end());
    }
    const std::string first = reply.substr(0, std::min(reply.find("\r\n"), size_t{60}));
    Log("s" + std::to_string(session) + (bPurging ? " purge" : " scan ") + " C: " + command
        + "  S: " + Server::Printable(first) + (TokenIn(reply).empty() ? "" : " [" + TokenIn(reply) + "]")
        + (fault.empty() ? "" : "  <" + fault + ">"));
    return shape;
}

// The UI thread, between the scan and the purge of a round whose scan
// session died: what happened to the mailbox meanwhile.
void Soak::ChangeMailbox(Server& server, MailMaker& maker, const std::set<std::string>& checked)
{
    std::vector<Server::MailboxMessage> box = server.Mailbox();
    // Mostly a message the purge is about to delete.
    const auto pick = [&](const std::function<bool(const Server::MailboxMessage&)>& wanted) {
        size_t i = m_dice.Below(box.size());
        for (int tries = 0; tries < 8 && !wanted(box[i]); ++tries)
            i = m_dice.Below(box.size());
        return i;
    };
    for (int k = m_dice.Between(0, 3); k > 0 && !box.empty(); --k) {
        const size_t i = pick([&](const Server::MailboxMessage& m) { return checked.count(TokenIn(m.m_sText)) > 0; });
        const std::string was = Describe(box[i]);
        const size_t kinds = m_bKnown ? 5 : 3;
        switch (m_dice.Below(kinds)) {
        case 0: {
            Count(kRemoved);
            Log("mailbox: removed " + was);
            box.erase(box.begin() + static_cast<long>(i));
            break;
        }
        case 1: {
            Count(kInserted);
            const auto at = box.insert(box.begin() + static_cast<long>(m_dice.Below(box.size() + 1)), maker.Make({}));
            Log("mailbox: inserted " + Describe(*at));
            break;
        }
        case 2: {
            // Under the same id, a message with another Subject: the
            // Subject check sees it.
            std::string subject = SubjectIn(box[i].m_sText) + " (new)";
            Count(kChanged);
            box[i] = maker.Make(box[i].m_sUid, &subject);
            Log("mailbox: changed " + was + " to " + Describe(box[i]));
            break;
        }
        case 3: {
            const std::string subject = SubjectIn(box[i].m_sText);
            Count(kUidlReused);
            box[i] = maker.Make(box[i].m_sUid, &subject);
            Log("mailbox: id reused: " + was + " replaced by " + Describe(box[i]));
            break;
        }
        default: {
            // A look-alike takes the id: only the Subject check is left.
            const std::string subject = SubjectIn(box[i].m_sText);
            const size_t j = pick([&](const Server::MailboxMessage& m) {
                return SubjectIn(m.m_sText) == subject && m.m_sText != box[i].m_sText;
            });
            Count(kUidlTwice);
            box[j].m_sUid = box[i].m_sUid;
            Log("mailbox: id listed twice: " + Describe(box[j]) + " takes the id of " + was);
            break;
        }
        }
    }
    server.SetMailbox(box);
}

RoundReport Soak::Run()
{
    RoundReport report;
    ScratchDirectory scratch;
    if (!scratch.Enter()) {
        report.m_sViolation = "no scratch folder";
        return report;
    }
    const std::string folder = scratch.path().toStdString();
    ::setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);

    m_plan.m_bPipelining = m_dice.Chance(0.5);
    m_plan.m_bUidl = m_dice.Chance(0.8);
    m_plan.m_bQuarantine = m_dice.Chance(0.3);
    m_plan.m_bSessionDies = m_dice.Chance(m_bKnown ? 0.5 : 0.3);
    m_plan.m_pScanFault = m_dice.Chance(0.3) ? 0.01 : 0;
    m_plan.m_pPurgeFault = m_dice.Chance(0.6) ? m_dice.Between(1, 10) / 100.0 : 0;
    m_plan.m_pSplit = m_dice.Chance(0.5) ? 0.2 : 0;
    m_plan.m_pQuitFault = m_dice.Chance(0.2) ? 1 : 0;

    MailMaker maker{m_dice, m_nSeed, static_cast<size_t>(m_dice.Between(2, static_cast<int>(kSubjects.size())))};
    std::vector<Server::MailboxMessage> box;
    for (int n = m_dice.Between(kMinMessages, kMaxMessages); n > 0; --n)
        box.push_back(maker.Make({}));
    if (m_bKnown && m_dice.Chance(0.2)) {
        const size_t i = m_dice.Below(box.size()), j = m_dice.Below(box.size());
        Count(kUidlTwice);
        box[j].m_sUid = box[i].m_sUid;
        Log("mailbox: id listed twice from the start: " + Describe(box[j]));
    }
    Log(std::string("server: ") + (m_plan.m_bPipelining ? "PIPELINING" : "no PIPELINING")
        + (m_plan.m_bUidl ? ", UIDL" : ", no UIDL") + (m_plan.m_bQuarantine ? ", copies kept" : "")
        + (m_plan.m_bSessionDies ? ", the scan's session dies" : ""));

    EngineFixture f;
    auto& [server, listener, engine] = f;
    engine.Connection().SetTiming({kSilenceMs, kSlowReplyMs, kLineDeadlineMs, kBlockDeadlineMs});
    const std::string copies = folder + "/data/Mavix/Quarantine";
    engine.SetJournalFolder(folder + "/state/Mavix");
    if (m_plan.m_bQuarantine)
        engine.SetQuarantine({kQuarantineBytes, copies});
    server.ListPipelining(m_plan.m_bPipelining);
    server.ShapeReplies(
        [this](const std::string& command, int session, std::string& reply) { return Shape(command, session, reply); });
    f.Serve({});
    server.SetMailbox(box);

    const auto fail = [&](const std::string& why) {
        report.m_sViolation = why;
        std::lock_guard lock(m_logLock);
        report.m_sTranscript = m_sLog;
        return report;
    };

    const ScanOutcome scan = f.Scan({}, kScanDeadlineMs);
    if (!scan.m_bDone)
        return fail("the scan did not end within " + std::to_string(kScanDeadlineMs) + " ms");
    Log("scan: " + std::to_string(scan.m_aRows.size()) + " rows, result " + std::to_string(scan.m_nResult) + " "
        + scan.m_sStatus);
    if (scan.m_aRows.empty())
        return report;

    std::vector<ShownRow> shown;
    const double pChecked = m_dice.Between(20, 100) / 100.0;
    std::vector<PurgeRow> snapshot;
    std::set<std::string> checked;
    for (const MessageRow& row : scan.m_aRows) {
        shown.push_back({SnapshotRow(row, m_dice.Chance(pChecked)), TokenIn(row.m_sCC)});
        snapshot.push_back(shown.back().m_row);
        if (shown.back().m_row.m_bChecked)
            checked.insert(shown.back().m_sToken);
        const PurgeRow& r = shown.back().m_row;
        Log("row #" + std::to_string(r.m_nNum) + (r.m_bChecked ? " checked " : "         ") + shown.back().m_sToken
            + " uid=" + r.m_sUidl + " \"" + r.m_sSubject + "\"" + (r.m_bAvailable ? "" : " unavailable"));
    }

    if (m_plan.m_bSessionDies) {
        Count(kSessionDies);
        server.DropSessions();
        if (!server.WaitNoSession(kSessionEndMs))
            return fail("the scan's session did not end when the server closed it");
        ChangeMailbox(server, maker, checked);
    }

    m_aMailbox = server.Mailbox();
    for (const Server::MailboxMessage& m : m_aMailbox)
        Log("before purge: " + Describe(m));
    m_bPurging = true;
    m_bPurged = true;
    engine.StartPurge(snapshot);
    const PurgeNotes purge = DrivePurge(listener, kPurgeDeadlineMs);
    if (!purge.m_bDone)
        return fail("the purge did not end within " + std::to_string(kPurgeDeadlineMs) + " ms");
    Log("purge: " + PurgeSummaryText(purge.m_done.m_result) + (purge.m_done.m_result.m_bCommitted ? " (committed)" : "")
        + (purge.m_done.m_result.m_bReconnected ? " (logged in again)" : "") + " " + purge.m_done.m_result.m_sNotStarted
        + purge.m_done.m_result.m_sReason);
    if (!server.WaitNoSession(kSessionEndMs))
        return fail("a session stayed open after the purge");

    // What the server removed, by token.
    std::set<std::string> left;
    for (const Server::MailboxMessage& m : server.Mailbox())
        left.insert(TokenIn(m.m_sText));
    std::string wrong;
    std::vector<RemovedRow> removed;
    for (const Server::MailboxMessage& m : m_aMailbox) {
        const std::string token = TokenIn(m.m_sText);
        if (left.count(token))
            continue;
        ++m_nRemoved;
        const auto row = std::find_if(shown.begin(), shown.end(), [&](const ShownRow& s) {
            return s.m_sToken == token && s.m_row.m_bChecked && s.m_row.m_bAvailable;
        });
        if (row == shown.end()) {
            wrong += "removed " + Describe(m) + ", which no checked row showed\n";
            continue;
        }
        removed.push_back({row->m_row.m_sUidl, row->m_row.m_sSubject});
        if (m_plan.m_bQuarantine && m.m_sText.size() <= kQuarantineBytes) {
            bool bKept = false;
            QDirIterator copy(QString::fromStdString(copies + "/new"), QDir::Files);
            while (!bKept && copy.hasNext()) {
                QFile file(copy.next());
                bKept = file.open(QIODevice::ReadOnly)
                    && file.readAll().contains(QByteArray::fromStdString("Cc: " + token + kTokenDomain + "\n"));
            }
            if (!bKept)
                wrong += "removed " + Describe(m) + " without a copy of it kept\n";
        }
    }
    wrong += CheckJournaled(removed, folder + "/state/Mavix");
    Log("removed: " + std::to_string(removed.size()) + " as checked");
    if (!wrong.empty())
        return fail(wrong);
    std::lock_guard lock(m_logLock);
    report.m_sTranscript = m_sLog;
    return report;
}

long EnvNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

}  // namespace

class TestPurgeSoak : public QObject {
    Q_OBJECT
private slots:
    void soak();
};

void TestPurgeSoak::soak()
{
    const bool bKnown = EnvNumber("MAVIX_SOAK_KNOWN", 1) == 1;
    const char* replay = std::getenv("MAVIX_SOAK_SEED");
    const bool bReplay = replay && *replay;
    const long seconds = EnvNumber("MAVIX_SOAK_SECONDS", kDefaultSeconds);
    const long cap = bReplay ? 1 : EnvNumber("MAVIX_SOAK_ROUNDS", kMaxRounds);
    const uint64_t base = bReplay ? std::strtoull(replay, nullptr, 10) : std::random_device{}() * 1000003ULL;
    qInfo("soak: %s, seeds from %llu, %ld s, at most %ld rounds", bKnown ? "known faults on" : "known faults off",
          static_cast<unsigned long long>(base), seconds, cap);

    const auto end = Clock::now() + std::chrono::seconds(seconds);
    long rounds = 0, purges = 0;
    size_t removed = 0;
    std::array<long, kKindCount> faults{};
    std::vector<std::string> failures;
    while (rounds < cap && (bReplay || Clock::now() < end)) {
        const uint64_t seed = base + static_cast<uint64_t>(rounds);
        Soak round(seed, bKnown);
        const RoundReport report = round.Run();
        ++rounds;
        purges += round.Purged();
        removed += round.Removed();
        for (size_t k = 0; k < faults.size(); ++k)
            faults[k] += round.Faults()[k];
        if (bReplay && report.m_sViolation.empty())
            qInfo("soak: round with seed %llu:\n%s", static_cast<unsigned long long>(seed),
                  report.m_sTranscript.c_str());
        if (!report.m_sViolation.empty()) {
            std::string kinds;
            for (size_t k = 0; k < faults.size(); ++k)
                if (round.Faults()[k] > 0)
                    kinds += std::string(kinds.empty() ? "" : ", ") + kKindNames[k];
            failures.push_back(std::to_string(seed));
            qWarning("soak: seed %llu failed (%s): %s", static_cast<unsigned long long>(seed), kinds.c_str(),
                     report.m_sViolation.substr(0, report.m_sViolation.find('\n')).c_str());
            if (bReplay || failures.size() <= kTranscriptsShown)
                qWarning("soak: round with seed %llu failed (replay: MAVIX_SOAK_SEED=%llu%s):\n%s\n%s",
                         static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed),
                         bKnown ? " MAVIX_SOAK_KNOWN=1" : "", report.m_sViolation.c_str(),
                         report.m_sTranscript.c_str());
        }
    }

    std::string counts;
    for (size_t k = 0; k < faults.size(); ++k)
        counts += std::string(k ? ", " : "") + kKindNames[k] + " " + std::to_string(faults[k]);
    qInfo("soak: %ld rounds, %ld purges, %zu messages removed; faults: %s", rounds, purges, removed, counts.c_str());
    std::string all;
    for (const std::string& failure : failures)
        all += " " + failure;
    QVERIFY2(failures.empty(),
             ("wrong deletions or hangs in " + std::to_string(failures.size()) + " rounds, seeds" + all).c_str());
}

QTEST_GUILESS_MAIN(TestPurgeSoak)
#include "test_purge_soak.moc"
