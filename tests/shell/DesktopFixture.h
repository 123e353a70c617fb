#pragma once
// A session with scripted answers, a fake process table and workbooks made in memory.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

#include "automation/Application.h"
#include "automation/CreateObject.h"
#include "shell/MainWindow.h"
#include "shell/ProcessEnd.h"
#include "runs/ScriptedUi.h"
#include "shell/Session.h"

namespace lorvane::shell::testing {

class FakeProcessTable : public ProcessTable {
public:
    std::vector<ProcessEntry> entries;
    std::vector<pid_t> terminated;
    pid_t me = 100;
    uid_t uid = 1000;
    std::vector<ProcessEntry> list() override { return entries; }
    void terminate(pid_t pid) override { terminated.push_back(pid); }
    pid_t self() override { return me; }
    uid_t user() override { return uid; }
};

class DesktopTest : public ::testing::Test {
protected:
    runs::ScriptedUi ui;
    FakeProcessTable processes;
    std::unique_ptr<Session> session;
    MainWindow* main = nullptr;
    // Files the tests "open": path -> sheet names; other paths fail as a bad file would.
    std::map<std::string, std::vector<std::string>> files;

    void SetUp() override {
        ObjectRegistry::instance().reset();
        session = std::make_unique<Session>(ui, processes);
        session->openWorkbook = [this](Application& app, const std::string& path) -> Workbook* {
            auto it = files.find(path);
            if (it == files.end()) throw AutomationError(errc::kBadFile, "文件“" + path + "”不是有效的工作簿文件。");
            Workbook* b = app.Workbooks().Add();
            b->GetSheets().Item(1)->SetName(it->second.front());
            for (std::size_t i = 1; i < it->second.size(); ++i)
                b->GetSheets().AddAfter(b->GetSheets().Item(static_cast<int>(i)))->SetName(it->second[i]);
            b->SetSaved(true);
            return b;
        };
        main = new MainWindow(*session);
        main->show();
    }
    void TearDown() override {
        if (main && session->mainWindow()) delete main;
        session.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ObjectRegistry::instance().reset();
    }

    template <class T = QWidget>
    static T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void activate(QWidget* w) {
        w->show();
        QApplication::setActiveWindow(w);
        w->activateWindow();
    }
    static QString focusName(QWidget* w) {
        QWidget* f = w->focusWidget();
        return f ? f->objectName() : QString();
    }
    std::string lastMessage() const { return ui.messages.empty() ? std::string() : ui.messages.back().text; }
};

}  // namespace lorvane::shell::testing
