#pragma once

#include <QDir>
#include <QTemporaryDir>

// A temporary folder a test runs in: the engine writes its dump file, and
// the tests their files, to the working directory. The former working
// directory comes back when the folder goes away.
class ScratchDirectory : public QTemporaryDir {
public:
    ScratchDirectory() = default;
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory()
    {
        if (!m_sFormer.isEmpty())
            QDir::setCurrent(m_sFormer);
    }

    // Makes this folder the working directory.
    bool Enter()
    {
        if (!isValid())
            return false;
        if (m_sFormer.isEmpty())
            m_sFormer = QDir::currentPath();
        return QDir::setCurrent(path());
    }

private:
    QString m_sFormer;
};
