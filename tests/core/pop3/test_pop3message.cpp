// Field look-up on raw header blocks (RFC 5322 §2.2: name, colon, value;
// §2.2.3: folding).
#include <QTest>

#include "core/pop3/Pop3Message.h"

class TestPop3Message : public QObject {
    Q_OBJECT
private slots:
    void findField_data();
    void findField();
    void headerBlock_data();
    void headerBlock();
    void unfilledAndRefilled();
    void nulEndsOnlyItsLine();
    void hugeHeadersAreBounded();
};

void TestPop3Message::findField_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("n");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray two = "Subject: first\r\nX: y\r\nsubject: second\r\n\r\n";
    QTest::newRow("small letters in the text")
        << QByteArray("subject: Hi\r\n\r\n") << QByteArray("Subject") << 0 << QByteArray("Hi");
    QTest::newRow("capitals in the text")
        << QByteArray("SUBJECT: Hi\r\n\r\n") << QByteArray("Subject") << 0 << QByteArray("Hi");
    QTest::newRow("small letters in the name")
        << QByteArray("Subject: Hi\r\n") << QByteArray("subject") << 0 << QByteArray("Hi");
    QTest::newRow("folded over three lines") << QByteArray("Subject: Your\r\n\tinvoice\r\n is ready\r\nFrom: a\r\n\r\n")
                                             << QByteArray("Subject") << 0 << QByteArray("Your invoice is ready");
    QTest::newRow("tab join gives one blank")
        << QByteArray("Subject: Your\r\n\tinvoice\r\n\r\n") << QByteArray("Subject") << 0 << QByteArray("Your invoice");
    QTest::newRow("inner tab becomes blank")
        << QByteArray("Subject: a\tb\r\n") << QByteArray("Subject") << 0 << QByteArray("a b");
    QTest::newRow("blank before colon is not the field")
        << QByteArray("Subject : Hi\r\n\r\n") << QByteArray("Subject") << 0 << QByteArray();
    QTest::newRow("longer name not matched")
        << QByteArray("X-Subject: Hi\r\n") << QByteArray("Subject") << 0 << QByteArray();
    QTest::newRow("prefix name not matched")
        << QByteArray("Subjects: Hi\r\n") << QByteArray("Subject") << 0 << QByteArray();
    QTest::newRow("field only in the body")
        << QByteArray("From: a\r\n\r\nSubject: body\r\n") << QByteArray("Subject") << 0 << QByteArray();
    QTest::newRow("empty value") << QByteArray("Subject:\r\nFrom: a\r\n") << QByteArray("Subject") << 0 << QByteArray();
    QTest::newRow("blank value") << QByteArray("Subject:   \r\nFrom: a\r\n") << QByteArray("Subject") << 0
                                 << QByteArray();
    QTest::newRow("last field without CR LF")
        << QByteArray("From: a\r\nSubject: end") << QByteArray("Subject") << 0 << QByteArray("end");
    QTest::newRow("first line") << QByteArray("Subject: top\r\n") << QByteArray("Subject") << 0 << QByteArray("top");
    QTest::newRow("second occurrence") << two << QByteArray("Subject") << 1 << QByteArray("second");
    QTest::newRow("no third occurrence") << two << QByteArray("Subject") << 2 << QByteArray();
    QTest::newRow("only one, n = 1") << QByteArray("Subject: one\r\n") << QByteArray("Subject") << 1 << QByteArray();
    QTest::newRow("value after colon inside another value")
        << QByteArray("X-Note: see\r\n Subject: fake\r\n") << QByteArray("Subject") << 0 << QByteArray();
    QTest::newRow("trailing CR LF CR LF ends folding")
        << QByteArray("Subject: a\r\n\r\n b") << QByteArray("Subject") << 0 << QByteArray("a");
    QTest::newRow("CR LF at the very end")
        << QByteArray("Subject: a\r\n") << QByteArray("Subject") << 0 << QByteArray("a");
    QTest::newRow("lone CR at the end") << QByteArray("Subject: a\r") << QByteArray("Subject") << 0 << QByteArray("a");
    QTest::newRow("Windows-1252 bytes kept")
        << QByteArray("Subject: L\xF6west \x80\r\n") << QByteArray("Subject") << 0 << QByteArray("L\xF6west \x80");
}

