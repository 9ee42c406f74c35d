// What server texts look like on a terminal: no control character gets
// through, in the table or in TSV.
#include <QTest>

#include "cli/RowFormat.h"

class TestRowFormat : public QObject {
    Q_OBJECT
private slots:
    void terminalText_data();
    void terminalText();
    void directionControls_data();
    void directionControls();
    void displayWidth_data();
    void displayWidth();
    void tableAlignsWideText();
};

void TestRowFormat::terminalText_data()
{
    QTest::addColumn<QByteArray>("cp1252");
    QTest::addColumn<QByteArray>("tsv");
    QTest::addColumn<QByteArray>("readable");
    QTest::newRow("CSI colour") << QByteArray("\x1B[31mred") << QByteArray("\\x1B[31mred") << QByteArray(" [31mred");
    QTest::newRow("OSC 0 title") << QByteArray("\x1B]0;pwned\x07") << QByteArray("\\x1B]0;pwned\\x07")
                                 << QByteArray(" ]0;pwned ");
    QTest::newRow("OSC 52 clipboard") << QByteArray("\x1B]52;c;ZXZpbA==\x1B\\")
                                      << QByteArray("\\x1B]52;c;ZXZpbA==\\x1B\\\\") << QByteArray(" ]52;c;ZXZpbA== \\");
    QTest::newRow("C1 controls (undefined bytes)")
        << QByteArray("a\x9D"
                      "b\x81\x8D\x8F\x90")
        << QByteArray("a\\x9Db\\x81\\x8D\\x8F\\x90") << QByteArray("a b    ");
    QTest::newRow("printable 0x80-0x9F stay")
        << QByteArray("\x80 \x93x\x94 \x85") << QByteArray("\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\xA6")
        << QByteArray("\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\xA6");
    QTest::newRow("TSV escapes") << QByteArray("a\tb\rc\nd\\e") << QByteArray("a\\tb\\rc\\nd\\\\e")
                                 << QByteArray("a b c d\\e");
    QTest::newRow("NUL, BEL, DEL") << QByteArray("\0\x07\x7F", 3) << QByteArray("\\x00\\x07\\x7F") << QByteArray("   ");
    QTest::newRow("Latin-1 letters") << QByteArray("L\xF6we \xC2") << QByteArray("L\xC3\xB6we \xC3\x82")
                                     << QByteArray("L\xC3\xB6we \xC3\x82");
}

void TestRowFormat::terminalText()
{
    QFETCH(QByteArray, cp1252);
    QFETCH(QByteArray, tsv);
    QFETCH(QByteArray, readable);
    const std::string text = cp1252.toStdString();
    QCOMPARE(QByteArray::fromStdString(TerminalText(text, TerminalStyle::kTsv)), tsv);
    QCOMPARE(QByteArray::fromStdString(TerminalText(text, TerminalStyle::kReadable)), readable);
    // The rows go through the same function.
    MessageRow row;
    row.m_sSubject = text;
    const std::string line = TsvRow(row, false);
    QVERIFY(line.find(tsv.toStdString()) != std::string::npos);
}

void TestRowFormat::directionControls_data()
{
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<QByteArray>("tsv");
    QTest::addColumn<QByteArray>("readable");
    QTest::newRow("override") << QStringLiteral("Invoice \u202Efdp.exe") << QByteArray("Invoice \\u202Efdp.exe")
                              << QByteArray("Invoice <U+202E>fdp.exe");
    QTest::newRow("embeddings and isolates")
        << QStringLiteral("\u202Aa\u202Bb\u202Cc\u202Dd\u2066e\u2067f\u2068g\u2069")
        << QByteArray("\\u202Aa\\u202Bb\\u202Cc\\u202Dd\\u2066e\\u2067f\\u2068g\\u2069")
        << QByteArray("<U+202A>a<U+202B>b<U+202C>c<U+202D>d<U+2066>e<U+2067>f<U+2068>g<U+2069>");
    QTest::newRow("marks") << QStringLiteral("\u05D0\u200F \u200E \u061C")
                           << QByteArray("\xD7\x90\\u200F \\u200E \\u061C")
                           << QByteArray("\xD7\x90<U+200F> <U+200E> <U+061C>");
    // Their neighbours are ordinary characters: joiner, per mille, U+2065, superscript 0.
    QTest::newRow("neighbours stay") << QStringLiteral("\u200D\u2030\u2065\u2070")
                                     << QByteArray("\xE2\x80\x8D\xE2\x80\xB0\xE2\x81\xA5\xE2\x81\xB0")
                                     << QByteArray("\xE2\x80\x8D\xE2\x80\xB0\xE2\x81\xA5\xE2\x81\xB0");
}

