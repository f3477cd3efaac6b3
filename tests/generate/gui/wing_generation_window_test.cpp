// Form14 as the operator sees it: the browse dialog, Generate with its progress and the save
// step, Stop halfway leaving the previous working set byte for byte, Reset, and the messages of
// empty paths, unequal files, a vanished airfoil and a missing template; and the same window as
// the foam generator Form1.
#include "generate/gui/wing_generation_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "generate/materials.h"
#include "generate/set_kerf_record.h"
#include "machine/gui/gui_test_util.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::clickToolbar;
using test::control;

// A closed profile of `points` points, one "x y" pair a line.
std::string profileText(int points, double thickness) {
    std::ostringstream out;
    for (int k = 0; k < points; ++k) {
        const double t = 2.0 * M_PI * k / (points - 1);
        out << 0.5 + 0.5 * std::cos(t) << ' ' << thickness * std::sin(t) << "\r\n";
    }
    return out.str();
}

class WingGenerationWindowTest : public ::testing::Test {
protected:
    WingGenerationWindowTest() {
        test::copyResources(m.dir.path());
        m.ws.settings.fields.steps_per_inch = "10";
        m.ws.settings.fields.kerf = "0";
        m.ws.settings.derive();
        test::writeFile(root(), profileText(21, 0.12));
        test::writeFile(tip(), profileText(21, 0.08));
        m.ws.showStatus = [this](int panel, const std::string& text) { status[panel] = text; };
    }

    test::TestMachine m;
    ScriptedDialogs dialogs;
    std::map<int, std::string> status;

    fs::path root() const { return m.dir / "root.dat"; }
    fs::path tip() const { return m.dir / "tip.dat"; }
    std::string working() const {
        return test::readFile(m.dir / "cut.ct1") + "|" + test::readFile(m.dir / "cut_cnt.ct2") +
               "|" + test::readFile(m.dir / "datinfo.ct3");
    }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m.dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void fill(WingGenerationWindow& w, const QString& chord) {
        control<QLineEdit>(w, "Text1")->setText(QString::fromStdString(root().string()));
        control<QLineEdit>(w, "Text2")->setText(QString::fromStdString(tip().string()));
        control<QLineEdit>(w, "Text6")->setText(chord);
        control<QLineEdit>(w, "Text7")->setText(chord);
    }
    void open(WingGenerationWindow& w) {
        w.showAndActivate();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        test::letEventsThrough();
    }
};

TEST_F(WingGenerationWindowTest, ShowsItsCaptionsAndTheActiveDelayPoints) {
    WingGenerationWindow w(m.ws, dialogs);
    EXPECT_EQ(w.objectName(), "Form14");
    EXPECT_EQ(w.windowTitle(), "机翼切割 - 生成切割文件");
    EXPECT_EQ(control<QLabel>(w, "Label1")->text(), "选择左侧机翼切割形状DAT数据文件");
    EXPECT_EQ(control<QLabel>(w, "Label2")->text(), "选择右侧机翼切割形状DAT数据文件");
    EXPECT_EQ(control<QLabel>(w, "Label12")->text(), "建立切割文件");
    EXPECT_EQ(control<QPushButton>(w, "Command2")->text(), "浏览");
    EXPECT_EQ(control<QCheckBox>(w, "left_check")->text(), "Include +/- washout");
    EXPECT_EQ(control<QLineEdit>(w, "left_amount")->text(), "0");
    auto* bar = w.findChild<Toolbar*>("asxToolbar1");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->buttonCaption(1), "Generate");
    EXPECT_EQ(bar->action(3)->toolTip(), "Stop Generation");
    EXPECT_EQ(bar->buttonCaption(5), "Add Delay Points");
    EXPECT_EQ(bar->buttonCaption(7), "Done");

    m.ws.delays.ActiveDelayPointCount = 2;
    m.ws.delays.ActiveDelayPoints = {4, 9};
    open(w);
    EXPECT_EQ(status[3], "2 Delay Points are currently active");
    EXPECT_FALSE(control<QProgressBar>(w, "ProgressBar1")->isVisible());
    EXPECT_FALSE(control<QLabel>(w, "Label12")->isVisible());
}

