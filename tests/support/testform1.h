#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "app/form1.h"

// A main window whose message and error boxes are recorded instead of shown,
// and whose pump can act as a user would in the middle of a run, in place of
// the window's own event handling or besides it.
class TestForm1 : public TForm1 {
public:
    using TForm1::TForm1;

    void showMessage(const std::string& text) override { messages.push_back(text); }
    void ReportError(const QString& message) override { errors.push_back(message); }
    void pump() override {
        ++pumps;
        if (duringRun) duringRun();
        if (windowPump) TForm1::pump();
    }

    std::vector<std::string> messages;
    QStringList errors;
    std::function<void()> duringRun;
    int pumps = 0;
    bool windowPump = false;  // also handle events as the window's own pump does
};
