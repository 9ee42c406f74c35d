// Accent and case folding, the kinds of match and the reasons given.
#include <QTest>

#include "core/filters/Classify.h"
#include "core/filters/FilterLists.h"
#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"

class TestClassify : public QObject {
    Q_OBJECT
private slots:
    void foldAccentTable();
    void suspect_data();
    void suspect();
    void duplicatesAndSeveralLists();
    void reasons_data();
    void reasons();
    void modes_data();
    void modes();
};

void TestClassify::foldAccentTable()
{
    // Every one of the 256 codes: the folded ones from the table, every other
    // code unchanged (Æ, Ð, Þ, ß, Œ, Ž and × ÷ included).
    std::map<int, char> folded;
    auto set = [&folded](std::initializer_list<int> codes, char letter) {
        for (int c : codes)
            folded[c] = letter;
    };
    set({0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5}, 'A');
    set({0xC7, 0xE7}, 'C');
    set({0xC8, 0xC9, 0xCA, 0xCB, 0xE8, 0xE9, 0xEA, 0xEB}, 'E');
    set({0xCC, 0xCD, 0xCE, 0xCF, 0xEC, 0xED, 0xEE, 0xEF}, 'I');
    set({0xD1, 0xF1}, 'N');
    set({0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD8, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF8}, 'O');
    set({0x8A, 0x9A}, 'S');
    set({0xD9, 0xDA, 0xDB, 0xDC, 0xF9, 0xFA, 0xFB, 0xFC}, 'U');
    set({0x9F, 0xDD, 0xFD, 0xFF}, 'Y');
    for (int c = 0; c < 256; ++c) {
        const auto it = folded.find(c);
        const int expected = it == folded.end() ? c : static_cast<unsigned char>(it->second);
        QVERIFY2(FoldAccent(static_cast<unsigned char>(c)) == expected, qPrintable(QString::number(c, 16)));
    }
    QCOMPARE(NormaliseSubject("L\xF6west r\xE9sum\xE9 \xC6\xDF\x9E"), std::string("LOWEST RESUME \xC6\xDF\x9E"));
}

void TestClassify::suspect_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("subject");
    QTest::addColumn<QByteArray>("size");
    QTest::addColumn<int>("expected");

    const int contains = kFilterSubject, exact = kFilterSubjectExact, size = kFilterSize;
    QTest::newRow("contains, other case")
        << contains << QByteArray("VIRUS") << QByteArray("Virus found") << QByteArray("1K") << 1;
    QTest::newRow("contains, accent in subject")
        << contains << QByteArray("VIRUS") << QByteArray("Re: v\xEDrus") << QByteArray("1K") << 1;
    QTest::newRow("contains, accent in entry")
        << contains << QByteArray("L\xF6west") << QByteArray("LOWEST RATES") << QByteArray("1K") << 1;
    QTest::newRow("contains, accents both sides")
        << contains << QByteArray("\xC9T\xC9") << QByteArray("un \xE8t\xEB chaud") << QByteArray("1K") << 1;
    QTest::newRow("contains, small entry")
        << contains << QByteArray("lowest") << QByteArray("L\xD6WEST") << QByteArray("1K") << 1;
    QTest::newRow("contains, S caron both cases") << contains
                                                  << QByteArray("\x8A"
                                                                "KODA")
                                                  << QByteArray("new \x9Akoda") << QByteArray("1K") << 1;
    QTest::newRow("contains, no match") << contains << QByteArray("VIRUS") << QByteArray("Hello") << QByteArray("1K")
                                        << 0;
    QTest::newRow("contains, unfolded letters differ") << contains << QByteArray("STRASSE")
                                                       << QByteArray("Stra\xDF"
                                                                     "e")
                                                       << QByteArray("1K") << 0;
    QTest::newRow("contains, not in empty subject")
        << contains << QByteArray("A") << QByteArray() << QByteArray("1K") << 0;
    QTest::newRow("exact, whole subject")
        << exact << QByteArray("HONEY") << QByteArray("honey") << QByteArray("1K") << 1;
    QTest::newRow("exact, accent") << exact << QByteArray("CAFE") << QByteArray("caf\xE9") << QByteArray("1K") << 1;
    QTest::newRow("exact, trailing text")
        << exact << QByteArray("HONEY") << QByteArray("honey bee") << QByteArray("1K") << 0;
    QTest::newRow("exact, leading text") << exact << QByteArray("HONEY") << QByteArray("my honey") << QByteArray("1K")
                                         << 0;
    QTest::newRow("exact, trailing blank")
        << exact << QByteArray("HONEY") << QByteArray("honey ") << QByteArray("1K") << 0;
    QTest::newRow("size, same text") << size << QByteArray("113K") << QByteArray("x") << QByteArray("113K") << 1;
    QTest::newRow("size, small letters in entry")
        << size << QByteArray("113k") << QByteArray("x") << QByteArray("113K") << 0;
    QTest::newRow("size, small letters in size text")
        << size << QByteArray("113K") << QByteArray("x") << QByteArray("113k") << 1;
    QTest::newRow("size, other size") << size << QByteArray("113K") << QByteArray("x") << QByteArray("114K") << 0;
    QTest::newRow("size, not a subject match")
        << size << QByteArray("113K") << QByteArray("113K") << QByteArray("2K") << 0;
    QTest::newRow("size larger than") << size << QByteArray(">500K") << QByteArray("x") << QByteArray("501K") << 1;
    QTest::newRow("size larger than, equal")
        << size << QByteArray(">500K") << QByteArray("x") << QByteArray("500K") << 0;
    QTest::newRow("size larger than, by length not text")
        << size << QByteArray(">500K") << QByteArray("x") << QByteArray("1000K") << 1;
    QTest::newRow("size larger than M") << size << QByteArray(">2M") << QByteArray("x") << QByteArray("2001K") << 1;
    QTest::newRow("size larger than M, under")
        << size << QByteArray(">2M") << QByteArray("x") << QByteArray("2000K") << 0;
    QTest::newRow("size larger than, no unit matches nothing")
        << size << QByteArray(">5") << QByteArray("x") << QByteArray("900K") << 0;
    QTest::newRow("size larger than, huge size text")
        << size << QByteArray(">2M") << QByteArray("x") << QByteArray("99999999999999999999K") << 0;
    QTest::newRow("size larger than, not a subject match")
        << size << QByteArray(">1K") << QByteArray("999K") << QByteArray("1K") << 0;
    QTest::newRow("size entry not folded") << size << QByteArray("1\xCB") << QByteArray("x") << QByteArray("1E") << 0;
}

