#include "ui/dialogs/data_options_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/compare_settings.h"
#include "ui/dialogs/data_conditions_dialog.h"

namespace zentab {

namespace {

const std::vector<BoolOption> kDataOptions{
    {"b_IgnoreDatCase", "Ignore Case when comparing rows of data",
     &CompareSettings::b_IgnoreDatCase},
    {"b_IgnoreDatLead", "Ignore Leading Spaces on each field (column)",
     &CompareSettings::b_IgnoreDatLead},
    {"b_IgnoreDatTrail", "Ignore Trailing Spaces on each field (column)",
     &CompareSettings::b_IgnoreDatTrail},
    {"b_CompDatValue", "Compare Numeric values by value and not by representation",
     &CompareSettings::b_CompDatValue},
    {"b_IgnoreDatSecs", "Ignore Seconds on date fields (columns)",
     &CompareSettings::b_IgnoreDatSecs},
    {"b_IgnoreDatFrac", "Ignore Fractional Seconds on date fields (columns)",
     &CompareSettings::b_IgnoreDatFrac},
    {"b_NoDiffData", "Include in report tables/views with no data differences found",
     &CompareSettings::b_NoDiffData},
    {"b_DataAsCSV", "Output data differences in CSV ready format", &CompareSettings::b_DataAsCSV},
    {"b_SortRows", "Sort rows in Zentab (when the databases order text differently)",
     &CompareSettings::b_SortRows},
    {"b_CompareCommonColumns", "Compare data on the columns both sides share",
     &CompareSettings::b_CompareCommonColumns},
};

} // namespace

DataOptionsPage::DataOptionsPage(Session& session, CompareSettings& copy, bool database1Only,
                                 QWidget* parent)
    : QWidget(parent), session_(session), copy_(copy), database1Only_(database1Only) {
    setObjectName("DataPage");
    auto* group = new QGroupBox(this);
    auto* boxes = new QVBoxLayout(group);
    options_ = std::make_unique<OptionBoxes>(kDataOptions, copy_, *boxes, group);

    auto* conditions = new QPushButton("Data Conditions", this);
    conditions->setObjectName("dataConditions");
    conditions->setAutoDefault(false);
    connect(conditions, &QPushButton::clicked, this, &DataOptionsPage::editConditions);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(conditions);
    buttonRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttonRow);
    layout->addStretch();
}

DataOptionsPage::~DataOptionsPage() = default;

void DataOptionsPage::store() {
    options_->store(copy_);
}

void DataOptionsPage::editConditions() {
    DataConditionsDialog dialog(session_, copy_.whereStatements, database1Only_, this);
    dialog.exec();
}

} // namespace zentab
