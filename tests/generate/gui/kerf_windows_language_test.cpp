// The kerf windows in English: every caption, table header and message the materials and the
// calibration windows (and the buttons that open them) show goes through the translation table,
// including the texts the window pass does not reach by itself (table headers, boxes).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "generate/gui/foam_setup_window.h"
#include "generate/gui/kerf_calibration_window.h"
#include "generate/gui/materials_window.h"
#include "generate/gui/wing_setup_window.h"
#include "machine/gui/gui_test_util.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/ui_language.h"
#include "support/test_support.h"

namespace corvane {
namespace {

// Every text a person reads in the window: title, labels, buttons, table headers.
QStringList shownTexts(QWidget& window) {
    window.grab();  // each caption paints once
    QStringList texts{window.windowTitle()};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window)) continue;
        if (auto* label = qobject_cast<QLabel*>(w)) texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) texts << button->text();
        if (auto* table = qobject_cast<QTableWidget*>(w)) {
            for (int c = 0; c < table->columnCount(); ++c)
                texts << table->horizontalHeaderItem(c)->text();
        }
    }
    return texts;
}

TEST(KerfWindowsInEnglish, EveryCaptionHeaderAndMessageIsTranslated) {
    WindowTranslation translation;
    ASSERT_TRUE(translation.load(QStringLiteral(CORVANE_TRANSLATIONS "/corvane_en.qm")));
    translation.install();
    test::TestMachine m;
    ScriptedDialogs dialogs;
    std::string why;
    MaterialTable table;
    table.inUse = "EPS 20";
    table.materials.push_back(*makeMaterial("EPS 20", {{2, 1.4, {}}, {6, 0.6, {}}}, why));
    writeMaterials(m.ws.file(kMaterialsFileName), table);
    m.ws.motion.CutSpeed = Fixed4::fromInt(9);  // beyond the points: the warning line too
    QWidget frame;

    WingSetupWindow form6(m.ws, dialogs, &frame);
    FoamSetupWindow form12(m.ws, dialogs, &frame);
    form6.show();
    form12.show();
    QStringList texts{form6.findChild<QPushButton*>("Command10")->text(),
                      form12.findChild<QPushButton*>("Command3")->text()};
    MaterialsWindow* materials = MaterialsWindow::openIn(m.ws, dialogs, &frame);
    ASSERT_TRUE(materials->select("EPS 20"));
    texts << shownTexts(*materials);
    EXPECT_TRUE(texts.contains("Materials and Kerf")) << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.contains("Speed - mm/s"));

    materials->openCalibration();
    auto* calibration = frame.findChild<KerfCalibrationWindow*>("FormKerfCalibration");
    ASSERT_NE(calibration, nullptr);
    auto* grid = calibration->findChild<QTableWidget*>("Grid1");
    for (int r = 0; r < grid->rowCount(); ++r) grid->item(r, 2)->setText("19.2");
    ASSERT_TRUE(calibration->computeKerf());
    calibration->toggleHelp();
    texts << shownTexts(*calibration);
    EXPECT_TRUE(texts.contains("Measured Width - mm"));
    EXPECT_TRUE(calibration->findChild<QLabel*>("Label9")->text().contains(
        "kerf = nominal width - measured width"));

    // The pictures before the refusals empty the editor and the comb.
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        EXPECT_TRUE(materials->grab().save(dir + "/en-materials-window.png"));
        calibration->resize(820, 900);
        EXPECT_TRUE(calibration->grab().save(dir + "/en-calibration-window.png"));
    }

    // A refusal of each window, in the language its box will show it in.
    dialogs.answerMessage().answerMessage();
    materials->newMaterial();
    materials->saveMaterial();
    calibration->findChild<QLineEdit*>("Text1")->setText("2, 2");
    calibration->makeCalibrationSet();
    ASSERT_EQ(dialogs.messages().size(), 2u);
    for (const DialogCall& call : dialogs.messages()) texts << translatedText(call.text);

    for (const QString& t : texts) EXPECT_FALSE(hasChineseText(t)) << t.toStdString();

    translation.uninstall();
}

}  // namespace
}  // namespace corvane