void TestClassify::suspect()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, subject);
    QFETCH(QByteArray, size);
    QFETCH(int, expected);
    FilterLists lists;
    QVERIFY(lists.Append(static_cast<FilterKind>(kind), entry.toStdString()));
    QCOMPARE(IsSuspect(lists, subject.toStdString(), size.toStdString()), expected);
    QCOMPARE(IsSuspect(FilterLists(), subject.toStdString(), size.toStdString()), 0);
    // The richer rule agrees on a Subject that decodes to itself.
    const Verdict verdict = Classify(lists, subject.toStdString(), platform::Cp1252ToUtf8(subject.toStdString()),
                                     size.toStdString(), "a@b.example");
    QCOMPARE(verdict.m_bSuspect, expected == 1);
}

void TestClassify::duplicatesAndSeveralLists()
{
    FilterLists lists;
    QVERIFY(lists.Append(kFilterSubject, "SALE"));
    QVERIFY(lists.Append(kFilterSubject, "SALE"));
    QVERIFY(lists.Append(kFilterSubjectExact, "big sale"));
    QVERIFY(lists.Append(kFilterSize, "2K"));
    // Matching every list still gives the flag 1, not a count.
    QCOMPARE(IsSuspect(lists, "Big Sale", "2K"), 1);
    QCOMPARE(IsSuspect(lists, "nothing", "2K"), 1);
    QCOMPARE(IsSuspect(lists, "nothing", "3K"), 0);
}

