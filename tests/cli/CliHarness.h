#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// Runs the built mavix-cli the way a user's shell would.
struct CliRun {
    int m_nExit = -1;
    bool m_bFinished = false;
    std::string m_sOut, m_sErr;
};

inline QString CliBinary()
{
    return qEnvironmentVariable("MAVIX_BINARY_DIR") + "/cli/mavix-cli";
}

inline void PrepareCli(QProcess& process, const QString& workDir, const QStringList& env)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("MAVIX_PASSWORD");
    // The texts compared are the English ones, whatever the desktop's language.
    environment.insert("LANGUAGE", "en");
    for (const QString& pair : env) {
        const qsizetype eq = pair.indexOf('=');
        environment.insert(pair.left(eq), pair.mid(eq + 1));
    }
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workDir);
}

inline CliRun RunCli(const QStringList& args, const QString& workDir, const QStringList& env = {}, int ms = 60000)
{
    QProcess process;
    PrepareCli(process, workDir, env);
    process.start(CliBinary(), args);
    CliRun run;
    if (!process.waitForStarted(10000))
        return run;
    run.m_bFinished = process.waitForFinished(ms);
    run.m_nExit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.m_sOut = process.readAllStandardOutput().toStdString();
    run.m_sErr = process.readAllStandardError().toStdString();
    return run;
}

inline std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}
