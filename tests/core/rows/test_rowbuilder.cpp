// Row texts: size, attachment mark, sender split, recipient, date.
#include <QTest>

#include "core/rows/RowBuilder.h"

namespace {

CPop3Message Message(const QByteArray& text)
{
    CPop3Message message;
    message.SetText(text.toStdString());
    return message;
}

QByteArray Q(const std::string& s)
{
    return QByteArray::fromStdString(s);
}

}  // namespace

class TestRowBuilder : public QObject {
    Q_OBJECT
private slots:
    void sizeText_data();
    void sizeText();
    void attachment_data();
    void attachment();
    void from_data();
    void from();
    void to_data();
    void to();
    void date_data();
    void date();
    void dateIgnoresTimeZone();
    void wholeRow();
    void identity_data();
    void identity();
};

void TestRowBuilder::sizeText_data()
{
    QTest::addColumn<quint64>("size");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("0") << quint64{0u} << QByteArray("1K");
    QTest::newRow("999") << quint64{999u} << QByteArray("1K");
    QTest::newRow("1000") << quint64{1000u} << QByteArray("1K");
    QTest::newRow("1999") << quint64{1999u} << QByteArray("1K");
    QTest::newRow("2000") << quint64{2000u} << QByteArray("2K");
    QTest::newRow("2500") << quint64{2500u} << QByteArray("2K");
    QTest::newRow("113000") << quint64{113000u} << QByteArray("113K");
    QTest::newRow("113999") << quint64{113999u} << QByteArray("113K");
    QTest::newRow("4 GiB - 1") << quint64{4294967295u} << QByteArray("4294967K");
    QTest::newRow("4 GiB") << quint64{4294967296u} << QByteArray("4294967K");
    QTest::newRow("2^63 - 1") << quint64{9223372036854775807u} << QByteArray("9223372036854775K");
}

void TestRowBuilder::sizeText()
{
    QFETCH(quint64, size);
    QFETCH(QByteArray, expected);
    QCOMPARE(Q(SizeText(size)), expected);
}

void TestRowBuilder::attachment_data()
{
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("multipart/mixed with boundary")
        << QByteArray("Content-Type: multipart/mixed; boundary=\"xyz\"\r\n") << QByteArray("Y");
    QTest::newRow("mixed folded onto next line")
        << QByteArray("Content-Type: multipart/\r\n Mixed\r\n") << QByteArray("Y");
    QTest::newRow("attachment disposition with file name")
        << QByteArray("Content-Type: application/pdf\r\nContent-Disposition: Attachment; filename=a.pdf\r\n")
        << QByteArray("Y");
    QTest::newRow("inline plain text") << QByteArray("Content-Type: text/plain\r\nContent-Disposition: inline\r\n")
                                       << QByteArray();
    QTest::newRow("alternative") << QByteArray("Content-Type: multipart/alternative\r\n") << QByteArray();
    QTest::newRow("no headers") << QByteArray("Subject: x\r\n") << QByteArray();
    QTest::newRow("mixed only in the body")
        << QByteArray("Subject: x\r\n\r\nContent-Type: multipart/mixed\r\n") << QByteArray();
    QTest::newRow("second Content-Type not looked at")
        << QByteArray("Content-Type: text/plain\r\nContent-Type: multipart/mixed\r\n") << QByteArray();
}

void TestRowBuilder::attachment()
{
    QFETCH(QByteArray, headers);
    QFETCH(QByteArray, expected);
    QCOMPARE(Q(AttachmentMark(Message(headers))), expected);
}

void TestRowBuilder::from_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("email");
    QTest::newRow("name and address") << QByteArray("John Smith <john@example.com>") << QByteArray("John Smith")
                                      << QByteArray("john@example.com");
    QTest::newRow("quoted name with comma") << QByteArray("\"Smith, John\" <john@example.com>")
                                            << QByteArray("Smith, John") << QByteArray("john@example.com");
    QTest::newRow("address in brackets only")
        << QByteArray("<john@example.com>") << QByteArray("john@example.com") << QByteArray("john@example.com");
    QTest::newRow("blanks inside brackets") << QByteArray("A < a@b >") << QByteArray("A") << QByteArray("a@b");
    QTest::newRow("bare address") << QByteArray("john@example.com") << QByteArray("john@example.com")
                                  << QByteArray("john@example.com");
    QTest::newRow("quoted address without brackets")
        << QByteArray("\"john@example.com\"") << QByteArray("\"john@example.com\"")
        << QByteArray("\"john@example.com\"");
    QTest::newRow("> before <") << QByteArray("a> \"Bob\" <b@c") << QByteArray("a> Bob") << QByteArray();
    QTest::newRow("only <") << QByteArray("Bob <b@c") << QByteArray("Bob <b@c") << QByteArray("Bob <b@c");
    QTest::newRow("empty brackets") << QByteArray("<>") << QByteArray() << QByteArray();
    QTest::newRow("quotes only as name") << QByteArray("\"\" <a@b>") << QByteArray("a@b") << QByteArray("a@b");
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("Windows-1252 name") << QByteArray("J\xF6rg <j@x.de>") << QByteArray("J\xF6rg")
                                       << QByteArray("j@x.de");
}