void TestClassify::reasons_data()
{
    QTest::addColumn<QByteArray>("subject");   // raw bytes
    QTest::addColumn<QString>("subjectText");  // as decoded
    QTest::addColumn<QByteArray>("email");
    QTest::addColumn<QString>("reason");  // empty: not suspect

    const auto row = [](const char* name, const char* subject, const QString& text, const char* email,
                        const char* reason) {
        QTest::newRow(name) << QByteArray(subject) << text << QByteArray(email) << QString::fromUtf8(reason);
    };
    row("contains", "Sweet honey", QStringLiteral("Sweet honey"), "a@x.example", "Subject contains \"HONEY\"");
    row("exact", "hi", QStringLiteral("hi"), "a@x.example", "Subject is exactly \"HI\"");
    row("size", "plain", QStringLiteral("plain"), "a@x.example", "Size is 127K");
    row("size over", "big", QStringLiteral("big"), "a@x.example", "Size is over 900K");
    row("sender address", "x", QStringLiteral("x"), "Bob@Spam.Example",
        "Sender Bob@Spam.Example is on the sender list");
    row("sender domain", "x", QStringLiteral("x"), "anyone@EXAMPLE.biz", "Sender EXAMPLE.biz is on the sender list");
    row("domain is not a suffix", "x", QStringLiteral("x"), "a@notexample.biz", "");
    row("decoded contains", "=?UTF-8?B?SE9ORVk=?=", QStringLiteral("HONEY"), "a@x.example",
        "Subject contains \"HONEY\"");
    row("decoded folds accents", "=?UTF-8?Q?h=C3=B4ney?=", QStringLiteral("h\u00F4ney"), "a@x.example",
        "Subject contains \"HONEY\"");
    row("decoded outside code page splits", "=?UTF-8?Q?ho=E4=B8=ADney?=", QStringLiteral("ho\u4E2Dney"), "a@x.example",
        "");
    row("decoded exact needs whole text", "=?UTF-8?Q?hi=E4=B8=AD?=", QStringLiteral("hi\u4E2D"), "a@x.example", "");
    row("direction override", "=?UTF-8?Q?Invoice_=E2=80=AEfdp.exe?=", QStringLiteral("Invoice \u202Efdp.exe"),
        "a@x.example", "Subject hides its reading direction");
    row("right-to-left mark alone",
        "=?UTF-8?Q?=D7=A9=D7=9C=D7=95=D7=9D=E2=80=8F!?=", QStringLiteral("\u05E9\u05DC\u05D5\u05DD\u200F!"),
        "a@x.example", "");
    row("trusted over subject", "honey", QStringLiteral("honey"), "friend@home.example", "");
    row("trusted domain over sender", "x", QStringLiteral("x"), "boss@work.example", "");
}

void TestClassify::reasons()
{
    QFETCH(QByteArray, subject);
    QFETCH(QString, subjectText);
    QFETCH(QByteArray, email);
    QFETCH(QString, reason);
    FilterLists lists;
    QVERIFY(lists.Append(kFilterSubject, "HONEY"));
    QVERIFY(lists.Append(kFilterSubjectExact, "HI"));
    QVERIFY(lists.Append(kFilterSize, "127K"));
    QVERIFY(lists.Append(kFilterSize, ">900K"));
    QVERIFY(lists.Append(kFilterSender, "BOB@SPAM.EXAMPLE"));
    QVERIFY(lists.Append(kFilterSender, "@example.biz"));
    QVERIFY(lists.Append(kFilterSender, "@WORK.EXAMPLE"));
    QVERIFY(lists.Append(kFilterTrusted, "FRIEND@HOME.EXAMPLE"));
    QVERIFY(lists.Append(kFilterTrusted, "@work.example"));
    const std::string size = subject == "plain" ? "127k" : subject == "big" ? "901K" : "2K";
    const Verdict verdict =
        Classify(lists, subject.toStdString(), subjectText.toStdString(), size, email.toStdString());
    QCOMPARE(QString::fromStdString(verdict.m_sReason), reason);
    QCOMPARE(verdict.m_bSuspect, !reason.isEmpty());
    QCOMPARE(verdict.m_bTrusted, email.endsWith("home.example") || email.endsWith("work.example"));
}

