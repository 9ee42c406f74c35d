#include "NewMailNotices.h"

#include "core/platform/HeaderDecode.h"
#include "gui/widgets/Text.h"

#include <QCoreApplication>

std::vector<std::string> NewMailNotices::TakeNew(const std::string& account, const std::vector<Listed>& listed)
{
    std::set<std::string>& told = m_told[account];
    std::set<std::string> still;
    std::vector<std::string> news;
    for (const Listed& message : listed) {
        if (told.count(message.m_sKey)) {
            still.insert(message.m_sKey);
        } else if (message.m_bSuspect) {
            still.insert(message.m_sKey);
            news.push_back(message.m_sSubject);
        }
    }
    told.swap(still);
    return news;
}

void NewMailNotices::MarkSeen(const std::string& account, const std::vector<Listed>& listed)
{
    std::set<std::string>& told = m_told[account];
    told.clear();
    for (const Listed& message : listed) {
        if (message.m_bSuspect)
            told.insert(message.m_sKey);
    }
}

QString NewMailNotices::ShortSubject(const std::string& raw)
{
    QString subject = ShownUtf8(platform::DecodeHeaderText(raw)).simplified();
    if (subject.size() > kSubjectChars) {
        // Not between the halves of a surrogate pair.
        qsizetype nCut = kSubjectChars;
        if (subject.at(nCut - 1).isHighSurrogate())
            --nCut;
        subject = subject.left(nCut) + QChar(0x2026);
    }
    return subject;
}

QString NewMailNotices::Text(const std::vector<std::string>& subjects)
{
    const int nNew = static_cast<int>(subjects.size());
    QStringList named;
    for (int i = 0; i < nNew && i < kNamedSubjects; ++i)
        named << QStringLiteral("\"%1\"").arg(ShortSubject(subjects[static_cast<size_t>(i)]));
    if (nNew > kNamedSubjects)
        named << QString(QChar(0x2026));
    // Two whole sentences, so that English needs no translation file for
    // its plural and a translation can agree with the number.
    const QString list = named.join(QStringLiteral(", "));
    if (nNew == 1)
        return QCoreApplication::translate("NewMailNotices", "1 new suspect message: %1").arg(list);
    return QCoreApplication::translate("NewMailNotices", "%1 new suspect messages: %2").arg(nNew).arg(list);
}
