#include "core/platform/HeaderDecode.h"

#include <QtTest>

#include <string>

// Header texts as a mail program shows them: RFC 2047's own examples (§8),
// then the broken mail that real mailboxes hold.
class TestHeaderDecode : public QObject {
    Q_OBJECT

private slots:
    void decodes_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("shown");

        const auto row = [](const char* name, const char* raw, const QString& shown) {
            QTest::newRow(name) << QByteArray(raw) << shown;
        };
        // RFC 2047 §8.
        row("rfc-from", "=?US-ASCII?Q?Keith_Moore?= <moore@cs.utk.edu>",
            QStringLiteral("Keith Moore <moore@cs.utk.edu>"));
        row("rfc-to", "=?ISO-8859-1?Q?Keld_J=F8rn_Simonsen?= <keld@dkuug.dk>",
            QStringLiteral("Keld J\u00F8rn Simonsen <keld@dkuug.dk>"));
        row("rfc-cc", "=?ISO-8859-1?Q?Andr=E9?= Pirard <PIRARD@vm1.ulg.ac.be>",
            QStringLiteral("Andr\u00E9 Pirard <PIRARD@vm1.ulg.ac.be>"));
        row("rfc-subject-b",
            "=?ISO-8859-1?B?SWYgeW91IGNhbiByZWFkIHRoaXMgeW8=?= "
            "=?ISO-8859-2?B?dSB1bmRlcnN0YW5kIHRoZSBleGFtcGxlLg==?=",
            QStringLiteral("If you can read this you understand the example."));
        row("rfc-one", "(=?ISO-8859-1?Q?a?=)", QStringLiteral("(a)"));
        row("rfc-word-text", "(=?ISO-8859-1?Q?a?= b)", QStringLiteral("(a b)"));
        row("rfc-adjacent", "(=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=)", QStringLiteral("(ab)"));
        row("rfc-adjacent-folded", "(=?ISO-8859-1?Q?a?=\r\n    =?ISO-8859-1?Q?b?=)", QStringLiteral("(ab)"));
        row("rfc-underscore", "(=?ISO-8859-1?Q?a_b?=)", QStringLiteral("(a b)"));
        row("rfc-encoded-blank", "(=?ISO-8859-1?Q?a?= =?ISO-8859-2?Q?_b?=)", QStringLiteral("(a b)"));
        // Everyday mail.
        row("utf8-b", "=?UTF-8?B?UsOpdW5pb24gZGUgZmFtaWxsZSDDoCBOb8OrbA==?=",
            QStringLiteral("R\u00E9union de famille \u00E0 No\u00EBl"));
        row("lower-case-q", "=?utf-8?q?caf=C3=A9?=", QStringLiteral("caf\u00E9"));
        row("split-character", "=?UTF-8?B?w6k=?= =?UTF-8?B?4oKs?= =?UTF-8?Q?=E2=82?= =?UTF-8?Q?=AC?=",
            QStringLiteral("\u00E9\u20AC\u20AC"));
        row("language-suffix", "=?UTF-8*fr?Q?=C3=A9t=C3=A9?=", QStringLiteral("\u00E9t\u00E9"));
        row("iso-2022-jp", "=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", QStringLiteral("\u65E5\u672C\u8A9E"));
        row("koi8-r", "=?KOI8-R?B?8NLJ18XU?=", QStringLiteral("\u041F\u0440\u0438\u0432\u0435\u0442"));
        row("no-padding", "=?UTF-8?B?w6k?=", QStringLiteral("\u00E9"));
        row("text-around", "Re: =?UTF-8?Q?d=C3=A9j=C3=A0?= vu", QStringLiteral("Re: d\u00E9j\u00E0 vu"));
        // Left as they stand.
        row("unknown-charset",
            "=?X-NO-SUCH-SET?Q?abc?= =?UTF-8?Q?=C3=A9?=", QStringLiteral("=?X-NO-SUCH-SET?Q?abc?= \u00E9"));
        row("unknown-encoding", "=?UTF-8?X?abc?=", QStringLiteral("=?UTF-8?X?abc?="));
        row("bad-base64", "=?UTF-8?B?w6*=?=", QStringLiteral("=?UTF-8?B?w6*=?="));
        row("bad-q-escape", "=?UTF-8?Q?a=G1?=", QStringLiteral("=?UTF-8?Q?a=G1?="));
        row("unterminated", "=?UTF-8?Q?abc", QStringLiteral("=?UTF-8?Q?abc"));
        row("blank-inside", "=?UTF-8?Q?a b?=", QStringLiteral("=?UTF-8?Q?a b?="));
        row("blank-kept-after-bad", "=?UTF-8?Q?a?= =?UTF-8?Q?=ZZ?=", QStringLiteral("a =?UTF-8?Q?=ZZ?="));
        row("invalid-in-charset", "=?UTF-8?Q?a=FFb?=", QStringLiteral("a\uFFFDb"));
        // Unencoded bytes.
        row("raw-utf8",
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE6\x97\xA5\xE6\x9C\xAC",
            QStringLiteral("Gr\u00FC\u00DFe \u65E5\u672C"));
        row("windows-1252", "Caf\xE9 \x80 5", QStringLiteral("Caf\u00E9 \u20AC 5"));
        row("cp1252-with-word", "Caf\xE9 =?UTF-8?Q?=C3=A9?=", QStringLiteral("Caf\u00E9 \u00E9"));
        row("controls-blanked", "a=?UTF-8?Q?=1B[2J=0D=0A?=b", QStringLiteral("a [2J  b"));
    }

    void decodes()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, shown);
        const std::string text = platform::DecodeHeaderText(std::string_view(raw.constData(), raw.size()));
        QVERIFY(platform::IsValidUtf8(text));
        QCOMPARE(QString::fromStdString(text), shown);
    }

    // A sender controls the length and the number of words: both are capped.
    void outputAndWorkAreBounded()
    {
        std::string many;
        for (int i = 0; i < 5000; ++i)
            many += "=?UTF-16?B?2D3eAA==?= ";  // one emoji each
        const std::string text = platform::DecodeHeaderText(many);
        QVERIFY(text.size() <= platform::kMaxDecodedText);
        QVERIFY(platform::IsValidUtf8(text));
        QVERIFY(text.find("=?UTF-16?B?") != std::string::npos);  // words past the cap stay
        const std::string longRaw(100000, '\xE9');
        QCOMPARE(platform::DecodeHeaderText(longRaw).size(), platform::kMaxDecodedText);
    }
};

QTEST_GUILESS_MAIN(TestHeaderDecode)
#include "test_headerdecode.moc"
