#pragma once

#include <QWidget>

class QTextBrowser;
class QUrl;

// The user manual in a window of its own beside the main window. The manual
// is HTML built into the program, so help works without any installed file.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // The manual's start page.
    static QUrl HomeUrl();
    QTextBrowser* Browser() const { return m_pBrowser; }

private:
    QTextBrowser* m_pBrowser;
};

// Shows the manual at its start; a help window already open is raised
// instead of opening a second one.
void ShowHelp(QWidget* parent);
