// Append, the output file of "report only to a file", and autosave.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "report_fixture.h"

namespace zentab::test {
namespace {

std::string numberedLine(int n) {
    char text[32];
    std::snprintf(text, sizeof text, "Line %04d\r\n", n);
    return text;
}

class ReportAppend : public ReportFixture {};

TEST_F(ReportAppend, ReachesDocumentAndViewInColour) {
    writer.append("< DATABASE 1:  ", ReportColour::Text, false, true);
    writer.append("sales", ReportColour::Database1, true, true);
    EXPECT_EQ(document.text(), "< DATABASE 1:  sales");
    EXPECT_EQ(host.mirroredReport(), document.text());
    const auto runs = document.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].colour, writer.colours().database1);
    EXPECT_TRUE(runs[1].underline);

    writer.resetReport();
    EXPECT_TRUE(document.empty());
    EXPECT_EQ(host.mirroredReport(), "");
}

TEST_F(ReportAppend, SummaryModeAndSnapshotRunDropEverything) {
    settings.s_AutoSaveFile = dir.file("out.txt");
    settings.b_OnlyToFile = true;
    ASSERT_TRUE(writer.openOutputFile());
    writer.summaryOnly = true;
    writer.append("\r\n\r\n\r\nTables only in Database 1", ReportColour::Text, false, true);
    writer.summaryOnly = false;
    settings.b_SnapshotOnly = true;
    writer.append("\r\nsnapshot", ReportColour::Text, false, true);
    writer.closeOutputFile();
    EXPECT_EQ(readFile(settings.s_AutoSaveFile), "");

    settings.b_OnlyToFile = false;
    writer.append("snapshot", ReportColour::Text, false, true);
    settings.b_SnapshotOnly = false;
    writer.summaryOnly = true;
    writer.append("summary", ReportColour::Text, false, true);
    EXPECT_TRUE(document.empty());
    EXPECT_EQ(host.mirroredReport(), "");
}

TEST(ReportPad, FillsOrCuts) {
    EXPECT_EQ(ReportWriter::pad("id", 5, false), "id   ");
    EXPECT_EQ(ReportWriter::pad("identifier", 5, false), "identifier");
    EXPECT_EQ(ReportWriter::pad("identifier", 5, true), "ident");
    EXPECT_EQ(ReportWriter::pad("exact", 5, true), "exact");
    // UTF-8 text is measured and cut in characters, never inside one.
    EXPECT_EQ(ReportWriter::pad("Zürich", 8, false), "Zürich  ");
    EXPECT_EQ(ReportWriter::pad("Wichterlová", 4, true), "Wich");
    EXPECT_EQ(ReportWriter::pad("Zürich", 2, true), "Zü");
    EXPECT_EQ(ReportWriter::pad("日本語テキスト", 3, true), "日本語");
}

class ReportOutputFile : public ReportFixture {
protected:
    void SetUp() override {
        settings.b_OnlyToFile = true;
        settings.b_AutoSave = true;
        settings.i_AutoSaveLines = 1;
    }
};

TEST_F(ReportOutputFile, PiecesGoToTheFileUnchanged) {
    settings.s_AutoSaveFile = dir.file("out.txt");
    writeFile(settings.s_AutoSaveFile, "old contents that must go");
    ASSERT_TRUE(writer.openOutputFile());
    EXPECT_FALSE(settings.b_AutoSave); // the two outputs exclude each other
    const std::string pieces[] = {"< DATABASE 1:  ", "one", "\r\n> DATABASE 2:  ", "two\r\n\r\n",
                                  std::string("\xe9t\xe9 \t\0x", 8)};
    std::string all;
    for (const std::string& piece : pieces) {
        writer.append(piece, ReportColour::Database1, false, true);
        all += piece;
    }
    writer.reportSaved = false;
    writer.closeOutputFile();
    EXPECT_TRUE(writer.reportSaved);
    EXPECT_EQ(readFile(settings.s_AutoSaveFile), all);
    EXPECT_TRUE(document.empty());
    EXPECT_TRUE(host.messages().empty());
    EXPECT_FALSE(writer.outputFailed);
}

