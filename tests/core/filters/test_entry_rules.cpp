// The form each list gives a typed entry, and the entries refused.
#include <QTest>

#include "core/filters/EntryRules.h"

class TestEntryRules : public QObject {
    Q_OBJECT
private slots:
    void prepare_data();
    void prepare();
    void problems_data();
    void problems();
    void sizeProblems_data();
    void sizeProblems();
};

void TestEntryRules::prepare_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("bUtf8");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("subject folds accents")
        << int(kFilterSubject) << false << QByteArray("caf\xE9 Deal") << QByteArray("cafE Deal");
    QTest::newRow("subject exact folds") << int(kFilterSubjectExact) << false << QByteArray("\xC9t\xE9")
                                         << QByteArray("EtE");
    QTest::newRow("utf8 kept as typed") << int(kFilterSubject) << true << QByteArray("caf\xC3\xA9")
                                        << QByteArray("caf\xC3\xA9");
    QTest::newRow("size in capitals") << int(kFilterSize) << false << QByteArray("113k") << QByteArray("113K");
    QTest::newRow("larger than, blanks dropped")
        << int(kFilterSize) << false << QByteArray(" > 500 k ") << QByteArray(">500K");
    QTest::newRow("sender brackets") << int(kFilterSender) << false << QByteArray("  < Bob@Example.com > ")
                                     << QByteArray("Bob@Example.com");
    QTest::newRow("trusted domain") << int(kFilterTrusted) << false << QByteArray(" @example.com\t")
                                    << QByteArray("@example.com");
    QTest::newRow("lone bracket kept") << int(kFilterSender) << false << QByteArray("<bob@example.com")
                                       << QByteArray("<bob@example.com");
}

void TestEntryRules::prepare()
{
    QFETCH(int, kind);
    QFETCH(bool, bUtf8);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    const FilterEntry entry = entry_rules::PrepareEntry(
        static_cast<FilterKind>(kind), FilterEntry{text.toStdString(), SubjectMatch::kWholeWord, bUtf8});
    QCOMPARE(QByteArray::fromStdString(entry.m_sText), expected);
    QCOMPARE(entry.m_match, SubjectMatch::kWholeWord);
    QCOMPARE(entry.m_bUtf8, bUtf8);
}

void TestEntryRules::problems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bUnicode");
    QTest::addColumn<int>("match");
    QTest::addColumn<QString>("problem");  // its start; empty: accepted
    const int contains = int(SubjectMatch::kContains);
    const int pattern = int(SubjectMatch::kPattern);
    QTest::newRow("empty") << QString() << false << contains << "Type the text of the filter.";
    QTest::newRow("blanks") << QStringLiteral(" \t ") << true << contains << "Type the text of the filter.";
    QTest::newRow("no-break spaces") << QStringLiteral("\u00A0\u3000") << true << contains
                                     << "Type the text of the filter.";
    QTest::newRow("plain") << QStringLiteral("Viagra") << false << contains << QString();
    QTest::newRow("western accent") << QStringLiteral("caf\u00E9") << false << contains << QString();
    QTest::newRow("not western") << QStringLiteral("\u4E2D\u6587") << false << contains
                                 << "This list can only hold Western";
    QTest::newRow("unicode list") << QStringLiteral("\u4E2D\u6587") << true << contains << QString();
    QTest::newRow("longest") << QString(int(kMaxFilterEntry), 'x') << false << contains << QString();
    QTest::newRow("too long") << QString(int(kMaxFilterEntry) + 1, 'x') << false << contains
                              << "A filter can be at most 259 characters long; this one has 260.";
    QTest::newRow("bad pattern") << QStringLiteral("(unclosed") << true << pattern << "*";
    QTest::newRow("good pattern") << QStringLiteral("^free .*pills$") << true << pattern << QString();
}

void TestEntryRules::sizeProblems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exact size, as always") << QStringLiteral("113K") << true;
    QTest::newRow("any old text, as always") << QStringLiteral("huge") << true;
    QTest::newRow("larger than K") << QStringLiteral(">500K") << true;
    QTest::newRow("larger than M, small letter") << QStringLiteral("> 2m") << true;
    QTest::newRow("no unit") << QStringLiteral(">500") << false;
    QTest::newRow("bytes unit") << QStringLiteral(">500B") << false;
    QTest::newRow("no number") << QStringLiteral(">K") << false;
    QTest::newRow("zero marks everything") << QStringLiteral(">0K") << false;
    QTest::newRow("fraction") << QStringLiteral(">1.5M") << false;
    QTest::newRow("too many digits") << QStringLiteral(">1234567890K") << false;
    QTest::newRow("two signs") << QStringLiteral(">>5K") << false;
}

void TestEntryRules::sizeProblems()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    const std::string problem = entry_rules::SizeEntryProblem(text.toStdString());
    QVERIFY2(problem.empty() == accepted, problem.c_str());
}

void TestEntryRules::problems()
{
    QFETCH(QString, text);
    QFETCH(bool, bUnicode);
    QFETCH(int, match);
    QFETCH(QString, problem);
    const QString got = QString::fromStdString(
        entry_rules::EntryProblem(text.toStdString(), bUnicode, static_cast<SubjectMatch>(match)));
    if (problem == QLatin1String("*"))
        QVERIFY(!got.isEmpty());
    else if (problem.isEmpty())
        QVERIFY2(got.isEmpty(), qPrintable(got));
    else
        QVERIFY2(got.startsWith(problem), qPrintable(got));
}

QTEST_GUILESS_MAIN(TestEntryRules)
#include "test_entry_rules.moc"