TEST_F(WingGenerationWindowTest, BrowsePutsThePickedFileIntoItsSideAndCancelChangesNothing) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    dialogs.answerOpenFile(QString::fromStdString(tip().string()));
    QTest::mouseClick(control<QPushButton>(w, "Command3"), Qt::LeftButton);
    ASSERT_EQ(dialogs.calls().size(), 1u);
    const FileDialogRequest& r = dialogs.calls()[0].request;
    EXPECT_EQ(r.title, "选择DAT文件");
    EXPECT_EQ(r.defaultExt, "dat");
    EXPECT_EQ(r.filter, "DAT File (*.DAT)|*.dat|COR File (*.COR)|*.cor|All (*.*)|*.*");
    EXPECT_EQ(r.flags, 6);
    EXPECT_EQ(r.fileName, "");
    EXPECT_EQ(control<QLineEdit>(w, "Text2")->text().toStdString(), tip().string());
    EXPECT_EQ(m.ws.job.rightAirfoilPath, tip().string());
    EXPECT_EQ(control<QLineEdit>(w, "Text1")->text(), "");

    dialogs.answerOpenFile(QString());
    QTest::mouseClick(control<QPushButton>(w, "Command3"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>(w, "Text2")->text().toStdString(), tip().string());
    EXPECT_EQ(m.ws.job.rightAirfoilPath, tip().string());
}

TEST_F(WingGenerationWindowTest, GenerateWritesTheSetAndTheSaveStepCopiesIt) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "200");
    control<QCheckBox>(w, "left_check")->setChecked(true);
    control<QLineEdit>(w, "left_amount")->setText("-2");
    const QString saved = QString::fromStdString((m.dir / "wing").string());
    dialogs.answerSaveFile(saved);  // typed without extension
    clickToolbar(w, 1);

    ASSERT_EQ(dialogs.calls().size(), 1u);
    const DialogCall& save = dialogs.calls()[0];
    EXPECT_EQ(save.kind, DialogCall::Kind::SaveFile);
    EXPECT_EQ(save.request.title, "保存切割文件");
    EXPECT_EQ(save.request.defaultExt, "ct1");
    EXPECT_EQ(save.request.filter, "CT1 File (*.CT1)|*.ct1|All (*.*)|*.*");
    EXPECT_EQ(save.request.initialDir.toStdString(), m.dir.path().string());

    const std::string counts = test::readFile(m.dir / "cut_cnt.ct2");
    EXPECT_EQ(std::count(counts.begin(), counts.end(), '\n'), 20);
    EXPECT_FALSE(test::readFile(m.dir / "cut.ct1").empty());
    // The eight fields, then the speed the setup gave (1 mm/s at start) as the set's record.
    EXPECT_NE(test::readFile(m.dir / "datinfo.ct3")
                  .find(",\"1\",\"0\",\"-2\",\"0\",\"made for\",1,\"\",\"settings\",0\r\n"),
              std::string::npos);
    EXPECT_EQ(test::readFile(m.dir / "wing.ct1"), test::readFile(m.dir / "cut.ct1"));
    EXPECT_EQ(test::readFile(m.dir / "wing.ct2"), counts);
    EXPECT_EQ(test::readFile(m.dir / "wing.ct3"), test::readFile(m.dir / "datinfo.ct3"));
    EXPECT_DOUBLE_EQ(m.ws.job.LeftTowerChord, 200.0);

    // After the run: the window stays (a name was given), the progress is put away.
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(control<QLineEdit>(w, "Text5")->text(), " ");
    EXPECT_EQ(control<QLabel>(w, "Label6")->text(), "20");
    EXPECT_FALSE(control<QProgressBar>(w, "ProgressBar1")->isVisible());
    EXPECT_EQ(control<QProgressBar>(w, "ProgressBar1")->maximum(), 100);
    EXPECT_FALSE(control<QLabel>(w, "Label12")->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The browse dialog now starts in the application folder.
    dialogs.answerOpenFile(QString());
    QTest::mouseClick(control<QPushButton>(w, "Command2"), Qt::LeftButton);
    EXPECT_EQ(dialogs.calls().back().request.initialDir.toStdString(), m.dir.path().string());
}

