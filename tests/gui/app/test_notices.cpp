// What a notification of new suspects says: the count, at most three
// Subjects decoded and shortened, the rest as one ellipsis.

#include "gui/app/NewMailNotices.h"

#include <QtTest>

class TestNotices : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
};

void TestNotices::text_data()
{
    QTest::addColumn<QStringList>("subjects");  // raw header bytes, as Latin-1
    QTest::addColumn<QString>("text");
    QTest::newRow("one") << QStringList{"Account locked"}
                         << QStringLiteral("1 new suspect message: \"Account locked\"");
    QTest::newRow("four: three named") << QStringList{"a", "b", "c", "d"}
                                       << QStringLiteral("4 new suspect messages: \"a\", \"b\", \"c\", \u2026");
    QTest::newRow("long: cut with an ellipsis")
        << QStringList{"Your invoice for the order 2231 of the 3rd of May is overdue"}
        << QStringLiteral("1 new suspect message: \"Your invoice for the order 2231 of the 3\u2026\"");
    // RFC 2047 encoded word; a line break folded in by the sender is a blank.
    QTest::newRow("encoded, folded") << QStringList{"=?UTF-8?B?w5xiZXJ3ZWlzdW5n?=\r\n ausstehend"}
                                     << QStringLiteral("1 new suspect message: \"\u00dcberweisung ausstehend\"");
    // Not cut between the two halves of a character outside the BMP.
    QTest::newRow("cut before a surrogate pair")
        << QStringList{QString(39, QLatin1Char('x')) + "=?UTF-8?B?8J+SsA==?= tail"}
        << QStringLiteral("1 new suspect message: \"%1\u2026\"").arg(QString(39, QLatin1Char('x')));
}

void TestNotices::text()
{
    QFETCH(QStringList, subjects);
    QFETCH(QString, text);
    std::vector<std::string> raw;
    for (const QString& subject : subjects)
        raw.push_back(subject.toLatin1().toStdString());
    QCOMPARE(NewMailNotices::Text(raw), text);
}

QTEST_GUILESS_MAIN(TestNotices)
#include "test_notices.moc"
