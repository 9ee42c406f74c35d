// What a row shows people: decoded texts beside the raw bytes, the header
// block of "View Headers".
#include <QTest>

#include "core/platform/Cp1252.h"
#include "core/rows/ReadableRow.h"

class TestReadableRow : public QObject {
    Q_OBJECT
private slots:
    void shownSubject_data();
    void shownSubject();
    void headerBlock();
};

void TestReadableRow::shownSubject_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ascii") << QByteArray("Lunch?") << QStringLiteral("Lunch?");
    QTest::newRow("windows-1252") << QByteArray("Caf\xE9") << QStringLiteral("Caf\u00E9");
    QTest::newRow("raw utf-8") << QByteArray("\xC3\x9C"
                                             "berweisung \xE2\x9C\x93")
                               << QStringLiteral("\u00DCberweisung \u2713");
    QTest::newRow("encoded") << QByteArray("=?UTF-8?Q?=C3=9Cber?=") << QStringLiteral("\u00DCber");
}

// The screen shows the decoded text, or the bytes as Windows-1252 where the
// row keeps none; the raw Subject stays as received either way.
void TestReadableRow::shownSubject()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, shown);
    MessageRow row;
    row.m_sSubject = raw.toStdString();
    AddReadableTexts(row);
    QCOMPARE(row.m_sSubject, raw.toStdString());
    const std::string text = row.m_sSubjectText.empty() ? platform::Cp1252ToUtf8(row.m_sSubject) : row.m_sSubjectText;
    QCOMPARE(QString::fromStdString(text), shown);
}

void TestReadableRow::headerBlock()
{
    const std::string block = "From: =?UTF-8?Q?Bj=C3=B6rn?=\r\n <b@x.example>\r\n"
                              "Subject: =?UTF-8?B?w6k=?=\r\n\t=?UTF-8?B?w6k=?=\r\n"
                              "\r\nbody: not a field\r\n";
    QCOMPARE(QString::fromStdString(ReadableHeaderBlock(block)),
             QStringLiteral("From: Bj\u00F6rn <b@x.example>\nSubject: \u00E9\u00E9\n"));
}

QTEST_GUILESS_MAIN(TestReadableRow)
#include "test_readablerow.moc"
