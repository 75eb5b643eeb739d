#pragma once
// A RunHost for programs without a window that show nothing of a run (the benchmark's fetch
// program, the fuzz targets): every call does nothing and every question takes the answer that
// lets the run go on. Only the messages are left to the program. Any thread, as the run calls.

#include "engine/run_host.h"

namespace zentab {

class QuietHost : public RunHost {
public:
    void setMainCaption(const std::string&) override {}
    void setPanelCaption(const std::string&) override {}
    bool openControlPanel() override { return true; }
    void panelClearObjects() override {}
    void panelAddObject(const std::string&) override {}
    int panelFindObject(int, const std::string&) override { return -1; }
    void panelSelectObject(int) override {}
    void progressSetRange(int, int) override {}
    void progressSetPos(int) override {}
    void progressSetStep(int) override {}
    void progressStepIt() override {}
    void reportAppended(const std::string&, Rgb, bool) override {}
    void reportCleared() override {}
    bool askYesNo(const std::string&) override { return true; }
    Answer askYesNoCancel(const std::string&) override { return Answer::No; }
    std::optional<std::string> chooseFile(const FileRequest&) override { return std::nullopt; }
    void endProgram(int) override {}
};

} // namespace zentab