void TestRowBuilder::from()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, email);
    const MessageRow row = BuildMessageRow(1, 0, Message("From: " + from + "\r\n\r\n"));
    QCOMPARE(Q(row.m_sFrom), name);
    QCOMPARE(Q(row.m_sEmail), email);
}

void TestRowBuilder::to_data()
{
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("one bracketed address") << QByteArray("<a@b.c>") << QByteArray("a@b.c");
    QTest::newRow("two bracketed addresses") << QByteArray("<a@b.c>, <d@e.f>") << QByteArray("a@b.c");
    QTest::newRow("display name first") << QByteArray("Ann <a@b.c>") << QByteArray("Ann <a@b.c>");
    QTest::newRow("bracket without close") << QByteArray("<a@b.c") << QByteArray("<a@b.c");
    QTest::newRow("bare address") << QByteArray("a@b.c") << QByteArray("a@b.c");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestRowBuilder::to()
{
    QFETCH(QByteArray, to);
    QFETCH(QByteArray, expected);
    QCOMPARE(Q(BuildMessageRow(1, 0, Message("To: " + to + "\r\n")).m_sTo), expected);
}

void TestRowBuilder::date_data()
{
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("weekday added, day padded")
        << QByteArray("5 Jan 2005 10:00:00 +0000") << QByteArray("Wed, 05 Jan 2005 10:00:00 +0000");
    QTest::newRow("weekday present, day padded")
        << QByteArray("Wed, 5 Jan 2005 10:00:00 +0000") << QByteArray("Wed, 05 Jan 2005 10:00:00 +0000");
    QTest::newRow("two-digit day") << QByteArray("15 Jan 2005 10:00 +0000")
                                   << QByteArray("Sat, 15 Jan 2005 10:00 +0000");
    QTest::newRow("already complete") << QByteArray("Sat, 15 Jan 2005 10:00 +0000")
                                      << QByteArray("Sat, 15 Jan 2005 10:00 +0000");
    QTest::newRow("nothing after the year") << QByteArray("5 Jan 2005") << QByteArray("5 Jan 2005");
    QTest::newRow("slash date") << QByteArray("05/01/2005 10:00") << QByteArray("05/01/2005 10:00");
    QTest::newRow("one slash is no numeric date")
        << QByteArray("5 Jan 2005 10:00 a/b") << QByteArray("Wed, 05 Jan 2005 10:00 a/b");
    QTest::newRow("year below 2000") << QByteArray("5 Jan 1999 10:00") << QByteArray("5 Jan 1999 10:00");
    QTest::newRow("year 2000") << QByteArray("1 Jan 2000 00:00") << QByteArray("Sat, 01 Jan 2000 00:00");
    QTest::newRow("year 3000") << QByteArray("31 Dec 3000 00:00") << QByteArray("Wed, 31 Dec 3000 00:00");
    QTest::newRow("year 3001") << QByteArray("1 Jan 3001 00:00") << QByteArray("1 Jan 3001 00:00");
    QTest::newRow("two-digit year") << QByteArray("5 Jan 05 10:00") << QByteArray("5 Jan 05 10:00");
    QTest::newRow("unknown month") << QByteArray("5 Foo 2005 10:00") << QByteArray("5 Foo 2005 10:00");
    QTest::newRow("long month name") << QByteArray("5 January 2005 10:00") << QByteArray("5 January 2005 10:00");
    QTest::newRow("small-letter month") << QByteArray("5 jan 2005 10:00") << QByteArray("Wed, 05 jan 2005 10:00");
    QTest::newRow("31 Feb is 3 Mar") << QByteArray("31 Feb 2005 10:00") << QByteArray("Thu, 31 Feb 2005 10:00");
    QTest::newRow("31 Apr is 1 May") << QByteArray("31 Apr 2005 10:00") << QByteArray("Sun, 31 Apr 2005 10:00");
    QTest::newRow("leap day") << QByteArray("29 Feb 2004 10:00") << QByteArray("Sun, 29 Feb 2004 10:00");
    QTest::newRow("day 0") << QByteArray("0 Jan 2005 10:00") << QByteArray("0 Jan 2005 10:00");
    QTest::newRow("day 32") << QByteArray("32 Jan 2005 10:00") << QByteArray("32 Jan 2005 10:00");
    QTest::newRow("huge day") << QByteArray("99999999999999999999 Jan 2005 10:00")
                              << QByteArray("99999999999999999999 Jan 2005 10:00");
    QTest::newRow("two blanks before year") << QByteArray("5 Jan  2005 10:00") << QByteArray("5 Jan  2005 10:00");
    QTest::newRow("no blank after comma") << QByteArray("Wed,5 Jan 2005") << QByteArray("Wed, 05 Jan 2005");
    QTest::newRow("comma at the end") << QByteArray("Wed,") << QByteArray("Wed,");
    QTest::newRow("one character after comma") << QByteArray("Wed,5") << QByteArray("Wed,5");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestRowBuilder::date()
{
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, expected);
    QCOMPARE(Q(BuildMessageRow(1, 0, Message("Date: " + date + "\r\n\r\n")).m_sDate), expected);
}

void TestRowBuilder::dateIgnoresTimeZone()
{
    // The weekday of a calendar date is the same in every zone, including
    // those whose clocks skip midnight for daylight saving.
    const QByteArray saved = qgetenv("TZ");
    for (const char* zone : {"UTC", "America/Sao_Paulo", "Pacific/Kiritimati", "Asia/Tehran"}) {
        qputenv("TZ", zone);
        tzset();
        std::string date = "5 Jan 2005 10:00";
        AddWeekday(date);
        QCOMPARE(date, std::string("Wed, 5 Jan 2005 10:00"));
        date = "16 Oct 2005 00:00";  // a day that began at 01:00 in Sao Paulo
        AddWeekday(date);
        QCOMPARE(date, std::string("Sun, 16 Oct 2005 00:00"));
    }
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    tzset();
}

void TestRowBuilder::wholeRow()
{
    const CPop3Message message = Message("Return-Path: <x@y>\r\n"
                                         "From: \"Ann\" <ann@example.com>\r\n"
                                         "To: <bob@example.com>\r\n"
                                         "CC: carl@example.com, dora@example.com\r\n"
                                         "Subject: Quarterly\r\n\tfigures\r\n"
                                         "Date: 5 Jan 2005 10:00:00 +0000\r\n"
                                         "Content-Type: multipart/mixed; boundary=b\r\n"
                                         "\r\n");
    MessageRow expected;
    expected.m_sNum = "12";
    expected.m_sSize = "113K";
    expected.m_sAtt = "Y";
    expected.m_sSubject = "Quarterly figures";
    expected.m_sFrom = "Ann";
    expected.m_sEmail = "ann@example.com";
    expected.m_sDate = "Wed, 05 Jan 2005 10:00:00 +0000";
    expected.m_sTo = "bob@example.com";
    expected.m_sCC = "carl@example.com, dora@example.com";
    expected.m_nSize = 113999;
    QVERIFY(BuildMessageRow(12, 113999, message) == expected);

    // A message that TOP never filled gives a row of empty fields.
    const MessageRow empty = BuildMessageRow(1, 0, CPop3Message());
    QCOMPARE(empty.m_sNum, std::string("1"));
    QCOMPARE(empty.m_sSize, std::string("1K"));
    QVERIFY(empty.m_sAtt.empty() && empty.m_sSubject.empty() && empty.m_sFrom.empty() && empty.m_sEmail.empty()
            && empty.m_sDate.empty() && empty.m_sTo.empty() && empty.m_sCC.empty());
}

// Two header blocks are the same message to the purge exactly when their
// From, Date and Message-ID fields are.
void TestRowBuilder::identity_data()
{
    QTest::addColumn<QByteArray>("one");
    QTest::addColumn<QByteArray>("other");
    QTest::addColumn<bool>("same");
    QTest::newRow("absent and empty Message-ID differ")
        << QByteArray("From: a\r\nDate: d\r\n") << QByteArray("From: a\r\nDate: d\r\nMessage-ID:\r\n") << false;
    QTest::newRow("a byte moved from one field to the next differs")
        << QByteArray("From: ab\r\nDate: c\r\n") << QByteArray("From: a\r\nDate: bc\r\n") << false;
    QTest::newRow("another sender differs")
        << QByteArray("From: boss@corp\r\nSubject: x\r\n") << QByteArray("From: spam@junk\r\nSubject: x\r\n") << false;
    QTest::newRow("other fields, order and case do not count")
        << QByteArray("Subject: x\r\nfrom: a\r\nMessage-ID: <m>\r\n")
        << QByteArray("Message-Id: <m>\r\nReceived: y\r\nFROM: a\r\n\r\n") << true;
}

void TestRowBuilder::identity()
{
    QFETCH(QByteArray, one);
    QFETCH(QByteArray, other);
    QFETCH(bool, same);
    const std::string identity = MessageIdentity(Message(one));
    QCOMPARE(identity.size(), kIdentityBytes);
    QCOMPARE(identity == MessageIdentity(Message(other)), same);
}

QTEST_GUILESS_MAIN(TestRowBuilder)
#include "test_rowbuilder.moc"
