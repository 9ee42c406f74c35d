#include "FilterManager.h"

#include "gui/dialogs/FilterSenderPage.h"
#include "gui/dialogs/FilterSizePage.h"
#include "gui/dialogs/FilterSubExPage.h"
#include "gui/dialogs/FilterSubPage.h"
#include "core/storage/Filters.h"
#include "core/storage/SettingsStore.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/ScreenFit.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

int ManageFilters(QWidget* parent, Filters& filters, SettingsStore& settings)
{
    QDialog sheet(parent);
    sheet.setWindowTitle(QCoreApplication::translate("FilterManager", "Manage Filters"));
    auto* tabs = new QTabWidget(&sheet);
    // Every tab in view: the sheet is as wide as their names, in any
    // language, rather than hiding some behind scroll arrows.
    tabs->setUsesScrollButtons(false);
    // In the order their lists are replaced on OK: size, subject, subject
    // exact, senders, trusted senders.
    CFilterPage* const apPages[] = {
        new CFilterSizePage(filters, tabs), new CFilterSubPage(filters, tabs), new CFilterSubExPage(filters, tabs),
        new CFilterSenderPage(kFilterSender, filters, tabs), new CFilterSenderPage(kFilterTrusted, filters, tabs)};
    tabs->addTab(apPages[0], QCoreApplication::translate("FilterManager", "Size Filter"));
    tabs->addTab(apPages[1], QCoreApplication::translate("FilterManager", "Subject Filter"));
    tabs->addTab(apPages[2], QCoreApplication::translate("FilterManager", "Subject Exact Filter"));
    tabs->addTab(apPages[3], QCoreApplication::translate("FilterManager", "Senders"));
    tabs->addTab(apPages[4], QCoreApplication::translate("FilterManager", "Trusted senders"));

    // Every change waits for OK, so there is nothing an Apply button could do.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &sheet);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &sheet, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &sheet, &QDialog::reject);
    auto* layout = new QVBoxLayout(&sheet);
    layout->addWidget(tabs, 1);
    layout->addWidget(buttons);
    screen_fit::FitToScreen(&sheet);

    const int result = Prompter::RunModal(sheet);
    if (result != QDialog::Accepted)
        return result;
    // A page the user never opened was never filled; its list stays as it is.
    for (CFilterPage* page : apPages) {
        if (page->IsInitialised())
            page->OnOK();
    }
    if (!filters.SaveFilters(settings)) {
        Prompter::MessageBox(parent,
                             QCoreApplication::translate("FilterManager",
                                                         "The filter lists could not be saved in %1.\n\n"
                                                         "The changes apply until Mavix is closed.")
                                 .arg(QString::fromLocal8Bit(settings.FilePath())));
    }
    return result;
}
