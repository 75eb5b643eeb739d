#include "ui/dialogs/option_boxes.h"

#include <QCheckBox>
#include <QLayout>

#include "settings/compare_settings.h"

namespace zentab {

OptionBoxes::OptionBoxes(const std::vector<BoolOption>& options, const CompareSettings& settings,
                         QLayout& layout, QWidget* parent)
    : options_(options) {
    for (const BoolOption& option : options_) {
        auto* box = new QCheckBox(QString::fromUtf8(option.label), parent);
        box->setObjectName(option.objectName);
        box->setChecked(settings.*option.field);
        layout.addWidget(box);
        boxes_.push_back(box);
    }
}

void OptionBoxes::store(CompareSettings& settings) const {
    for (std::size_t i = 0; i < options_.size(); ++i) {
        settings.*options_[i].field = boxes_[i]->isChecked();
    }
}

} // namespace zentab
