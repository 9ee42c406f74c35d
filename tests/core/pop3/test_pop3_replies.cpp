// The reply parsers: status lines, STAT, the LIST and UIDL listings and
// CAPA, including what a hostile server sends.
#include <QTest>

#include "core/pop3/Pop3Replies.h"

using namespace pop3;

Q_DECLARE_METATYPE(pop3::ReplyError)
Q_DECLARE_METATYPE(pop3::Status)

class TestPop3Replies : public QObject {
    Q_OBJECT
private slots:
    void statusLine_data();
    void statusLine();
    void numberedReply_data();
    void numberedReply();
    void stat_data();
    void stat();
    void scanListing_data();
    void scanListing();
    void uidListing();
    void capabilities_data();
    void capabilities();
};

// RFC 1939 §3 status words, taken in any case: a line that is neither is
// no POP3 reply.
void TestPop3Replies::statusLine_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("+OK") << QByteArray("+OK ready <1.2@host>\r\n1 2") << Status::kOk << QByteArray("ready <1.2@host>");
    QTest::newRow("+ok, nothing after") << QByteArray("+ok") << Status::kOk << QByteArray();
    QTest::newRow("-ERR") << QByteArray("-ERR [IN-USE] locked") << Status::kErr << QByteArray("[IN-USE] locked");
    QTest::newRow("-err glued") << QByteArray("-errno") << Status::kErr << QByteArray();
    QTest::newRow("IMAP") << QByteArray("* OK IMAP4 ready") << Status::kOther << QByteArray("OK IMAP4 ready");
    QTest::newRow("cut short") << QByteArray("+O") << Status::kOther << QByteArray();
}

void TestPop3Replies::statusLine()
{
    QFETCH(QByteArray, reply);
    QFETCH(Status, status);
    QFETCH(QByteArray, text);
    const std::string bytes = reply.toStdString();
    const StatusLine line = ParseStatusLine(bytes);
    QCOMPARE(line.m_status, status);
    QCOMPARE(QByteArray::fromStdString(std::string(line.m_text)), text);
}

// "LIST n" and "UIDL n" answers must name n: one that names another
// message answers another command. The size word must be a size.
void TestPop3Replies::numberedReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<ReplyError>("error");
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<ReplyError>("sizeError");
    QTest::newRow("size") << QByteArray("+OK 3 4200\r\n") << ReplyError::kNone << QByteArray("4200")
                          << ReplyError::kNone;
    QTest::newRow("id, blanks") << QByteArray("+OK\t 3  uid-3 more") << ReplyError::kNone << QByteArray("uid-3")
                                << ReplyError::kMalformed;
    QTest::newRow("another message") << QByteArray("+OK 2 4200") << ReplyError::kMalformed << QByteArray()
                                     << ReplyError::kMalformed;
    QTest::newRow("3 as a prefix") << QByteArray("+OK 33 4200") << ReplyError::kMalformed << QByteArray()
                                   << ReplyError::kMalformed;
    QTest::newRow("no word") << QByteArray("+OK 3") << ReplyError::kMalformed << QByteArray() << ReplyError::kMalformed;
    QTest::newRow("refused") << QByteArray("-ERR no such message") << ReplyError::kNegative << QByteArray()
                             << ReplyError::kMalformed;
    QTest::newRow("size of 2^63") << QByteArray("+OK 3 9223372036854775808") << ReplyError::kNone
                                  << QByteArray("9223372036854775808") << ReplyError::kOutOfRange;
}

void TestPop3Replies::numberedReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(ReplyError, error);
    QFETCH(QByteArray, word);
    QFETCH(ReplyError, sizeError);
    const std::string bytes = reply.toStdString();
    std::string_view got;
    QCOMPARE(ParseNumberedReply(bytes, 3, got), error);
    QCOMPARE(QByteArray::fromStdString(std::string(got)), word);
    uint64_t size = 0;
    QCOMPARE(ParseSize(got, size), sizeError);
    if (sizeError == ReplyError::kNone)
        QCOMPARE(QByteArray::number(quint64(size)), word);
}