// Format characters that reorder or hide text reach no terminal as they
// are: a Subject cannot make "exe" read as "pdf".
void TestRowFormat::directionControls()
{
    QFETCH(QString, decoded);
    QFETCH(QByteArray, tsv);
    QFETCH(QByteArray, readable);
    MessageRow row;
    row.m_sSubject = "=?UTF-8?B?...?=";
    row.m_sSubjectText = decoded.toStdString();
    QCOMPARE(QByteArray::fromStdString(ShownTexts(row, false)[3]), readable);
    QCOMPARE(QByteArray::fromStdString(TsvRow(row, false)).split('\t').value(3), tsv);
}

void TestRowFormat::displayWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");     // the cell's columns
    QTest::addColumn<QString>("cell");  // what it holds, padded
    QTest::newRow("ASCII fits") << QStringLiteral("Hello") << 7 << QStringLiteral("Hello  ");
    QTest::newRow("ASCII cut") << QStringLiteral("Hello world") << 6 << QStringLiteral("Hello\u2026");
    QTest::newRow("CJK takes two each") << QStringLiteral("\u4F1A\u8BAE") << 6 << QStringLiteral("\u4F1A\u8BAE  ");
    QTest::newRow("CJK cut at a character")
        << QStringLiteral("\u4F1A\u8BAE\u901A\u77E5") << 6 << QStringLiteral("\u4F1A\u8BAE\u2026 ");
    QTest::newRow("CJK never halved") << QStringLiteral("\u4F1A\u8BAE\u901A\u77E5") << 5
                                      << QStringLiteral("\u4F1A\u8BAE\u2026");
    QTest::newRow("full-width Latin") << QStringLiteral("\uFF21\uFF22") << 5 << QStringLiteral("\uFF21\uFF22 ");
    QTest::newRow("Hangul syllables") << QStringLiteral("\uD68C\uC758") << 4 << QStringLiteral("\uD68C\uC758");
    QTest::newRow("emoji") << QStringLiteral("\U0001F389 ok") << 6 << QStringLiteral("\U0001F389 ok ");
    QTest::newRow("combining accent") << QStringLiteral("Cafe\u0301!") << 6 << QStringLiteral("Cafe\u0301! ");
    QTest::newRow("zero-width joiner") << QStringLiteral("a\u200Db") << 3 << QStringLiteral("a\u200Db ");
    QTest::newRow("half-width katakana") << QStringLiteral("\uFF76\uFF85") << 3 << QStringLiteral("\uFF76\uFF85 ");
}

void TestRowFormat::displayWidth()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, cell);
    const std::string shown = TableCell(text.toStdString(), width);
    QCOMPARE(QString::fromStdString(shown), cell);
    QCOMPARE(DisplayWidth(shown), width);
}

// Rows with Chinese, Japanese, Korean and Latin Subjects: every column
// starts in the same terminal column.
void TestRowFormat::tableAlignsWideText()
{
    const CTableLayout layout(100, 9);
    const char* subjects[] = {"Quarterly report", "\xE4\xBC\x9A\xE8\xAE\xAE\xE9\x80\x9A\xE7\x9F\xA5",
                              "\xE3\x81\x8A\xE7\x9F\xA5\xE3\x82\x89\xE3\x81\x9B",
                              "\xED\x9A\x8C\xEC\x9D\x98 \xEC\x95\x88\xEB\x82\xB4",
                              "\xE4\xBC\x9A\xE8\xAE\xAE\xE9\x80\x9A\xE7\x9F\xA5 very long subject that the "
                              "column cuts somewhere \xE4\xBC\x9A\xE8\xAE\xAE\xE9\x80\x9A\xE7\x9F\xA5"};
    int nFromColumn = -1;
    for (const char* subject : subjects) {
        MessageRow row;
        row.m_sNum = "1";
        row.m_sSize = "2K";
        row.m_sSubject = "=?UTF-8?Q?x?=";
        row.m_sSubjectText = subject;
        row.m_sFrom = "Ann";
        const std::string line = layout.Row(row, false);
        const size_t at = line.find("Ann");
        QVERIFY(at != std::string::npos);
        const int column = DisplayWidth(line.substr(0, at));
        if (nFromColumn < 0)
            nFromColumn = column;
        QCOMPARE(column, nFromColumn);
    }
    QCOMPARE(DisplayWidth(layout.Header().substr(0, layout.Header().find("From"))), nFromColumn);
}

QTEST_GUILESS_MAIN(TestRowFormat)
#include "test_rowformat.moc"
