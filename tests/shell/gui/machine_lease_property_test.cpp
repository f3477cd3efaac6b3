// Random interleavings of everything that can move the machine, heat the wire or change the
// settings, started from the windows and nested between the ticks of a running motion: Begin
// Cut in both cut windows, jogs, return moves, a script run, troubleshooter steps, Device
// Settings Done with random pins, levels and ports, reloads of damaged settings files, wire
// presses, closes and reopens, Stop and Pause. After every step and at every port write: one
// source writes step bytes at a time, the wire pin's level is the wire state and every caption,
// every write of a motion goes to the port in force when it started, and the settings do not
// change under a lease.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <random>

#include "manual/gui/manual_window_base.h"
#include "script/gui/cutting_script_window.h"
#include "script/script_language.h"
#include "troubleshoot/gui/port_troubleshooter_window.h"
#include "wire_fixture.h"

namespace corvane {
namespace {

const char* const kCutWindows[] = {"Form10", "Form11"};
const char* const kPins[] = {"Pin 1", "Pin 14", "Pin 16", "Pin 17", "Not Used"};
const char* const kPorts[] = {"378h", "278h", "3BCh"};

class LeasePropertyTest : public WireFixture {
protected:
    void SetUp() override {
        WireFixture::SetUp();
        for (const char* page : {"startppt.rtf", "xforwardppt.rtf"})
            std::filesystem::copy_file(std::filesystem::path(CORVANE_RESOURCES) / page, file(page));
        writeWorkingSet();
    }

    int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    void fail(const std::string& what) {
        if (failure_.empty())
            failure_ = what + " (seed " + std::to_string(seed_) + ", step " +
                       std::to_string(step_) + ", " + doing_ + ")";
    }

    template <class W>
    W* loaded(const char* name) {
        return qobject_cast<W*>(frame().windows().loaded(QString::fromLatin1(name)));
    }
    CutWindow* cut(int i) { return loaded<CutWindow>(kCutWindows[i]); }
    PortTroubleshooterWindow* monitor() { return loaded<PortTroubleshooterWindow>("ppMonitor"); }

    int runningSources() {
        int n = 0;
        for (int i = 0; i < 2; ++i)
            if (cut(i) && cut(i)->cutting()) ++n;
        for (const char* name : {"Form3", "Form16"})
            if (auto* w = loaded<ManualWindowBase>(name); w && w->isMoving()) ++n;
        if (auto* w = loaded<CuttingScriptWindow>("script"); w && w->isRunning()) ++n;
        if (monitor() && monitor()->isStepping()) ++n;
        return n;
    }

    void check() {
        const bool on = ws_->wire.on();
        if (on != pinActive()) fail("wire state and pin disagree");
        for (int i = 0; i < 2; ++i)
            if (cut(i) && cut(i)->isVisible() && captionSaysOn(*cut(i)) != on)
                fail(std::string("caption of ") + kCutWindows[i]);
        if (ws_->lease.held() && inMotion_ && ws_->settings.fileLine() != motionSettings_)
            fail("settings changed under a lease");
    }

    void observe(const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Get || op.kind == PortOperation::Kind::In) return;
        if (inMotion_) {
            if (op.port != motionPort_ && op.port != motionPort_ + 2)
                fail("a write to " + std::to_string(op.port) + " during a motion on " +
                     std::to_string(motionPort_));
            if (ws_->settings.fileLine() != motionSettings_) fail("settings changed mid-motion");
        }
        if (op.kind != PortOperation::Kind::Out) return;
        if (runningSources() > 1) fail("two sources write step bytes");
        if (!inMotion_) return;
        ++motionWrites_;
        if (motionWrites_ >= 40) {
            queue([this] { stopEverything(); });
        } else if (nestedLeft_ > 0 && pick(3) == 0) {
            --nestedLeft_;
            queue([this] {
                nestedAction();
                check();
            });
        }
    }
    void queue(std::function<void()> action) {
        QMetaObject::invokeMethod(&frame(), std::move(action), Qt::QueuedConnection);
    }

    void stopEverything() {
        for (int i = 0; i < 2; ++i)
            if (cut(i)) emit cut(i)->toolbar().buttonClicked(2);
        for (const char* name : {"Form3", "Form16"})
            if (auto* w = loaded<ManualWindowBase>(name)) w->stopMotion();
        if (auto* w = loaded<CuttingScriptWindow>("script")) w->toolbar()->click(6);
        if (monitor()) monitor()->findChild<QPushButton*>("Command9")->click();
    }

    // The things that move the machine; each a source of its own.
    void startMotion(int which) {
        switch (which) {
            case 0:
            case 1: {
                CutWindow* w = cut(which);
                if (!w || !w->isVisible()) w = &cutWindow(kCutWindows[which]);
                w->toolbar().click(1);
                break;
            }
            case 2:
                frame().windows().show("Form3")->findChild<QPushButton*>("Command3")->click();
                break;
            case 3:
                ws_->movePlan.bytes = {0x03, 0x03, 0x30, 0x30, 0x03};
                frame().windows().show("Form16")->findChild<QPushButton*>("Command1")->click();
                break;
            case 4: {
                auto* w = qobject_cast<CuttingScriptWindow*>(frame().windows().show("script"));
                auto* list = w->findChild<QListWidget*>("List1");
                list->clear();
                list->addItem("move,x," + QString::fromUtf8(kDirForward) + ",1");
                w->toolbar()->click(5);
                break;
            }
            default:
                if (!monitor()) trigger("OpenMonitor");
                monitor()->findChild<QPushButton*>("Command5")->click();
                break;
        }
    }

