// Replays every input the fuzzers ever crashed on, and the seed corpus,
// through the same entry points, so that a fixed crash stays fixed.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

#include "tests/fuzz/FuzzEntries.h"

class TestFuzzRegressions : public QObject {
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
};

void TestFuzzRegressions::replay_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");
    const QString root = QStringLiteral(MAVIX_FUZZ_REGRESSIONS);
    int count = 0;
    for (const QString& kind : {QStringLiteral("regressions"), QStringLiteral("corpus")}) {
        for (const QString& target :
             {QStringLiteral("fuzz_header_row"), QStringLiteral("fuzz_defaults"), QStringLiteral("fuzz_ini_import"),
              QStringLiteral("fuzz_pop3_replies"), QStringLiteral("fuzz_pop3_status"),
              QStringLiteral("fuzz_header_decode"), QStringLiteral("fuzz_session"), QStringLiteral("fuzz_autoconfig"),
              QStringLiteral("fuzz_oauth"), QStringLiteral("fuzz_sasl_texts"), QStringLiteral("fuzz_auth_results"),
              QStringLiteral("fuzz_preview"), QStringLiteral("fuzz_header_cache")}) {
            QDirIterator it(root + "/../" + kind + "/" + target, QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                QTest::newRow(qPrintable(kind + "/" + target + "/" + it.fileName())) << target << path;
                ++count;
            }
        }
    }
    // The seeds at least are always there.
    QVERIFY(count > 0);
}

void TestFuzzRegressions::replay()
{
    QFETCH(QString, target);
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const auto size = static_cast<size_t>(bytes.size());
    if (target == "fuzz_header_row")
        FuzzHeaderRow(data, size);
    else if (target == "fuzz_header_decode")
        FuzzHeaderDecode(data, size);
    else if (target == "fuzz_defaults")
        FuzzDefaultsFile(data, size);
    else if (target == "fuzz_pop3_replies")
        FuzzPop3Replies(data, size);
    else if (target == "fuzz_pop3_status")
        FuzzPop3Status(data, size);
    else if (target == "fuzz_session")
        FuzzSession(data, size);
    else if (target == "fuzz_autoconfig")
        FuzzAutoconfig(data, size);
    else if (target == "fuzz_oauth")
        FuzzOAuthReplies(data, size);
    else if (target == "fuzz_sasl_texts")
        FuzzSaslTexts(data, size);
    else if (target == "fuzz_auth_results")
        FuzzAuthResults(data, size);
    else if (target == "fuzz_preview")
        FuzzPreview(data, size);
    else if (target == "fuzz_header_cache")
        FuzzHeaderCache(data, size);
    else
        FuzzIniImport(data, size);
}

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "test_fuzz_regressions.moc"
