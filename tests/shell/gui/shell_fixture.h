// A main window on a simulated port in a fresh application folder seeded from resources/, with
// scripted dialogs; every test ends by checking that no dialog went unscripted.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "machine/workspace.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"
#include "shell/gui/main_window.h"

namespace corvane {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        folder_ = std::filesystem::path(dir_.path().toStdString());
        for (const char* name : {"settings.txt", "waypoint.txt", "corvane.hlp", "temp_cut.txt",
                                 "temp_cut_cnt.txt", "temp_datinfo.txt"}) {
            const auto from = std::filesystem::path(CORVANE_RESOURCES) / name;
            if (std::filesystem::exists(from)) std::filesystem::copy_file(from, folder_ / name);
        }
        port_.setRecording(true);
        ws_ = std::make_unique<Workspace>(folder_, port_, clock_);
    }

    void TearDown() override {
        frame_.reset();
        EXPECT_TRUE(dialogs_.takeUnscripted().isEmpty());
    }

    MainWindow& frame() {
        if (!frame_) {
            frame_ = std::make_unique<MainWindow>(*ws_, dialogs_,
                                                  PortBackendInfo{"Simulated port", false});
            frame_->openUrl = [this](const QUrl& url) {
                urls_ << url.toString();
                return true;
            };
            frame_->startDetached = [this](const QString& program, const QString& dir) {
                started_ << program + QStringLiteral(" @ ") + dir;
                return true;
            };
            dialogs_.setParentWidget(frame_.get());
        }
        return *frame_;
    }
    MainWindow& startedFrame() {
        frame().show();
        frame().startUp();
        QApplication::processEvents();
        return *frame_;
    }
    void trigger(const char* action) {
        QAction* a = frame().menuAction(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
    }
    std::filesystem::path file(const char* name) const { return folder_ / name; }

    QTemporaryDir dir_;
    std::filesystem::path folder_;
    SimulatedPort port_;
    FakeClock clock_;
    std::unique_ptr<Workspace> ws_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<MainWindow> frame_;
    QStringList urls_;
    QStringList started_;
};

}  // namespace corvane
