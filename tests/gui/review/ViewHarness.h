#pragma once

// Builds the real main window with its screening view on the offscreen
// platform, records every message box, answers every modal dialog, and
// drives the form through its widgets.

#include "gui/app/AccountEditing.h"
#include "gui/app/MainFrame.h"
#include "tests/support/ScriptedPop3Server.h"
#include "gui/review/MavixView.h"
#include "gui/review/MessageGridModel.h"
#include "core/storage/SettingsStore.h"
#include "gui/widgets/Prompter.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>

// Every test of a suite shares one settings file; each starts from none.
inline void RemoveSettingsFile()
{
    SettingsStore store;
    store.Open();
    QFile::remove(QString::fromStdString(store.FilePath()));
    // And what earlier runs left in the state and cache folders (remembered
    // choices, the journal, the header cache): a port used again would bring
    // their choices back, or spare a scan the TOP commands a test counts.
    for (const char* folder : {"XDG_STATE_HOME", "XDG_CACHE_HOME"}) {
        const QString base = qEnvironmentVariable(folder);
        if (!base.isEmpty())
            QDir(base + QStringLiteral("/Mavix")).removeRecursively();
    }
}

class ViewHarness {
public:
    ViewHarness()
    {
        m_settings.Open();
        Prompter::SetMessageBoxHook([this](QWidget*, const QString& text) { m_asBoxes << text; });
        Prompter::SetModalHook([this](QDialog& dialog) {
            m_asDialogs << QString::fromLatin1(dialog.metaObject()->className());
            return m_fnModal ? m_fnModal(dialog) : int(QDialog::Rejected);
        });
        // The question before a purge: recorded, and answered "Delete"
        // unless a test says otherwise.
        Prompter::SetConfirmHook([this](QWidget*, const Prompter::Confirmation& question) {
            m_asQuestions << question.m_sQuestion + QLatin1Char('\n') + question.m_sDetails;
            return m_confirmAnswer;
        });
    }
    ~ViewHarness()
    {
        m_pFrame.reset();
        m_pServer.reset();
        Prompter::SetMessageBoxHook({});
        Prompter::SetModalHook({});
        Prompter::SetConfirmHook({});
    }
    ViewHarness(const ViewHarness&) = delete;
    ViewHarness& operator=(const ViewHarness&) = delete;

    // A scripted mailbox for user "u" with password "p", started, as the
    // account; it lives as long as the harness.
    ScriptedPop3Server& Serve(std::vector<std::string> mail, ScriptedPop3Server::Override override = {})
    {
        m_pServer = std::make_unique<ScriptedPop3Server>();
        m_pServer->ServeMailbox(std::move(mail), "u", "p", std::move(override));
        m_pServer->Start();
        SetAccount(m_pServer->Port());
        return *m_pServer;
    }

    void SetAccount(uint16_t port, const std::string& user = "u", const std::string& pass = "p")
    {
        m_settings.WriteString("Acct", "Server", "127.0.0.1");
        m_settings.WriteString("Acct", "Port", std::to_string(port));
        m_settings.WriteString("Acct", "User", user);
        m_settings.WriteString("Acct", "Pass", pass);
    }

    // One more account, in its own section ("Acct2", ...), on the loopback.
    void AddAccount(const std::string& section, uint16_t port, const std::string& user, const std::string& pass,
                    const std::string& name = {})
    {
        m_settings.WriteString(section, "Server", "127.0.0.1");
        m_settings.WriteString(section, "Port", std::to_string(port));
        m_settings.WriteString(section, "User", user);
        m_settings.WriteString(section, "Pass", pass);
        if (!name.empty())
            m_settings.WriteString(section, "Name", name);
    }

    // The start-up order of the program: frame (placement), view, initial
    // update, show. The start-up action follows 200 ms later.
    CMavixView* Build()
    {
        m_pFrame = std::make_unique<CMainFrame>(m_settings);
        m_pView = m_pFrame->CreateView();
        m_pView->SetKeepAlivePeriod(m_nKeepAliveMs);
        m_pView->OnInitialUpdate();
        m_pFrame->show();
        if (!QTest::qWaitForWindowExposed(m_pFrame.get()))
            return nullptr;
        return m_pView;
    }

    QPushButton* Button(const char* name) const { return m_pView->findChild<QPushButton*>(QLatin1String(name)); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    // Presses "Show Mavix" and waits for the review the scan leaves.
    bool ScanToReview()
    {
        Click("showStop");
        return QTest::qWaitFor([this] { return m_pView->IsReviewing(); }, 5000);
    }
    MessageGridModel& Model() const { return m_pView->Model(); }
    QString Pane(int n) const { return m_pFrame->StatusPaneText(n); }
    bool ReviewButtonsVisible() const
    {
        return Button("checkAll")->isVisible() && Button("uncheckAll")->isVisible() && Button("cancel")->isVisible()
            && Button("removeChecked")->isVisible();
    }
    bool ReviewButtonsHidden() const
    {
        return !Button("checkAll")->isVisible() && !Button("uncheckAll")->isVisible() && !Button("cancel")->isVisible()
            && !Button("removeChecked")->isVisible();
    }
    int CheckedRows() const
    {
        int n = 0;
        for (int r = 0; r < Model().Count(); ++r)
            n += Model().IsChecked(r) ? 1 : 0;
        return n;
    }

    SettingsStore m_settings;
    std::unique_ptr<ScriptedPop3Server> m_pServer;
    std::unique_ptr<CMainFrame> m_pFrame;
    CMavixView* m_pView = nullptr;
    QStringList m_asBoxes;
    QStringList m_asDialogs;
    QStringList m_asQuestions;
    Prompter::ConfirmAnswer m_confirmAnswer{true, false};
    std::function<int(QDialog&)> m_fnModal;
    int m_nKeepAliveMs = CMavixView::kKeepAlivePeriodMs;
};

// An RFC 5322 message as a small mailbox holds it.
inline std::string Mail(const std::string& subject, const std::string& from = "Ann Example <ann@example.org>",
                        const std::string& extra = "")
{
    return "From: " + from + "\r\nTo: u@example.org\r\nSubject: " + subject
        + "\r\nDate: Mon, 2 Jan 2023 10:00:00 +0000\r\nMessage-ID: <"
        + std::to_string(std::hash<std::string>{}(subject)) + "@example.org>\r\n" + extra + "\r\nBody of " + subject
        + "\r\n";
}
