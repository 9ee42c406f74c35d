#pragma once

#include <QDialog>

class CStaticLink;

// "About Mavix": name, version, what the program does, the legal notice and
// the project's mail and web links. The two visited flags belong to the
// application, so a link opened once shows as visited for the rest of the run.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(int* pbMailLinkVisited, int* pbWebLinkVisited, QWidget* parent = nullptr);

    // "A 64 bit application" or "A 32 bit application", as built.
    static QString BuildText();

    CStaticLink* MailLink() const { return m_pMailLink; }
    CStaticLink* WebLink() const { return m_pWebLink; }

private:
    CStaticLink* m_pMailLink;
    CStaticLink* m_pWebLink;
};