    void applyRandomSettings() {
        DeviceSettingsWindow& form9 = settingsWindow();
        if (!form9.isLoaded()) form9.showAndActivate();
        form9.findChild<QComboBox*>("enable")->setEditText(kPins[pick(5)]);
        form9.findChild<QComboBox*>("port_address")->setEditText(kPorts[pick(3)]);
        form9.findChild<QRadioButton*>(pick(2) ? "active_low" : "active_high")->setChecked(true);
        form9.done();
    }
    void reloadDamaged() {
        std::vector<std::string> v = valuesWith(kPins[pick(5)], pick(2) == 0, kPorts[pick(3)]);
        if (pick(2) == 0)
            v.resize(static_cast<size_t>(18 + pick(10)));  // a short line
        else
            v[static_cast<size_t>(20 + pick(7))] = "\"bad\"";  // a bad value in fields 21-27
        test::writeFile(file("settings.txt"), test::settingsLine(v));
        DeviceSettingsWindow& form9 = settingsWindow();
        form9.close();
        form9.loadSettings();
    }
    // The operator presses only a button that is on the screen.
    void pressVisible(CutWindow* w) {
        if (w && w->isVisible()) pressWire(*w);
    }
    void closeAndReopen() {
        const int i = pick(2);
        if (CutWindow* w = cut(i)) w->close();
        check();
        if (pick(2) == 0) cutWindow(kCutWindows[i]);
    }

    void nestedAction() {
        doing_ = "nested";
        ++nested_;
        switch (pick(9)) {
            case 0:
                startMotion(pick(6));
                break;
            case 1:
                applyRandomSettings();
                break;
            case 2:
                reloadDamaged();
                break;
            case 3:
            case 4:
                pressVisible(cut(pick(2)));
                break;
            case 5:
                closeAndReopen();
                break;
            case 6:
                if (CutWindow* w = cut(pick(2))) emit w->toolbar().buttonClicked(4);  // pause
                break;
            default:
                if (pick(3) == 0) stopEverything();
                break;
        }
    }

    void topAction() {
        const int kind = pick(10);
        if (kind < 6) {
            doing_ = "motion " + std::to_string(kind);
            inMotion_ = true;
            motionPort_ = static_cast<uint16_t>(ws_->settings.derived.DataPort);
            motionSettings_ = ws_->settings.fileLine();
            motionWrites_ = 0;
            nestedLeft_ = 4;
            startMotion(kind);
            inMotion_ = false;
            QApplication::processEvents();  // what was queued after the last tick
            ++motions_;
            return;
        }
        doing_ = "top " + std::to_string(kind);
        if (kind == 6) applyRandomSettings();
        if (kind == 7) reloadDamaged();
        if (kind == 8) pressVisible(cut(pick(2)));
        if (kind == 9) closeAndReopen();
    }

    std::mt19937 rng_;
    unsigned seed_ = 0;
    int step_ = 0;
    std::string doing_;
    std::string failure_;
    bool inMotion_ = false;
    uint16_t motionPort_ = 0;
    std::string motionSettings_;
    int motionWrites_ = 0;
    int nestedLeft_ = 0;
    int motions_ = 0;
    int nested_ = 0;
};

TEST_F(LeasePropertyTest, OneSourceAtATimeTheWireTellsTheTruthAndSettingsWaitForTheLease) {
    constexpr unsigned kSequences = 16;
    constexpr int kSteps = 30;
    int steps = 0;
    for (seed_ = 1; seed_ <= kSequences && failure_.empty(); ++seed_) {
        rng_.seed(seed_);
        writeSettings(kPins[pick(4)], pick(2) == 0, kPorts[pick(3)]);
        startedFrame();
        cutWindow("Form10");
        cutWindow("Form11");
        port_.setObserver([this](const PortOperation& op) { observe(op); });
        for (step_ = 0; step_ < kSteps && failure_.empty(); ++step_) {
            dialogs_.clearAnswers();
            for (int i = 0; i < 30; ++i) dialogs_.answerMessage();
            topAction();
            doing_ = "after";
            check();
            if (ws_->lease.held()) fail("the lease outlived its motion");
            ++steps;
        }
        port_.setObserver({});
        trigger("exit");
        if (pinActive()) fail("wire on after exit");
        frame_.reset();
        ws_ = std::make_unique<Workspace>(folder_, port_, clock_);
        ws_->yield = [] { QApplication::processEvents(); };
        dialogs_.clearCalls();
    }
    dialogs_.clearAnswers();
    EXPECT_EQ(failure_, "");
    RecordProperty("sequences", static_cast<int>(kSequences));
    RecordProperty("steps", steps);
    RecordProperty("motions", motions_);
    RecordProperty("nested", nested_);
    std::cout << "lease property: " << kSequences << " sequences, " << steps << " steps, "
              << motions_ << " motions, " << nested_ << " actions nested in them\n";
}

}  // namespace
}  // namespace corvane