void TestPop3Replies::stat_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<ReplyError>("error");
    QTest::addColumn<quint64>("count");
    QTest::addColumn<quint64>("size");
    QTest::newRow("plain") << QByteArray("+OK 2 320") << ReplyError::kNone << quint64(2) << quint64(320);
    QTest::newRow("blanks, text after") << QByteArray("+OK\t3  4 octets\r\n") << ReplyError::kNone << quint64(3)
                                        << quint64(4);
    QTest::newRow("size near 2^63") << QByteArray("+OK 1 9223372036854775807") << ReplyError::kNone << quint64(1)
                                    << quint64(9223372036854775807u);
    QTest::newRow("size 2^63") << QByteArray("+OK 1 9223372036854775808") << ReplyError::kOutOfRange << quint64(0)
                               << quint64(0);
    QTest::newRow("count at the bound") << QByteArray("+OK 1000000 1") << ReplyError::kNone << quint64(1000000)
                                        << quint64(1);
    QTest::newRow("lying count") << QByteArray("+OK 2000000000 1") << ReplyError::kTooMany << quint64(0) << quint64(0);
    QTest::newRow("count past 64 bits") << QByteArray("+OK 99999999999999999999999 1") << ReplyError::kTooMany
                                        << quint64(0) << quint64(0);
    QTest::newRow("lower-case status") << QByteArray("+ok 1 1") << ReplyError::kMalformed << quint64(0) << quint64(0);
    QTest::newRow("no size") << QByteArray("+OK 1") << ReplyError::kMalformed << quint64(0) << quint64(0);
    QTest::newRow("no blank") << QByteArray("+OK1 1") << ReplyError::kMalformed << quint64(0) << quint64(0);
    QTest::newRow("negative") << QByteArray("-ERR locked") << ReplyError::kNegative << quint64(0) << quint64(0);
}

void TestPop3Replies::stat()
{
    QFETCH(QByteArray, reply);
    QFETCH(ReplyError, error);
    StatReply stat;
    QCOMPARE(ParseStat(reply.toStdString(), stat), error);
    if (error == ReplyError::kNone) {
        QFETCH(quint64, count);
        QFETCH(quint64, size);
        QCOMPARE(quint64(stat.m_nCount), count);
        QCOMPARE(quint64(stat.m_nSize), size);
    }
}

void TestPop3Replies::scanListing_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<uint>("maxNumber");
    QTest::addColumn<ReplyError>("error");
    QTest::addColumn<QByteArray>("sizes");  // "n=size" for numbers 1..highest, "-" when not listed
    QTest::newRow("plain") << QByteArray("+OK 2 messages\r\n1 120\r\n2 200") << 2u << ReplyError::kNone
                           << QByteArray("120 200");
    QTest::newRow("deleted one skipped, bare LF")
        << QByteArray("+ok\n1 5\n3 7\n") << 3u << ReplyError::kNone << QByteArray("5 - 7");
    QTest::newRow("4 GiB and more") << QByteArray("+OK\r\n1 4294967296\r\n2 9223372036854775807") << 2u
                                    << ReplyError::kNone << QByteArray("4294967296 9223372036854775807");
    QTest::newRow("odd lines passed over")
        << QByteArray("+OK\r\n1 x\r\n 2  9 extra\r\nfoo\r\n") << 2u << ReplyError::kNone << QByteArray("- 9");
    QTest::newRow("duplicate number") << QByteArray("+OK\r\n1 5\r\n1 6") << 2u << ReplyError::kDuplicate
                                      << QByteArray();
    QTest::newRow("number above the count")
        << QByteArray("+OK\r\n1 5\r\n3 6") << 2u << ReplyError::kOutOfRange << QByteArray();
    QTest::newRow("number above the bound")
        << QByteArray("+OK\r\n1000001 6") << 4000000000u << ReplyError::kOutOfRange << QByteArray();
    QTest::newRow("number past 64 bits") << QByteArray("+OK\r\n123456789012345678901234 6") << 2u
                                         << ReplyError::kOutOfRange << QByteArray();
    QTest::newRow("number 0") << QByteArray("+OK\r\n0 6") << 2u << ReplyError::kOutOfRange << QByteArray();
    QTest::newRow("size of 2^64") << QByteArray("+OK\r\n1 18446744073709551616") << 2u << ReplyError::kOutOfRange
                                  << QByteArray();
    QTest::newRow("negative") << QByteArray("-ERR no") << 2u << ReplyError::kNegative << QByteArray();
}