TEST_F(WingGenerationWindowTest, CancellingTheSaveStepHidesTheWindowAndCopiesNothing) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "150");
    auto expected = folderNames();  // a fresh folder: no working set yet
    // The new working set, and the folder's lock file that the generation made.
    expected.insert(expected.end(), {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3", ".corvane-lock"});
    std::sort(expected.begin(), expected.end());
    dialogs.answerSaveFile(QString());
    clickToolbar(w, 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(folderNames(), expected);                        // the new working set, no saved copy
    EXPECT_EQ(control<QLineEdit>(w, "Text6")->text(), "150");  // hidden, not unloaded
}

TEST_F(WingGenerationWindowTest, StopHalfwayLeavesThePreviousSetByteForByte) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "200");
    dialogs.answerSaveFile(QString());
    clickToolbar(w, 1);
    const std::string previous = working();
    const auto names = folderNames();

    open(w);
    fill(w, "300");
    int passes = 0;
    bool barSeen = false;
    QString stepSeen;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (++passes != 5) return;
        auto* bar = control<QProgressBar>(w, "ProgressBar1");
        barSeen = bar->isVisible() && control<QLabel>(w, "Label12")->isVisible() &&
                  bar->maximum() == 21 && control<QLabel>(w, "Label6")->text() == "20";
        stepSeen = control<QLineEdit>(w, "Text5")->text();
        EXPECT_EQ(bar->value(), static_cast<int>(0.8 * stepSeen.toInt()));
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        // A second Generate while one runs is ignored.
        EXPECT_FALSE(w.findChild<Toolbar*>("asxToolbar1")->isButtonEnabled(1));
        EXPECT_EQ(w.generate(), GenerationStatus::Refused);
        clickToolbar(w, 3);  // Stop
    });
    probe.start();
    EXPECT_EQ(w.generate(), GenerationStatus::Stopped);
    probe.stop();

    EXPECT_TRUE(barSeen);
    EXPECT_GE(stepSeen.toInt(), 1);
    EXPECT_LT(stepSeen.toInt(), 20);
    EXPECT_EQ(working(), previous);
    EXPECT_EQ(folderNames(), names);  // no backups left behind
    EXPECT_TRUE(w.isVisible());       // no save step after Stop
    EXPECT_EQ(control<QLineEdit>(w, "Text5")->text(), " ");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WingGenerationWindowTest, ClosingTheWindowDuringAGenerationStopsIt) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "200");
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    EXPECT_EQ(w.generate(), GenerationStatus::Stopped);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(fs::exists(m.dir / "cut.ct1"));  // the fresh folder had no set, and has none
    EXPECT_EQ(control<QLineEdit>(w, "Text6")->text(), "200");
}

