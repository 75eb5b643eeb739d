#pragma once
// The wait cursor for as long as the guard lives, also when what it guards returns early.
// Window thread only.

#include <QApplication>
#include <QCursor>

namespace zentab {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace zentab
