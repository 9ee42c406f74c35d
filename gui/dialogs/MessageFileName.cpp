#include "MessageFileName.h"

#include <QList>

namespace message_file {

namespace {

const QString kSuffix = QStringLiteral(".eml");

// Characters no file name may hold somewhere: the separators, what FAT and
// NTFS reserve, controls and the directional marks that would make a name
// read in another order than its characters have.
bool Unsafe(char32_t c)
{
    static const QString reserved = QStringLiteral("/\\:*?\"<>|");
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
        return true;
    if ((c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069))
        return true;
    return c < 0x80 && reserved.contains(QChar(static_cast<char16_t>(c)));
}

// Cut at a character boundary so that the UTF-8 form fits `bytes`.
QString Bounded(const QString& text, int bytes)
{
    QString out;
    int used = 0;
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        const int n = static_cast<int>(one.toUtf8().size());
        if (used + n > bytes)
            break;
        out += one;
        used += n;
    }
    return out;
}

}  // namespace

QString NameFromSubject(const QString& subject)
{
    QString stem;
    bool bBlank = false;
    for (char32_t c : subject.toUcs4()) {
        if (QChar::isSpace(c)) {
            bBlank = true;
            continue;
        }
        if (bBlank && !stem.isEmpty())
            stem += QLatin1Char(' ');
        bBlank = false;
        if (Unsafe(c))
            stem += QLatin1Char('_');
        else
            stem += QString::fromUcs4(&c, 1);
    }
    stem = Bounded(stem, kMaxStemBytes);
    // Not hidden, not taken for an option, not a name Windows refuses to end.
    while (!stem.isEmpty() && (stem.front() == QLatin1Char('.') || stem.front() == QLatin1Char('-')))
        stem.remove(0, 1);
    while (!stem.isEmpty() && (stem.back() == QLatin1Char('.') || stem.back() == QLatin1Char(' ')))
        stem.chop(1);
    if (stem.isEmpty() || stem.count(QLatin1Char('_')) == stem.size())
        stem = QStringLiteral("message");
    return stem + kSuffix;
}

QString UniqueName(const QString& name, const std::function<bool(const QString&)>& taken)
{
    if (!taken(name))
        return name;
    const QString stem = name.endsWith(kSuffix) ? name.chopped(kSuffix.size()) : name;
    for (int n = 2; n <= kMaxTries; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(kSuffix);
        if (!taken(candidate))
            return candidate;
    }
    return {};
}

}  // namespace message_file