TEST_F(WingGenerationWindowTest, RefusalsAndErrorsKeepThePreviousSet) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "200");
    dialogs.answerSaveFile(QString());
    clickToolbar(w, 1);
    const std::string previous = working();
    open(w);

    // Empty path fields, for Generate and for Add Delay Points.
    control<QLineEdit>(w, "Text2")->setText("");
    dialogs.clearCalls();
    dialogs.answerMessage().answerMessage();
    clickToolbar(w, 1);
    clickToolbar(w, 5);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[0].text, "DAT file must be entered to begin generation");
    EXPECT_EQ(dialogs.messages()[0].title, "DAT File not Found");
    EXPECT_EQ(dialogs.messages()[1].text, "DAT file must be entered to add delay points");
    EXPECT_EQ(dialogs.messages()[1].title, "DAT File not Found");

    // Files of 21 and 20 points.
    const fs::path shorter = m.dir / "short.dat";
    test::writeFile(shorter, profileText(20, 0.1));
    control<QLineEdit>(w, "Text2")->setText(QString::fromStdString(shorter.string()));
    dialogs.clearCalls();
    dialogs.answerMessage();
    clickToolbar(w, 1);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text,
              "DAT files selected do not have the same number of lines. Edit DAT files and try "
              "again");
    EXPECT_EQ(dialogs.messages()[0].title, "DAT File Error");
    EXPECT_EQ(working(), previous);

    // A tip in the other order: the wire would go through the core.
    std::string reversedTip;
    {
        std::istringstream in(profileText(21, 0.08));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) reversedTip += *it + "\n";
    }
    const fs::path reversed = m.dir / "reversed.dat";
    test::writeFile(reversed, reversedTip);
    control<QLineEdit>(w, "Text2")->setText(QString::fromStdString(reversed.string()));
    dialogs.clearCalls();
    dialogs.answerMessage();
    clickToolbar(w, 1);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_TRUE(dialogs.messages()[0].text.contains("run in different orders"));
    EXPECT_TRUE(dialogs.messages()[0].text.contains(QString::fromStdString(reversed.string())));
    EXPECT_EQ(dialogs.messages()[0].title, "DAT File Error");
    EXPECT_EQ(working(), previous);

    // An airfoil file that vanished after it was picked.
    control<QLineEdit>(w, "Text2")->setText(QString::fromStdString((m.dir / "gone.dat").string()));
    dialogs.clearCalls();
    dialogs.answerMessage().answerMessage();
    clickToolbar(w, 1);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    // The report's line, then the detail: which file was not found.
    EXPECT_TRUE(dialogs.messages()[0].text.startsWith(
        "Error encountered, Error Number 53, File not found\rModule 14, GCF\r"))
        << dialogs.messages()[0].text.toStdString();
    EXPECT_EQ(dialogs.messages()[1].text,
              "System Cut files not found, Contact Corvane support for assistance.");
    EXPECT_EQ(working(), previous);

    // A missing template: the report, then the second message.
    fill(w, "200");
    fs::remove(m.dir / "temp_cut.txt");
    dialogs.clearCalls();
    dialogs.answerMessage().answerMessage();
    clickToolbar(w, 1);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_TRUE(dialogs.messages()[0].text.startsWith("Error encountered, Error Number 53, "));
    EXPECT_TRUE(dialogs.messages()[0].text.contains("\rModule 14, GCF\r"));
    EXPECT_EQ(dialogs.messages()[1].text,
              "System Cut files not found, Contact Corvane support for assistance.");
    EXPECT_EQ(working(), previous);
    EXPECT_EQ(control<QLineEdit>(w, "Text5")->text(), " ");
    EXPECT_FALSE(control<QProgressBar>(w, "ProgressBar1")->isVisible());
}

// The window asks for the delay editor on the picked files; the main window opens its one editor
// (the shell's tests open it from both generation windows).
TEST_F(WingGenerationWindowTest, AddDelayPointsAsksForTheEditorOnThePickedFiles) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "200");
    QSignalSpy asked(&w, &WingGenerationWindow::delayPointsRequested);
    clickToolbar(w, 5);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0][1].toString(), control<QLineEdit>(w, "Text1")->text());
    EXPECT_EQ(asked[0][2].toString(), control<QLineEdit>(w, "Text2")->text());
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(WingGenerationWindowTest, ResetBlanksTheFieldsAndKeepsTheWashoutBoxes) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "200");
    control<QCheckBox>(w, "right_check")->setChecked(true);
    control<QLineEdit>(w, "right_amount")->setText("3");
    clickToolbar(w, 2);
    for (const char* name : {"Text1", "Text2", "Text5", "Text6", "Text7"})
        EXPECT_EQ(control<QLineEdit>(w, name)->text(), " ") << name;
    EXPECT_EQ(control<QLineEdit>(w, "right_amount")->text(), "0");
    EXPECT_TRUE(control<QCheckBox>(w, "right_check")->isChecked());

    // A single blank is no path: the entry check refuses it.
    dialogs.answerMessage();
    clickToolbar(w, 1);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"DAT file must be entered to begin generation"});

    clickToolbar(w, 7);  // Done
    EXPECT_FALSE(w.isVisible());
}

