// The preview of a message's start: real-world shapes, one table.
#include <QTest>

#include "core/preview/MessagePreview.h"
#include "tests/core/preview/PreviewSamples.h"

using preview::MessagePreview;

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void shapes_data();
    void shapes();
    void disguisedNames_data();
    void disguisedNames();
};

void TestPreview::shapes_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("contains");     // in the text, or "!" then what must not be
    QTest::addColumn<QString>("attachments");  // "name|type|partial|disguised;" ...
    QTest::addColumn<bool>("notShown");
    using namespace preview_samples;
    QTest::newRow("alternative: QP windows-1252 chosen over base64 HTML")
        << QByteArray::fromStdString(Alternative()) << false
        << QStringLiteral("Caf\u00E9 bill: 12 \u20AC, due soon.Still the same line.") << QString() << false;
    QTest::newRow("HTML only: link target shown, image never loaded")
        << QByteArray::fromStdString(HtmlOnly("http://127.0.0.1:9/x.png")) << false
        << QStringLiteral(
               "Dear\u00A0customer & friend,\n\nLog in at PayPal [https://evil.example/login]\n[image: logo]")
        << QString() << false;
    QTest::newRow("cut inside a base64 attachment")
        << QByteArray::fromStdString(CutInBase64()) << true << QStringLiteral("See the scan.")
        << QStringLiteral("scan.pdf|application/pdf|1|0;") << false;
    QTest::newRow("RFC 2231 name, double extension")
        << QByteArray::fromStdString(DoubleExtension()) << false << QStringLiteral("Anbei die Rechnung.")
        << QStringLiteral("Rechnung M\u00E4rz.pdf.exe|application/octet-stream|0|1;") << false;
    QTest::newRow("20 levels of multipart: the bound shows, the rest is not shown")
        << QByteArray::fromStdString(Nested(20)) << false << QStringLiteral("!deepest") << QString() << true;
    QTest::newRow("not MIME at all") << QByteArray("no header\r\n\x1b[2Jtext\r\n") << false
                                     << QStringLiteral(" [2Jtext") << QString() << false;
}

void TestPreview::shapes()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, cut);
    QFETCH(QString, contains);
    QFETCH(QString, attachments);
    QFETCH(bool, notShown);
    const MessagePreview preview = preview::BuildPreview(message.toStdString(), cut);
    const QString text = QString::fromStdString(preview.m_sText);
    if (contains.startsWith('!'))
        QVERIFY2(!text.contains(contains.mid(1)), qPrintable(text));
    else
        QVERIFY2(text.contains(contains), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("alert")) && !text.contains(QLatin1String("color:")), qPrintable(text));
    QString shown;
    for (const preview::Attachment& a : preview.m_aAttachments)
        shown += QString::fromStdString(a.m_sName + "|" + a.m_sType + "|") + QString::number(a.m_bPartial) + "|"
            + QString::number(a.m_bDisguised) + ";";
    QCOMPARE(shown, attachments);
    QCOMPARE(preview.m_bNotShown, notShown);
    QCOMPARE(preview.m_bCut, cut);
    for (const preview::Attachment& a : preview.m_aAttachments)
        QVERIFY(a.m_nBytes > 0);
}

void TestPreview::disguisedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("disguised");
    QTest::newRow("plain document") << QStringLiteral("invoice.pdf") << false;
    QTest::newRow("double extension") << QStringLiteral("invoice.pdf.exe") << true;
    QTest::newRow("blanks before the last dot") << QStringLiteral("photo.JPG      .scr") << true;
    QTest::newRow("version number") << QStringLiteral("setup-1.2.exe") << false;
    QTest::newRow("direction control") << QStringLiteral("report\u202Efdp.exe") << true;
}

void TestPreview::disguisedNames()
{
    QFETCH(QString, name);
    QFETCH(bool, disguised);
    QCOMPARE(preview::HidesExecutable(name.toStdString()), disguised);
}

QTEST_APPLESS_MAIN(TestPreview)
#include "test_preview.moc"
