// TForm1 as the operator uses it, on the simulated machine, offscreen: the rows, the
// connector, typing values, clicking pins, the pop-up menus, beeps, rates, the pages and
// parport.ini between two runs.
#include "portscope/gui/scope_window.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "portscope/gui/bit_setter_window.h"
#include "portscope/gui/colour_box.h"
#include "portscope/gui/connector_view.h"
#include "portscope/simulated_machine.h"

namespace portscope {
namespace {

namespace fs = std::filesystem;

class Scope : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("portscope_gui_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        ini = dir / "parport.ini";
    }
    void TearDown() override {
        window.reset();
        fs::remove_all(dir);
    }
    void open(std::vector<uint16_t> ports = {0x378, 0x278}) {
        window.reset();
        io.reset();
        sim = std::make_unique<SimulatedMachine>(std::move(ports));
        io = std::make_unique<IoUnit>(*sim);
        io->start();
        window = std::make_unique<ScopeWindow>(*io, ini, QStringLiteral("Simulated port"));
        window->showError = [this](const QString& text) { errors << text; };
        window->beep = [this] { ++beeps; };
        window->start();
        window->show();
    }
    template <typename T = QWidget>
    T* find(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* name) { return find<QLabel>(name)->text(); }
    void click(const char* name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    void type(const char* cell, const QString& entry) {
        click(cell);
        auto* edit = find<QLineEdit>("Edit1");
        EXPECT_TRUE(edit->isVisible());
        edit->selectAll();
        QTest::keyClicks(edit, entry);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QStringList menuTexts(const char* menu) {
        QStringList texts;
        for (QAction* a : find<QMenu>(menu)->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }
    void menuItem(const char* cell, const char* menu, const QString& item) {
        emit find(cell)->customContextMenuRequested(QPoint(2, 2));
        QMenu* m = find<QMenu>(menu);
        for (QAction* a : m->actions())
            if (a->text() == item) a->trigger();
        m->hide();
    }
    QColor pin(const char* shape) { return find<PinShape>(shape)->colour(); }

    fs::path dir, ini;
    std::unique_ptr<SimulatedMachine> sim;
    std::unique_ptr<IoUnit> io;
    std::unique_ptr<ScopeWindow> window;
    QStringList errors;
    int beeps = 0;
};

const QColor kRed(255, 0, 0), kLime(0, 255, 0), kGrey(128, 128, 128);

TEST_F(Scope, ShowsTheRowsAndTheConnectorAndAlternatesBetweenTwoPorts) {
    open();
    EXPECT_EQ(find<QStackedWidget>("Notebook1")->currentWidget()->objectName(), "Main");
    EXPECT_EQ(text("Port1Label"), "378");
    EXPECT_EQ(text("Port2Label"), "379");
    EXPECT_EQ(text("Port3Label"), "37A");
    EXPECT_EQ(text("Port2Dec"), "120");
    EXPECT_EQ(text("Port2Hex"), "78");
    EXPECT_EQ(text("Port2Bin"), "01111000");
    EXPECT_EQ(text("Port3Hex"), "0C");
    EXPECT_EQ(text("Panel10"), "No");
    // Control 0C: /C0 and \C1 high at the pin, C2 high, \C3 low; ground in the low colour.
    EXPECT_EQ(pin("STB"), kRed);
    EXPECT_EQ(pin("AFD"), kRed);
    EXPECT_EQ(pin("Init"), kRed);
    EXPECT_EQ(pin("SlctIn"), kLime);
    EXPECT_EQ(pin("Busy"), kRed);  // status 78: bit 7 clear, inverted
    EXPECT_EQ(pin("D0"), kLime);
    EXPECT_EQ(pin("Gnd1"), kLime);
    EXPECT_EQ(find("D0")->toolTip(), "Pin 2 D0 Output");

    EXPECT_EQ(menuTexts("PortMenu"), (QStringList{"&Bit setter...", "-", "378", "278"}));
    EXPECT_EQ(menuTexts("ValueMenu"),
              (QStringList{"&Bit setter...", "-", "&Invert all", "&Clear All", "&Set All"}));
    EXPECT_EQ(menuTexts("BeepMenu"), (QStringList{"&Bit setter..."}));

    sim->setData(0x278, 0x81);
    click("PortHeader");
    EXPECT_EQ(text("Port1Label"), "278");
    EXPECT_EQ(text("Port1Hex"), "81");
    click("PortHeader");
    EXPECT_EQ(text("Port1Label"), "378");
    click("Port3Label");
    EXPECT_EQ(text("Port1Label"), "278");
    menuItem("Port1Label", "PortMenu", "378");
    EXPECT_EQ(text("Port1Label"), "378");
    EXPECT_EQ(text("Port1Hex"), "00");
}

TEST_F(Scope, TypedValuesWriteTheLowByteByTheirColumnsRule) {
    open();
    type("Port1Dec", "300");
    EXPECT_EQ(sim->data(0x378), 44);
    EXPECT_EQ(text("Port1Dec"), "44");
    EXPECT_FALSE(find("Edit1")->isVisible());
    type("Port1Bin", "10201");
    EXPECT_EQ(sim->data(0x378), 17);
    type("Port3Hex", "1G");
    EXPECT_EQ(sim->control(0x378), 1);
    EXPECT_EQ(text("Port3Bin"), "00000001");

    type("Port1Dec", "abc");
    EXPECT_EQ(errors, QStringList{"'abc' is not a valid integer value"});
    EXPECT_EQ(sim->data(0x378), 17);
    type("Port1Bin", "");
    EXPECT_EQ(sim->data(0x378), 17);

    click("Port1Hex");
    EXPECT_EQ(find<QLineEdit>("Edit1")->text(), "11");
    EXPECT_EQ(find("Edit1")->toolTip(), "Esc to cancel");
    QTest::keyClicks(find("Edit1"), "FF");
    QTest::keyClick(find("Edit1"), Qt::Key_Escape);
    EXPECT_FALSE(find("Edit1")->isVisible());
    EXPECT_EQ(sim->data(0x378), 17);

    // Leaving the window drops the entry unwritten.
    click("Port1Dec");
    QTest::keyClicks(find("Edit1"), "9");
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QEvent leave(QEvent::ActivationChange);
    QApplication::sendEvent(window.get(), &leave);
    EXPECT_FALSE(find("Edit1")->isVisible());
    EXPECT_EQ(sim->data(0x378), 17);
}

TEST_F(Scope, PinsAndMenusWriteTheirRegisters) {
    open();
    click("D3");
    EXPECT_EQ(sim->data(0x378), 0x08);
    EXPECT_EQ(text("Port1Hex"), "08");
    EXPECT_EQ(pin("D3"), kRed);
    click("STB");
    EXPECT_EQ(sim->control(0x378), 0x0D);
    EXPECT_EQ(pin("STB"), kLime);
    click("ACK");
    click("Gnd4");
    EXPECT_EQ(text("Port2Hex"), "78");

    menuItem("Port3Dec", "ValueMenu", "&Invert all");
    EXPECT_EQ(sim->control(0x378), 0xF2);
    menuItem("Port1Bin", "ValueMenu", "&Set All");
    EXPECT_EQ(sim->data(0x378), 0xFF);
    menuItem("Port1Hex", "ValueMenu", "&Clear All");
    EXPECT_EQ(sim->data(0x378), 0x00);
    menuItem("Port2Dec", "ValueMenu", "&Set All");
    EXPECT_EQ(text("Port2Hex"), "78");

    find<QCheckBox>("DisableCon")->setChecked(true);
    for (const char* shape : {"STB", "D0", "Busy", "Gnd1"}) EXPECT_EQ(pin(shape), kGrey) << shape;
    click("D0");
    EXPECT_EQ(sim->data(0x378), 0x00);
    sim->setData(0x378, 0x01);
    window->sampleNow();
    EXPECT_EQ(text("Port1Hex"), "01");
    EXPECT_EQ(pin("D0"), kGrey);
    find<QCheckBox>("DisableCon")->setChecked(false);
    EXPECT_EQ(pin("D0"), kRed);
    EXPECT_EQ(pin("Gnd1"), kLime);
}

TEST_F(Scope, BeepsOncePerSampleThatFindsAChange) {
    open();
    click("Panel15");
    EXPECT_EQ(text("Panel15"), "Yes");
    sim->setStatus(0x378, 0x7F);  // the printer unplugged
    window->sampleNow();
    window->sampleNow();
    EXPECT_EQ(beeps, 1);
    sim->setData(0x378, 0x55);
    window->sampleNow();
    EXPECT_EQ(beeps, 1);
    click("BeepHeader");
    EXPECT_EQ(text("Panel10"), "Yes");
    EXPECT_EQ(text("Panel15"), "No");
    EXPECT_EQ(text("Panel20"), "Yes");
}

TEST_F(Scope, RatesColoursAndPages) {
    open();
    auto* rate = find<QComboBox>("SampleRate");
    EXPECT_EQ(rate->count(), 10);
    EXPECT_TRUE(window->idleTimer().isActive());
    rate->setCurrentIndex(3);  // "0.5 seconds"
    EXPECT_FALSE(window->idleTimer().isActive());
    EXPECT_TRUE(window->sampleTimer().isActive());
    EXPECT_EQ(window->sampleTimer().interval(), 500);
    rate->setCurrentIndex(0);
    EXPECT_TRUE(window->idleTimer().isActive());
    EXPECT_FALSE(window->sampleTimer().isActive());

    auto* high = find<ColourBox>("HighColorBox");
    EXPECT_EQ(high->count(), 18);
    EXPECT_EQ(high->currentText(), "Red");
    high->setCurrentIndex(12);
    emit high->activated(12);  // "Blue"
    EXPECT_EQ(pin("STB"), QColor(0, 0, 255));
    auto* low = find<ColourBox>("LowColorBox");
    emit low->activated(17);  // "White"
    EXPECT_EQ(pin("Gnd8"), QColor(255, 255, 255));
    EXPECT_EQ(pin("D0"), QColor(255, 255, 255));

    // Female shows pin 1 at the right of pin 2, male mirrors it.
    EXPECT_GT(find("STB")->x(), find("D0")->x());
    find<QComboBox>("ConType")->setCurrentIndex(1);
    EXPECT_LT(find("STB")->x(), find("D0")->x());
    EXPECT_EQ(find("D5")->x(), find<ConnectorView>("Connector")->pinShape(7)->x());

    window->move(50, 60);
    const QSize size = window->size();
    for (bool on : {true, false}) {
        find<QCheckBox>("OnTop")->setChecked(on);
        EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        EXPECT_EQ(window->pos(), QPoint(50, 60));
        EXPECT_EQ(window->size(), size);
    }

    auto* book = find<QStackedWidget>("Notebook1");
    const std::pair<const char*, const char*> steps[] = {
        {"SettingsButton", "Config"},    {"MoreSettingsButton", "Config2"},
        {"AboutButton", "About"},        {"AboutBackButton", "Config2"},
        {"Config2BackButton", "Config"}, {"ConfigBackButton", "Main"}};
    for (const auto& [button, page] : steps) {
        find<QPushButton>(button)->click();
        EXPECT_EQ(book->currentWidget()->objectName(), page) << button;
    }
    EXPECT_EQ(find<QPushButton>("SettingsButton")->text(), "Click for settings ");
}

// A parport.ini the operator made read-only is left as it was, and closing the window says so in
// the window; a writable one is saved by the close.
TEST_F(Scope, ClosingSavesTheSettingsOrSaysInTheWindowWhyNot) {
    fs::create_directories(dir);
    const std::string kept = "[misc]\nPortUsed=888\n";
    { std::ofstream(ini) << kept; }
    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    open();
    window->close();
    ASSERT_EQ(errors.size(), 1) << "one message, in the window";
    EXPECT_TRUE(errors[0].startsWith("The settings were not saved: ")) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains("read-only")) << errors[0].toStdString();
    std::ifstream in(ini);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kept);
    EXPECT_EQ(fs::status(ini).permissions() & fs::perms::owner_write, fs::perms::none);

    fs::permissions(ini, fs::perms::owner_write, fs::perm_options::add);
    errors.clear();
    open();
    window->close();
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(window->settingsSaved());
    std::ifstream again(ini);
    const std::string saved(std::istreambuf_iterator<char>(again), {});
    EXPECT_NE(saved.find("PortUsed="), std::string::npos);
    EXPECT_NE(saved, kept);
}

TEST_F(Scope, ParportIniCarriesEverySettingToTheNextRun) {
    open();
    click("PortHeader");
    find<QComboBox>("ConType")->setCurrentIndex(1);
    find<QComboBox>("SampleRate")->setCurrentIndex(9);
    find<QCheckBox>("OnTop")->setChecked(true);
    find<QCheckBox>("DisableCon")->setChecked(true);
    find<QCheckBox>("SampleBlink")->setChecked(true);
    find<ColourBox>("HighColorBox")->setCurrentIndex(4);
    emit find<ColourBox>("HighColorBox")->activated(4);  // "Navy"
    click("Panel20");
    window->move(30, 40);
    window->bitSetter()->move(200, 150);
    window->saveSettings();

    open();
    EXPECT_EQ(text("Port1Label"), "278");
    EXPECT_EQ(find<QComboBox>("ConType")->currentIndex(), 1);
    EXPECT_EQ(find<QComboBox>("SampleRate")->currentIndex(), 9);
    EXPECT_EQ(window->sampleTimer().interval(), 60000);
    EXPECT_TRUE(find<QCheckBox>("OnTop")->isChecked());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(find<QCheckBox>("DisableCon")->isChecked());
    EXPECT_EQ(pin("D0"), kGrey);
    EXPECT_TRUE(find<QCheckBox>("SampleBlink")->isChecked());
    EXPECT_TRUE(find("BlinkIndicator")->isVisible());
    EXPECT_EQ(find<ColourBox>("HighColorBox")->currentText(), "Navy");
    EXPECT_EQ(text("Panel20"), "Yes");
    EXPECT_EQ(window->currentSettings().highColor, colourRef(0, 0, 128));
    EXPECT_EQ(window->pos(), QPoint(30, 40));
    EXPECT_EQ(window->bitSetter()->pos(), QPoint(200, 150));
}

TEST_F(Scope, WithoutAPortTheDisplayStaysEmptyAndNothingLowIsTouched) {
    open({});
    EXPECT_TRUE(window->windowTitle().endsWith("no port detected"));
    EXPECT_EQ(text("Port1Label"), "");
    EXPECT_EQ(text("Port1Dec"), "");
    EXPECT_EQ(menuTexts("PortMenu"), QStringList{"&Bit setter..."});
    click("Port1Dec");
    EXPECT_FALSE(find("Edit1")->isVisible());
    click("D0");
    click("PortHeader");
    menuItem("Port1Hex", "ValueMenu", "&Set All");
    menuItem("Port1Hex", "ValueMenu", "&Bit setter...");
    window->sampleNow();
    EXPECT_EQ(pin("D0"), kGrey);
    for (uint16_t a = 0; a < 0x100; ++a) EXPECT_FALSE(sim->touched(a)) << a;
}

}  // namespace
}  // namespace portscope