// Form1 is Form14's window without washout: sizes instead of chords, the four-field DAT line,
// its own error label, and two identical profiles of equal size stepping both towers together.
TEST_F(WingGenerationWindowTest, FoamWindowGeneratesAFourFieldSetWithBothSidesTogether) {
    WingGenerationWindow w(m.ws, dialogs, nullptr, CutSetKind::Foam);
    open(w);
    EXPECT_EQ(w.objectName(), "Form1");
    EXPECT_EQ(w.windowTitle(), "泡沫切割 - 生成切割文件");
    EXPECT_EQ(control<QLabel>(w, "Label3")->text(), "Calculated Left Tower Horizontal Size");
    EXPECT_EQ(control<QLabel>(w, "Label4")->text(), "Calculated Right Tower Horizontal Size");
    EXPECT_EQ(control<QLabel>(w, "Label1")->text(), "选择左侧机翼切割形状DAT数据文件");
    for (const char* washout : {"left_check", "right_check", "left_amount", "right_amount"})
        EXPECT_EQ(w.findChild<QWidget*>(washout), nullptr) << washout;
    // The wing generator's toolbar, the airfoil preparation button included.
    auto* bar = w.findChild<Toolbar*>("asxToolbar1");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->buttonCount(), 8);
    EXPECT_EQ(bar->buttonCaption(8), "Prepare Airfoils");

    control<QLineEdit>(w, "Text1")->setText(QString::fromStdString(root().string()));
    control<QLineEdit>(w, "Text2")->setText(QString::fromStdString(root().string()));
    control<QLineEdit>(w, "Text6")->setText("120");
    control<QLineEdit>(w, "Text7")->setText("120");
    dialogs.answerSaveFile(QString());
    clickToolbar(w, 1);
    EXPECT_FALSE(w.isVisible());  // a cancelled save hides Form1
    EXPECT_EQ(test::readFile(m.dir / "datinfo.ct3"),
              "\"" + root().string() + "\",\"" + root().string() + "\",120,120\r\n");
    const DerivedSettings& d = m.ws.settings.derived;
    const std::string steps = test::readFile(m.dir / "cut.ct1");
    std::istringstream lines(steps);
    int byte = 0, ticks = 0;
    while (lines >> byte) {
        ++ticks;
        EXPECT_EQ((byte & d.X1.StepMask) != 0, (byte & d.X2.StepMask) != 0) << "tick " << ticks;
        EXPECT_EQ((byte & d.Y1.StepMask) != 0, (byte & d.Y2.StepMask) != 0) << "tick " << ticks;
    }
    EXPECT_GT(ticks, 100);

    // Reset has no washout to reset; an error is reported under the foam label.
    open(w);
    clickToolbar(w, 2);
    EXPECT_EQ(control<QLineEdit>(w, "Text6")->text(), " ");
    control<QLineEdit>(w, "Text1")->setText(QString::fromStdString(root().string()));
    control<QLineEdit>(w, "Text2")->setText(QString::fromStdString((m.dir / "gone.dat").string()));
    control<QLineEdit>(w, "Text6")->setText("120");
    control<QLineEdit>(w, "Text7")->setText("120");
    dialogs.answerMessage();
    dialogs.answerMessage();
    clickToolbar(w, 1);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_TRUE(dialogs.messages()[0].text.startsWith(
        "Error encountered, Error Number 53, File not found\rModule 1, GCF"));
}

// A nose start is cut as asked, but with horizontal lead moves the operator is told first.
TEST_F(WingGenerationWindowTest, ANoseStartWithLeadMovesIsWarnedOfBeforeTheSaveStep) {
    m.ws.settings.fields.lead_in = 1;
    m.ws.settings.fields.horizontal = true;
    m.ws.settings.fields.lead_in_amount = "10";
    m.ws.settings.derive();
    const fs::path nose = m.dir / "nose.dat";
    test::writeFile(nose, "0 0\n0.5 0.06\n1 0\n0.5 -0.04\n0 0\n");
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "200");
    control<QLineEdit>(w, "Text1")->setText(QString::fromStdString(nose.string()));
    control<QLineEdit>(w, "Text2")->setText(QString::fromStdString(nose.string()));
    dialogs.answerMessage().answerMessage().answerSaveFile(QString());
    clickToolbar(w, 1);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_TRUE(dialogs.messages()[0].text.contains(" starts at the leading edge"));
    EXPECT_EQ(dialogs.messages()[0].title, "DAT File Warning");
    EXPECT_EQ(test::readFile(m.dir / "cut_cnt.ct2").empty(), false);  // generated all the same
}