void TestPop3Replies::scanListing()
{
    QFETCH(QByteArray, reply);
    QFETCH(uint, maxNumber);
    QFETCH(ReplyError, error);
    QFETCH(QByteArray, sizes);
    ScanListing listing;
    QCOMPARE(ParseScanListing(reply.toStdString(), maxNumber, listing), error);
    QByteArrayList shown;
    for (uint32_t n = 1; n <= listing.HighestNumber(); ++n)
        shown << (listing.Has(n) ? QByteArray::number(listing.Size(n)) : QByteArray("-"));
    QCOMPARE(shown.join(' '), sizes);
}

void TestPop3Replies::uidListing()
{
    // An id the RFC does not allow leaves its message listed, without an id.
    const std::string longId(71, 'a');
    UidListing listing;
    QCOMPARE(ParseUidListing("+OK\r\n1 abc\r\n2 " + longId
                                 + "\r\n3 a\x7F"
                                   "b\r\n5 "
                                 + std::string(70, 'z'),
                             5, listing),
             ReplyError::kNone);
    std::string_view id;
    QCOMPARE(listing.Find(1, &id), UidListing::Id::kUsable);
    QCOMPARE(std::string(id), std::string("abc"));
    QCOMPARE(listing.Find(2), UidListing::Id::kUnusable);
    QCOMPARE(listing.Find(3), UidListing::Id::kUnusable);
    QCOMPARE(listing.Find(4), UidListing::Id::kNotListed);
    QCOMPARE(listing.Find(5, &id), UidListing::Id::kUsable);
    QCOMPARE(id.size(), size_t(70));
    QCOMPARE(listing.Find(6), UidListing::Id::kNotListed);
    // An id two messages share names neither of them.
    QCOMPARE(ParseUidListing("+OK\r\n1 x\r\n2 same\r\n3 y\r\n4 same", 5, listing), ReplyError::kNone);
    QCOMPARE(listing.Find(2), UidListing::Id::kAmbiguous);
    QCOMPARE(listing.Find(3), UidListing::Id::kUsable);
    QCOMPARE(listing.Find(4), UidListing::Id::kAmbiguous);
    QVERIFY(listing.IsAmbiguous("same") && !listing.IsAmbiguous("x"));
    QCOMPARE(ParseUidListing("+OK\r\n1 a\r\n1 b", 5, listing), ReplyError::kDuplicate);
    QCOMPARE(listing.HighestNumber(), 0u);
    QCOMPARE(ParseUidListing("+OK\r\n6 a", 5, listing), ReplyError::kOutOfRange);
}

void TestPop3Replies::capabilities_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<ReplyError>("error");
    QTest::addColumn<QByteArray>("names");
    QTest::addColumn<bool>("stls");
    QTest::addColumn<bool>("pipelining");
    QTest::newRow("usual") << QByteArray("+OK\r\nTOP\r\nuidl\r\nStls\r\nSASL PLAIN\r\nPIPELINING") << ReplyError::kNone
                           << QByteArray("TOP UIDL STLS SASL PIPELINING") << true << true;
    QTest::newRow("STLS only as a word") << QByteArray("+OK\r\nSTLSX\r\nX STLS") << ReplyError::kNone
                                         << QByteArray("STLSX X") << false << false;
    QTest::newRow("too many lines") << QByteArray("+OK\r\n" + QByteArray("X\r\n").repeated(101)) << ReplyError::kTooMany
                                    << QByteArray() << false << false;
    QTest::newRow("overlong name dropped") << QByteArray("+OK\r\n" + QByteArray(65, 'A') + "\r\nSTLS")
                                           << ReplyError::kNone << QByteArray("STLS") << true << false;
    QTest::newRow("no CAPA") << QByteArray("-ERR unknown command") << ReplyError::kNegative << QByteArray() << false
                             << false;
}

void TestPop3Replies::capabilities()
{
    QFETCH(QByteArray, reply);
    QFETCH(ReplyError, error);
    QFETCH(QByteArray, names);
    QFETCH(bool, stls);
    QFETCH(bool, pipelining);
    Capabilities capabilities;
    QCOMPARE(ParseCapabilities(reply.toStdString(), capabilities), error);
    QByteArrayList got;
    for (const std::string& name : capabilities.m_aNames)
        got << QByteArray::fromStdString(name);
    QCOMPARE(got.join(' '), names);
    QCOMPARE(capabilities.m_bStls, stls);
    QCOMPARE(capabilities.m_bPipelining, pipelining);
}

QTEST_GUILESS_MAIN(TestPop3Replies)
#include "test_pop3_replies.moc"
