#pragma once
// Check boxes that each edit one boolean of a settings copy: the pages of the options sheet
// describe theirs as a table and load and store them alike. Window thread only.

#include <vector>

class QCheckBox;
class QLayout;
class QWidget;

namespace zentab {

struct CompareSettings;

struct BoolOption {
    const char* objectName; // the field's own name, e.g. "b_IgnoreTabCase"
    const char* label;
    bool CompareSettings::*field;
};

class OptionBoxes {
public:
    // Creates one box per option, ticked from `settings`, added to `layout` (owned by `parent`).
    OptionBoxes(const std::vector<BoolOption>& options, const CompareSettings& settings,
                QLayout& layout, QWidget* parent);
    void store(CompareSettings& settings) const;
    const std::vector<QCheckBox*>& boxes() const { return boxes_; }

private:
    std::vector<BoolOption> options_;
    std::vector<QCheckBox*> boxes_; // owned by the parent widget
};

} // namespace zentab