TEST_F(ReportOutputFile, CreateFailureKeepsReportOnScreen) {
    settings.s_AutoSaveFile = unreachablePath();
    EXPECT_FALSE(writer.openOutputFile());
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0],
              "Could not open file " + settings.s_AutoSaveFile +
                  ": \n\nNot a directory\n\nOutput will be sent to the screen.");
    EXPECT_FALSE(settings.b_OnlyToFile);
    EXPECT_TRUE(settings.b_AutoSave);
    EXPECT_TRUE(writer.outputFailed);
    writer.append("text", ReportColour::Text, false, false);
    EXPECT_EQ(document.text(), "text");
}

TEST_F(ReportOutputFile, WriteFailureSendsThePieceToTheScreen) {
    settings.s_AutoSaveFile = "/dev/full";
    ASSERT_TRUE(writer.openOutputFile());
    writer.append("first piece\r\n", ReportColour::Error, false, false);
    EXPECT_EQ(host.messages(),
              std::vector<std::string>{
                  "Could not save line to file. Output will continue on the screen."});
    EXPECT_FALSE(settings.b_OnlyToFile);
    EXPECT_FALSE(writer.outputFileOpen());
    EXPECT_FALSE(writer.reportSaved);
    writer.append("second", ReportColour::Text, false, false);
    EXPECT_EQ(document.text(), "first piece\r\nsecond");
    EXPECT_EQ(host.mirroredReport(), document.text());
    EXPECT_EQ(host.messages().size(), 1u);
    EXPECT_TRUE(writer.outputFailed);
}

class ReportAutosave : public ReportFixture {
protected:
    void SetUp() override {
        settings.b_AutoSave = true;
        settings.i_AutoSaveLines = 500;
        settings.s_AutoSaveFile = dir.file("auto.txt");
    }
    // Appends counted lines numbered from..to-1 and returns their text.
    std::string appendLines(int from, int to) {
        std::string all;
        for (int n = from; n < to; ++n) {
            const std::string line = numberedLine(n);
            writer.append(line, ReportColour::Text, false, true);
            all += line;
        }
        return all;
    }
    int clearedCount() const {
        int count = 0;
        for (const std::string& call : host.calls()) {
            count += call == "report cleared";
        }
        return count;
    }
};

TEST_F(ReportAutosave, UncountedPiecesNeverTrigger) {
    for (int n = 0; n < 2000; ++n) {
        writer.append(numberedLine(n), ReportColour::Text, false, false);
    }
    EXPECT_EQ(document.lineCount(), 2001);
    EXPECT_FALSE(fileExists(settings.s_AutoSaveFile));
}

TEST_F(ReportAutosave, FlushesPastTheLimitAndAppendsWithinARun) {
    // 499 lines with their breaks make 500 lines in the view: not yet beyond the limit.
    std::string all = appendLines(0, 499);
    writer.append("no break", ReportColour::Text, false, true);
    all += "no break";
    EXPECT_EQ(document.lineCount(), 500);
    EXPECT_FALSE(fileExists(settings.s_AutoSaveFile));

    writer.reportSaved = false;
    all += appendLines(499, 500); // the 501st line
    EXPECT_TRUE(document.empty());
    EXPECT_EQ(host.mirroredReport(), "");
    EXPECT_EQ(clearedCount(), 1);
    EXPECT_TRUE(writer.reportSaved);
    EXPECT_TRUE(writer.autoSaveCreated);
    EXPECT_EQ(readFile(settings.s_AutoSaveFile), all);

    all += appendLines(500, 1000);
    EXPECT_EQ(clearedCount(), 2);
    all += appendLines(1000, 1003);
    EXPECT_EQ(readFile(settings.s_AutoSaveFile) + document.text(), all);

    // End of the run: the last autosave keeps the window, and the next run starts afresh.
    ASSERT_TRUE(writer.autosave());
    EXPECT_EQ(readFile(settings.s_AutoSaveFile), all);
    writer.autoSaveCreated = false;
    writer.resetReport();
    const std::string secondRun = appendLines(0, 500);
    EXPECT_EQ(readFile(settings.s_AutoSaveFile), secondRun);
}

TEST_F(ReportAutosave, EmptyReportCountsAsSaved) {
    writer.reportSaved = false;
    EXPECT_TRUE(writer.autosave());
    EXPECT_TRUE(writer.reportSaved);
    EXPECT_FALSE(fileExists(settings.s_AutoSaveFile));
}

