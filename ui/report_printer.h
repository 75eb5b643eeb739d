#pragma once
// Prints the report: the whole document, page by page, on pages that keep one inch clear of
// every edge of the printer's printable area, in the report's own fonts and colours. Window
// thread only (it lays out and paints a copy of a document the window owns).

#include <functional>

class QPrinter;
class QTextDocument;

namespace zentab {

enum class PrintFailure { None, Cancelled, OutOfMemory, OutOfDisk, General };

// What the user is told when a job failed for `failure`; nullptr when there is nothing to say
// (the job succeeded or was cancelled).
const char* printFailureMessage(PrintFailure failure);

// Asked before each page (counted from 0) is started; false cancels the job there.
using PrintProgress = std::function<bool(int page)>;

// Prints all of `report` on `printer`, already set up by the print dialog or with an output
// file, as the job "Zentab". A PDF written to a file counts as printed only when the whole
// file reached the disk.
PrintFailure printReport(const QTextDocument& report, QPrinter& printer,
                         const PrintProgress& proceed = {});

} // namespace zentab
