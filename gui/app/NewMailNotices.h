#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <set>
#include <string>
#include <vector>

// What the background checks tell the user: each suspect message once.
// Per account, the keys (BackgroundCheck::SuspectKey: the UIDL, else the
// number and Subject) of the suspects already told of; a message the server
// no longer lists drops out, so each set stays as small as its mailbox. Held
// in memory only: a new run of Mavix tells again what waits.
class NewMailNotices {
public:
    // One message of a check's listing.
    struct Listed {
        std::string m_sKey;
        bool m_bSuspect = false;
        std::string m_sSubject;  // raw bytes, as the scan read them
    };

    // The Subjects (raw bytes) of the suspects in `listed` not told of
    // before, in listing order; they count as told of from now on.
    std::vector<std::string> TakeNew(const std::string& account, const std::vector<Listed>& listed);
    // The user's own scan showed these: none of them is news any more.
    void MarkSeen(const std::string& account, const std::vector<Listed>& listed);

    // Subjects named in one notification; the others are one ", …".
    static constexpr int kNamedSubjects = 3;
    // Characters kept of a Subject before the ellipsis: a notification has
    // a line or two, and a sender chooses the Subject's length.
    static constexpr int kSubjectChars = 40;
    // `2 new suspect messages: "Your invoice…", "Account locked"` from the
    // new suspects' raw Subjects.
    static QString Text(const std::vector<std::string>& subjects);
    // A Subject decoded for display, shortened to kSubjectChars.
    static QString ShortSubject(const std::string& raw);

private:
    std::map<std::string, std::set<std::string>> m_told;  // by account
};