// A failed autosave leaves the window as it was and adds its error line there.
class ReportAutosaveFailure : public ReportAutosave {
protected:
    void TearDown() override {
        if (fifoReader_ >= 0) {
            ::close(fifoReader_);
        }
    }
    // A named pipe with a reader: it opens for writing but cannot seek.
    std::string pipeWithReader() {
        const std::string path = dir.file("pipe");
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        fifoReader_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        EXPECT_GE(fifoReader_, 0);
        return path;
    }

    int fifoReader_ = -1;
};

TEST_F(ReportAutosaveFailure, ErrorLinesAndMessages) {
    struct Case {
        const char* name;
        std::function<std::string()> path;
        bool created;
        std::string lineAfterPath; // the error line is "\r\n\r\nCould not auto save to file "
        std::string kind;          // + kind + ": " + path + lineAfterPath
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"create", [&] { return unreachablePath(); }, false, "\r\n\r\n", "(create)", {}},
        {"open", [&] { return unreachablePath(); }, true, "\r\n\r\n", "(open)", {}},
        {"open after removal",
         [&] { return dir.file("gone.txt"); },
         true,
         "\r\n\r\n",
         "(open)",
         {}},
        {"seek", [&] { return pipeWithReader(); }, true, "\r\n\r\n", "(seek)", {}},
        {"disk full",
         [] { return std::string("/dev/full"); },
         false,
         ": Disk is full.\r\n\r\n",
         "(write)",
         {"The file could not be saved, the disk is full.\nPlease make some space and press OK "
          "to continue."}},
        {"disk full when appending",
         [] { return std::string("/dev/full"); },
         true,
         ": Disk is full.\r\n\r\n",
         "(write)",
         {"The file could not be saved, the disk is full.\nPlease make some space and press OK "
          "to continue."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        document.clear();
        RecordingHost caseHost;
        ReportWriter caseWriter(document, settings, caseHost);
        settings.s_AutoSaveFile = c.path();
        settings.i_AutoSaveLines = 1;
        caseWriter.autoSaveCreated = c.created;
        caseWriter.reportSaved = false;

        caseWriter.append("a\r\nb", ReportColour::Text, false, true);
        const std::string line = "\r\n\r\nCould not auto save to file " + c.kind + ": " +
                                 settings.s_AutoSaveFile + c.lineAfterPath;
        EXPECT_EQ(document.text(), "a\r\nb" + line);
        EXPECT_EQ(caseHost.mirroredReport(), document.text());
        EXPECT_EQ(caseHost.messages(), c.messages);
        EXPECT_FALSE(caseWriter.reportSaved);
        const auto runs = document.runs();
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_EQ(runs[1].colour, caseWriter.colours().database2);
        EXPECT_FALSE(runs[1].underline);

        // Autosave stops for the run: on a full disk every further try would write the whole
        // growing report again and add another block.
        EXPECT_TRUE(caseWriter.autoSaveFailed);
        caseWriter.append("c", ReportColour::Text, false, true);
        EXPECT_EQ(document.text(), "a\r\nb" + line + "c");
        EXPECT_EQ(caseHost.messages(), c.messages);
        // The next run tries again.
        caseWriter.resetReport();
        EXPECT_FALSE(caseWriter.autoSaveFailed);
    }
}

// Lowers the file size limit so that a write fails with "file too large". Test thread only, for
// the length of one call.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

TEST_F(ReportAutosaveFailure, OtherWriteErrorKeepsWhatWasWritten) {
    const std::string text = "0123456789abcdefghij\r\nsecond line\r\n";
    writer.append(text, ReportColour::Text, false, false);
    bool saved = true;
    {
        FileSizeLimit limit(10);
        saved = writer.autosave();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(settings.s_AutoSaveFile), "0123456789");
    EXPECT_EQ(document.text(), text + "\r\n\r\nCould not auto save to file (write): " +
                                   settings.s_AutoSaveFile + "\r\n\r\n");
    EXPECT_EQ(host.messages(), std::vector<std::string>{"Could not auto save to file (write): " +
                                                        settings.s_AutoSaveFile});
}

} // namespace
} // namespace zentab::test