// Each match mode against plain, decoded and undecodable Subjects, with
// Unicode entries: what a user's list does to real mail.
void TestClassify::modes_data()
{
    QTest::addColumn<int>("kind");   // the list
    QTest::addColumn<int>("match");  // SubjectMatch
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("subject");  // raw
    QTest::addColumn<QString>("reason");      // empty: not suspect

    const int sub = kFilterSubject, exact = kFilterSubjectExact;
    const int contains = int(SubjectMatch::kContains), word = int(SubjectMatch::kWholeWord),
              pattern = int(SubjectMatch::kPattern);
    const auto row = [](const char* name, int kind, int match, const QString& entry, const char* subject,
                        const QString& reason) {
        QTest::newRow(name) << kind << match << entry << QByteArray(subject) << reason;
    };
    const QString none;
    const QString undecodable = QString::fromUtf8(kUndecodableReason);
    row("contains inside a word", sub, contains, "fat", "Father's day plans", "Subject contains \"fat\"");
    row("word not inside a word", sub, word, "fat", "Father's day plans", none);
    row("word at the start", sub, word, "fat", "FAT burner, 50% off", "Subject has the word \"fat\"");
    row("word, longer number", sub, word, "Invoice 1", "Invoice 12", none);
    row("word, accent folded in decoded", sub, word, "cafe",
        "=?UTF-8?Q?Caf=C3=A9_cr=C3=A8me?=", "Subject has the word \"cafe\"");
    row("word not in the encoded form", sub, word, "utf", "=?UTF-8?B?SGk=?=", none);
    row("word before a character outside the code page", sub, word, "fat",
        "=?UTF-8?B?ZmF00LbQuNGA?=", none);  // "fatжир"
    row("=? on a decoded Russian Subject", sub, word, "=?", "=?UTF-8?B?0J/RgNC40LLQtdGC?=", none);
    row("=? on a decoded Japanese Subject", sub, contains, "=?", "=?ISO-2022-JP?B?GyRCMnE1RBsoQg==?=", none);
    row("=? on a plain Subject", sub, contains, "=?", "What =? means", none);
    row("=? on an unknown charset", sub, word, "=?", "=?x-no-such-set?B?SGk=?=", undecodable);
    row("=? on a malformed word", sub, contains, "=?", "Hi =?UTF-8?B?*bad*?=", undecodable);
    row("=? on bytes invalid in their charset", sub, contains, "=?", "=?UTF-8?Q?caf=E9?=", undecodable);
    row("Unicode contains, case", sub, contains, QStringLiteral("ПРИВЕТ"),
        "=?UTF-8?B?0J/RgNC40LLQtdGC?=", QStringLiteral("Subject contains \"ПРИВЕТ\""));
    row("Unicode word inside a word", sub, word, QStringLiteral("мама"),
        "=?UTF-8?B?0LzQsNC80LDRiNCw?=", none);  // "мамаша"
    row("Unicode word, Greek", sub, word, QStringLiteral("γεια"), "=?UTF-8?B?zpPOtc65zrEgz4POv8+F?=",
        QStringLiteral("Subject has the word \"γεια\""));  // "Γεια σου"
    row("Unicode word in Japanese", sub, word, QStringLiteral("会議"),
        "=?UTF-8?B?5piO5pel44Gu5Lya6K2w44Gr44Gk44GE44Gm?=",
        QStringLiteral("Subject has the word \"会議\""));  // "明日の会議について"
    row("pattern", sub, pattern, "^invoice \\d+$", "Invoice 12", "Subject matches the pattern \"^invoice \\d+$\"");
    row("pattern on decoded text", sub, pattern, QStringLiteral("^при"),
        "=?UTF-8?B?0J/RgNC40LLQtdGC?=", QStringLiteral("Subject matches the pattern \"^при\""));
    row("invalid pattern never matches", sub, pattern, "(invoice", "(invoice", none);
    row("pattern matching all never matches", sub, pattern, "x*", "xxx", none);
    row("Unicode exact", exact, contains, QStringLiteral("Привет"), "=?UTF-8?B?0L/RgNC40LLQtdGC?=",
        QStringLiteral("Subject is exactly \"Привет\""));  // "привет"
    row("Unicode exact, more text", exact, contains, QStringLiteral("Привет"),
        "=?UTF-8?B?0J/RgNC40LLQtdGCIQ==?=", none);  // "Привет!"
}

void TestClassify::modes()
{
    QFETCH(int, kind);
    QFETCH(int, match);
    QFETCH(QString, entry);
    QFETCH(QByteArray, subject);
    QFETCH(QString, reason);
    FilterLists lists;
    QVERIFY(lists.Append(static_cast<FilterKind>(kind),
                         FilterEntry::FromUtf8(entry.toStdString(), static_cast<SubjectMatch>(match))));
    const std::string raw = subject.toStdString();
    const Verdict verdict = Classify(lists, raw, platform::DecodeHeaderText(raw), "1K", "a@b.example");
    QCOMPARE(QString::fromStdString(verdict.m_sReason), reason);
    QCOMPARE(verdict.m_bSuspect, !reason.isEmpty());
}

QTEST_GUILESS_MAIN(TestClassify)
#include "test_classify.moc"