void TestPop3Message::findField()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, name);
    QFETCH(int, n);
    QFETCH(QByteArray, expected);
    CPop3Message message;
    message.SetText(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    QCOMPARE(QByteArray::fromStdString(message.FindField(name.toStdString(), n)), expected);
}

void TestPop3Message::headerBlock_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("with empty line") << QByteArray("A: 1\r\nB: 2\r\n\r\nbody\r\n\r\nmore")
                                     << QByteArray("A: 1\r\nB: 2");
    QTest::newRow("without empty line") << QByteArray("A: 1\r\nB: 2\r\n") << QByteArray("A: 1\r\nB: 2\r\n");
    QTest::newRow("empty text") << QByteArray() << QByteArray();
    QTest::newRow("only the empty line") << QByteArray("\r\n\r\n") << QByteArray();
}

void TestPop3Message::headerBlock()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    CPop3Message message;
    message.SetText(text.toStdString());
    QCOMPARE(QByteArray::fromStdString(message.HeaderBlock()), expected);
}

void TestPop3Message::unfilledAndRefilled()
{
    CPop3Message message;
    QVERIFY(!message.HasText());
    QCOMPARE(message.HeaderBlock(), std::string());
    for (const std::string& field :
         {message.GetFrom(), message.GetSubject(), message.GetDate(), message.GetTo(), message.GetCC()})
        QCOMPARE(field, std::string());

    message.SetText("From: a@b\r\nTo: c@d\r\nCc: e@f\r\nDate: 5 Jan 2005\r\nSubject: s\r\n\r\n");
    QCOMPARE(message.GetFrom(), std::string("a@b"));
    QCOMPARE(message.GetTo(), std::string("c@d"));
    QCOMPARE(message.GetCC(), std::string("e@f"));
    QCOMPARE(message.GetDate(), std::string("5 Jan 2005"));
    QCOMPARE(message.GetSubject(), std::string("s"));

    // Refilling replaces the earlier message completely.
    message.SetText("Subject: t\r\n");
    QCOMPARE(message.GetFrom(), std::string());
    QCOMPARE(message.GetSubject(), std::string("t"));
    message.Clear();
    QVERIFY(!message.HasText());
    QCOMPARE(message.GetSubject(), std::string());
}

void TestPop3Message::nulEndsOnlyItsLine()
{
    CPop3Message message;
    message.SetText(std::string_view("Subject: a\0b\r\nFrom: x\0\r\nTo: y\r\n", 31));
    QCOMPARE(message.Text(), std::string("Subject: a\r\nFrom: x\r\nTo: y\r\n"));
    QCOMPARE(message.GetSubject(), std::string("a"));
    QCOMPARE(message.GetFrom(), std::string("x"));
    QCOMPARE(message.GetTo(), std::string("y"));
}

void TestPop3Message::hugeHeadersAreBounded()
{
    // A folded Subject far over the field limit, in a block over the text limit.
    std::string text = "Subject: " + std::string(CPop3Message::kMaxFieldBytes, 'x') + "\r\n "
        + std::string(CPop3Message::kMaxTextBytes, 'y');
    CPop3Message message;
    message.SetText(text);
    QCOMPARE(message.Text().size(), CPop3Message::kMaxTextBytes);
    const std::string subject = message.GetSubject();
    QCOMPARE(subject.size(), CPop3Message::kMaxFieldBytes);
    QCOMPARE(subject.back(), CPop3Message::kCutMark);
    CPop3Message again;  // a re-read gives the same bytes
    again.SetText(text);
    QCOMPARE(again.GetSubject(), subject);
}

QTEST_GUILESS_MAIN(TestPop3Message)
#include "test_pop3message.moc"
