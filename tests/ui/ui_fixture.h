#pragma once
// Helpers of the window tests: answers for the program's questions, and a bounded wait that
// keeps the event loop turning (the worker's calls into the window need it).

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFont>
#include <QPrinter>
#include <QString>
#include <QTest>

#include <deque>
#include <optional>
#include <ostream>
#include <vector>

#include "ui/qt_host.h"

// Readable QStrings in GoogleTest's messages (found by argument-dependent lookup).
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace zentab::test {

// Answers questions from a script (Yes when the script is empty), file dialogs from a list of
// paths (cancelled when it is empty), and records every text shown.
class ScriptedPrompts : public Prompts {
public:
    void message(QWidget*, const QString& text) override { shown.push_back(text); }
    bool yesNo(QWidget*, const QString& text) override {
        shown.push_back(text);
        if (yesNoAnswers.empty()) {
            return true;
        }
        bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    Answer yesNoCancel(QWidget*, const QString& text) override {
        shown.push_back(text);
        if (yesNoCancelAnswers.empty()) {
            return Answer::Yes;
        }
        Answer answer = yesNoCancelAnswers.front();
        yesNoCancelAnswers.pop_front();
        return answer;
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return fontAnswer; }
    std::optional<ReportColours> chooseColours(QWidget*, const ReportColours&) override {
        return coloursAnswer;
    }
    bool choosePrinter(QWidget*, QPrinter& printer) override {
        if (!printTo) {
            return false;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*printTo);
        return true;
    }
    void about(QWidget*, const QString& text) override { shown.push_back(text); }
    std::optional<QString> chooseFile(QWidget*, const FileRequest& request) override {
        fileRequests.push_back(request);
        if (fileAnswers.empty()) {
            return std::nullopt;
        }
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    std::vector<QString> shown;
    std::deque<bool> yesNoAnswers;
    std::deque<Answer> yesNoCancelAnswers;
    std::optional<QFont> fontAnswer;
    std::optional<ReportColours> coloursAnswer;
    std::optional<QString> printTo; // PDF file; nullopt cancels the print dialog
    std::deque<QString> fileAnswers;
    std::vector<FileRequest> fileRequests;
};

// Turns the event loop until `done` holds; false after a generous bound (a hang, not a speed
// limit).
template <typename Done> bool turnEventLoopUntil(Done done) {
    QDeadlineTimer deadline(30000);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(2);
    }
    return true;
}

} // namespace zentab::test