// Generate before the setup window's Done: the sizes are blank (or letters, or 0), and the
// window says which one and where it comes from instead of an arithmetic error; nothing of the
// working set changes.
TEST_F(WingGenerationWindowTest, GenerateWithoutTheSetupsSizesSaysWhatIsMissing) {
    for (const CutSetKind kind : {CutSetKind::Foam, CutSetKind::Wing}) {
        WingGenerationWindow w(m.ws, dialogs, nullptr, kind);
        open(w);
        const std::vector<std::string> before = folderNames();
        const bool foam = kind == CutSetKind::Foam;
        const struct {
            const char* left;
            const char* right;
            const char* label;
        } cases[] = {{"", "", "Label3"},
                     {"120", "abc", "Label4"},
                     {"0", "120", "Label3"},
                     {"120", "-5", "Label4"}};
        for (const auto& c : cases) {
            fill(w, "120");
            control<QLineEdit>(w, "Text6")->setText(c.left);
            control<QLineEdit>(w, "Text7")->setText(c.right);
            dialogs.clearCalls();
            dialogs.answerMessage();
            clickToolbar(w, 1);
            ASSERT_EQ(dialogs.messages().size(), 1u) << c.left << "|" << c.right;
            const DialogCall& said = dialogs.messages()[0];
            EXPECT_EQ(said.title, foam ? "Foam Setup Missing" : "Wing Setup Missing");
            EXPECT_TRUE(said.text.startsWith(control<QLabel>(w, c.label)->text() + " is not set"))
                << said.text.toStdString();
            EXPECT_TRUE(said.text.contains(foam ? "foam setup" : "wing setup"));
            EXPECT_FALSE(said.text.contains("Error Number"));
            EXPECT_EQ(folderNames(), before);  // no working set begun
        }
    }
}

// "Cut the designed profiles at the foam faces": off by default; ticked, the panel's boxes show,
// the face and tower chords stand side by side, Generate makes a face set, and a panel the
// towers cannot hold is refused with its numbers, the working set left as it was.
TEST_F(WingGenerationWindowTest, FaceGeometryChosenInTheWindow) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, " ");
    auto* choice = control<QCheckBox>(w, "face_geometry");
    EXPECT_EQ(choice->text(), "Cut the designed profiles at the foam faces");
    EXPECT_FALSE(choice->isChecked());
    EXPECT_FALSE(control<QLineEdit>(w, "face_span")->isVisible());
    choice->setChecked(true);
    EXPECT_TRUE(control<QLineEdit>(w, "face_span")->isVisible());
    EXPECT_EQ(control<QLineEdit>(w, "face_left_kerf")->text(), "0");  // the settings' KerfMm
    const std::pair<const char*, const char*> boxes[] = {{"face_left_chord", "200"},
                                                         {"face_right_chord", "100"},
                                                         {"face_towers", "800"},
                                                         {"face_left_gap", "100"},
                                                         {"face_span", "600"}};
    for (auto [name, value] : boxes) {
        auto* e = control<QLineEdit>(w, name);
        e->setText(value);
        emit e->textEdited(value);
    }
    // 200 + 100 x 100 / 600 and 100 - 100 x 100 / 600.
    EXPECT_EQ(control<QLabel>(w, "face_chords")->text(),
              "Left: face 200 mm, tower 216.67 mm      Right: face 100 mm, tower 83.33 mm");

    dialogs.answerSaveFile(QString());
    EXPECT_EQ(w.generate(), GenerationStatus::Finished);
    const std::string info = test::readFile(m.dir / "datinfo.ct3");
    EXPECT_NE(info.find(",216.666666666667,83.3333333333333,"), std::string::npos) << info;
    EXPECT_NE(info.find(",\"faces\",200,100,800,100,600,"), std::string::npos) << info;

    open(w);
    const std::string before = working();
    auto* span = control<QLineEdit>(w, "face_span");
    span->setText("750");
    emit span->textEdited("750");
    EXPECT_TRUE(control<QLabel>(w, "face_chords")->text().startsWith("The right face lies"));
    dialogs.answerMessage();
    EXPECT_EQ(w.generate(), GenerationStatus::Refused);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Face Geometry");
    EXPECT_TRUE(dialogs.messages()[0].text.contains("850 mm"))
        << dialogs.messages()[0].text.toStdString();
    EXPECT_EQ(working(), before);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// The set is made for the speed the setup gave (the cut window measures its slider against
