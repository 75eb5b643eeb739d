#pragma once
// The "Start", "Cancel", "Help" row that ends the dialogs which start a run. Window thread only.

#include <string>

class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace zentab {

struct DialogServices;

struct StartButtons {
    QDialogButtonBox* box = nullptr;
    QPushButton* start = nullptr; // the default button; the dialog connects it to its checks
    QPushButton* cancel = nullptr;
    QPushButton* help = nullptr;
};

// The row, owned by `dialog`: Cancel rejects it, Help opens `topic`.
StartButtons makeStartButtons(QDialog& dialog, const DialogServices& services,
                              const std::string& topic);

} // namespace zentab
