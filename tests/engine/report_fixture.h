#pragma once
// A report writer over a fresh document, default settings and a recording host, with a
// temporary folder for the files it writes. Test thread only.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/report_document.h"
#include "engine/report_writer.h"
#include "settings/compare_settings.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace zentab::test {

class ReportFixture : public ::testing::Test {
protected:
    bool fileExists(const std::string& path) const { return std::filesystem::exists(path); }
    // A path whose parent folder is a regular file: creating it fails even for root.
    std::string unreachablePath(const std::string& name = "report.txt") const {
        const std::string blocker = dir.file("not-a-folder");
        writeFile(blocker, "x");
        return blocker + "/" + name;
    }

    TempDir dir;
    ReportDocument document;
    CompareSettings settings;
    RecordingHost host;
    ReportWriter writer{document, settings, host};
};

} // namespace zentab::test
