#include "ui/dialogs/start_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "ui/dialogs/dialog_services.h"

namespace zentab {

StartButtons makeStartButtons(QDialog& dialog, const DialogServices& services,
                              const std::string& topic) {
    StartButtons row;
    row.box = new QDialogButtonBox(&dialog);
    row.start = row.box->addButton("Start", QDialogButtonBox::AcceptRole);
    row.start->setObjectName("startButton");
    row.start->setDefault(true);
    row.cancel = row.box->addButton("Cancel", QDialogButtonBox::RejectRole);
    row.cancel->setObjectName("cancelButton");
    row.help = row.box->addButton("Help", QDialogButtonBox::HelpRole);
    row.help->setObjectName("helpButton");
    QObject::connect(row.cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    // The services belong to the dialog, which outlives its buttons.
    QObject::connect(row.help, &QPushButton::clicked, &dialog,
                     [&dialog, &services, topic] { services.openHelp(&dialog, topic); });
    return row;
}

} // namespace zentab