// it) with the kerf of the material in use, and says which; a materials.txt that cannot say which
// material is in use stops the generation, since a set made with the settings' kerf instead would
// come out the wrong size without a word.
TEST_F(WingGenerationWindowTest, TheSetKeepsItsSpeedAndMaterialAndAnUnknownMaterialStopsIt) {
    WingGenerationWindow w(m.ws, dialogs);
    open(w);
    fill(w, "200");
    m.ws.motion.CutSpeed = Fixed4::fromInt(3);
    dialogs.answerSaveFile(QString::fromStdString((m.dir / "wing").string()));
    EXPECT_EQ(w.generate(), GenerationStatus::Finished);
    EXPECT_EQ(m.ws.job.madeForSpeedMmS, 3.0);

    EXPECT_EQ(control<QLabel>(w, "Label13")->text(),
              QString::fromUtf8("切缝来自设置\n左侧切缝 0.000 毫米\n右侧切缝 0.000 毫米"));

    // With a material in use the set takes its kerf at the setup's speed, and says so.
    std::string why;
    MaterialTable table;
    table.inUse = "EPS 泡沫";
    table.materials.push_back(*makeMaterial(table.inUse, {{2, 1.4, {}}, {6, 0.6, {}}}, why));
    writeMaterials(m.dir / "materials.txt", table);
    m.ws.motion.CutSpeed = Fixed4::fromInt(4);
    dialogs.answerSaveFile(QString::fromStdString((m.dir / "wing").string()));
    EXPECT_EQ(w.generate(), GenerationStatus::Finished);
    EXPECT_EQ(control<QLabel>(w, "Label13")->text(),
              QString::fromUtf8("切缝来自材料 (按 4 毫米/秒 生成):\nEPS 泡沫\n左侧切缝 1.000 "
                                "毫米\n右侧切缝 1.000 毫米"));
    std::string recordWhy;
    const std::optional<SetKerfRecord> record =
        setKerfRecordFromFields(allDatInfoFields(test::readFile(m.dir / "datinfo.ct3")), recordWhy);
    ASSERT_TRUE(record) << recordWhy;
    EXPECT_EQ(record->cutSpeedMmS, 4);
    EXPECT_EQ(record->material, "EPS 泡沫");
    m.ws.motion.CutSpeed = Fixed4::fromInt(8);  // beyond the points: the nearest one's kerf
    dialogs.answerMessage();                    // the generation's warning says so first
    dialogs.answerSaveFile(QString::fromStdString((m.dir / "wing").string()));
    EXPECT_EQ(w.generate(), GenerationStatus::Finished);
    EXPECT_TRUE(
        control<QLabel>(w, "Label13")
            ->text()
            .endsWith(QString::fromUtf8("右侧切缝 0.600 毫米\n超出测量范围, 取最近测量点的切缝")));
    fs::remove(m.dir / "materials.txt");
    m.ws.motion.CutSpeed = Fixed4::fromInt(3);
    dialogs.answerSaveFile(QString::fromStdString((m.dir / "wing").string()));
    EXPECT_EQ(w.generate(), GenerationStatus::Finished);

    const std::string before = working();
    m.ws.motion.CutSpeed = Fixed4::fromInt(5);
    const std::pair<const char*, const char*> files[] = {
        {"\"in use\",\"\"\r\n\"EPS\",2,4,0.9,\"\"\r\n", "materials.txt 无法读取"},
        {"\"in use\",\"XPS\"\r\n\"EPS\",2,2,1.2,\"\",6,0.6,\"\"\r\n",
         "使用中的材料不在 materials.txt 中"},
    };
    for (const auto& [text, message] : files) {
        test::writeFile(m.dir / "materials.txt", text);
        dialogs.clearCalls();
        dialogs.answerMessage();
        EXPECT_EQ(w.generate(), GenerationStatus::Refused);
        ASSERT_EQ(dialogs.messages().size(), 1u);
        EXPECT_TRUE(dialogs.messages()[0].text.startsWith(QString::fromUtf8(message)))
            << dialogs.messages()[0].text.toStdString();
        EXPECT_EQ(working(), before);
        EXPECT_EQ(m.ws.job.madeForSpeedMmS, 3.0);
    }
}

}  // namespace
}  // namespace corvane
