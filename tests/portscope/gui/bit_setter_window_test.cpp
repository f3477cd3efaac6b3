// TForm2 on the simulated machine: the three set-ups, row clicks, refreshes that touch only
// the changed cells, and its opening from the main window's menus with the sampler feeding it.
#include "portscope/gui/bit_setter_window.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "portscope/gui/scope_window.h"
#include "portscope/simulated_machine.h"

namespace portscope {
namespace {

QStringList column(QTableWidget* grid, int c) {
    QStringList texts;
    for (int r = 0; r < grid->rowCount(); ++r) texts << grid->item(r, c)->text();
    return texts;
}

void clickRow(QTableWidget* grid, int row) {
    const QRect cell = grid->visualItemRect(grid->item(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

TEST(BitSetter, ShowsEachRegistersSetupAndFlipsTheClickedRow) {
    SimulatedMachine sim;
    IoUnit io(sim);
    io.start();
    BitSetterWindow setter(io, nullptr);
    QTableWidget* grid = setter.findChild<QTableWidget*>("BitGrid");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "Bit State");

    sim.setControl(0x378, 0x00);
    setter.setRegister(0x378, 2);
    setter.show();
    EXPECT_EQ(setter.windowTitle(), "Bit Setter - Control Port");
    EXPECT_EQ(column(grid, 4),
              (QStringList{"High", "High", "Low", "High", "N/A", "N/A", "N/A", "N/A"}));
    EXPECT_EQ(grid->item(5, 3)->data(Qt::UserRole).toInt(), 32);

    setter.setRegister(0x378, 1);
    EXPECT_EQ(setter.windowTitle(), "Bit Setter - Status Port");
    EXPECT_EQ(column(grid, 4),
              (QStringList{"N/A", "N/A", "N/A", "High", "High", "High", "High", "High"}));
    clickRow(grid, 4);  // the hardware takes no status writes
    EXPECT_EQ(column(grid, 2), (QStringList{"0", "0", "0", "1", "1", "1", "1", "0"}));

    setter.setRegister(0x378, 0);
    EXPECT_EQ(setter.windowTitle(), "Bit Setter - Data Port");
    int changedCells = 0;
    QObject::connect(grid, &QTableWidget::itemChanged, [&] { ++changedCells; });
    clickRow(grid, 3);
    EXPECT_EQ(sim.data(0x378), 0x08);
    EXPECT_EQ(grid->item(3, 2)->text(), "1");
    EXPECT_EQ(grid->item(3, 4)->text(), "High");
    EXPECT_EQ(changedCells, 2);  // the row's "Bit State" and "Pin State" only
    setter.refresh();
    EXPECT_EQ(changedCells, 2);
    setter.findChild<QPushButton*>("CloseButton")->click();
    EXPECT_FALSE(setter.isVisible());
}

TEST(BitSetter, OpensModallyFromTheMenuAndFollowsTheSampler) {
    SimulatedMachine sim;
    IoUnit io(sim);
    io.start();
    ScopeWindow window(io, {}, QStringLiteral("Simulated port"));
    window.start();
    window.show();
    BitSetterWindow* setter = window.bitSetter();
    QString caption;
    QString stateWhileOpen;
    QTimer::singleShot(0, [&] {
        caption = setter->windowTitle();
        sim.setControl(0x378, 0x0D);
        window.sampleNow();
        stateWhileOpen = setter->grid()->item(0, 2)->text();
        setter->findChild<QPushButton*>("CloseButton")->click();
    });
    QWidget* cell = window.findChild<QWidget*>("Port3Dec");
    emit cell->customContextMenuRequested(QPoint(1, 1));
    auto* menu = window.findChild<QMenu*>("ValueMenu");
    menu->hide();
    menu->actions().first()->trigger();
    EXPECT_EQ(caption, "Bit Setter - Control Port");
    EXPECT_EQ(stateWhileOpen, "1");
    EXPECT_FALSE(setter->isVisible());
}

}  // namespace
}  // namespace portscope
