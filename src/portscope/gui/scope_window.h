// The main window `TForm1`: the three registers of the watched port in decimal, hexadecimal
// and binary, the drawn connector, beeps, and the pages of its settings. Samples on a timer or,
// at "As fast as possible", whenever the program is idle; parport.ini is read at start and
// written at the end.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "portscope/monitor.h"
#include "portscope/parport_ini.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QStackedWidget;

namespace portscope {

class BitSetterWindow;
class ColourBox;
class ConnectorView;

// A framed cell that reports left clicks; right clicks come as customContextMenuRequested.
class ClickCell : public QLabel {
    Q_OBJECT
public:
    ClickCell(const QString& name, const QString& text, QWidget* parent);
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class ScopeWindow : public QWidget {
    Q_OBJECT
public:
    // `iniPath` empty: settings are neither read nor written (screenshots).
    ScopeWindow(IoUnit& io, std::filesystem::path iniPath, const QString& backend,
                QWidget* parent = nullptr);
    ~ScopeWindow() override;

    // Grants, the Main page, parport.ini, detection, the chosen port and the first sample.
    void start();
    // Writes every key of parport.ini (the bit setter's position too). A failure is said in the
    // window (showError) when `inWindow`, else on stderr (the window is gone after a signal).
    bool saveSettings(bool inWindow = true);
    // True once the window's close saved them (or said why not).
    bool settingsSaved() const { return settingsSaved_; }
    // One sample: reads the three registers and redraws what changed.
    void sampleNow();

    Monitor& monitor() { return monitor_; }
    BitSetterWindow* bitSetter() const { return bitSetter_; }
    QTimer& sampleTimer() { return sampleTimer_; }
    QTimer& idleTimer() { return idleTimer_; }
    ScopeSettings currentSettings() const;

    // Shows the decimal entry's conversion error (tests replace it).
    std::function<void(const QString&)> showError;
    // Sounds the beep (tests count it).
    std::function<void()> beep;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Closing saves parport.ini while the window can still say that it could not.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMainPage(QWidget* page);
    void buildConfigPage(QWidget* page);
    void buildConfig2Page(QWidget* page);
    void buildAboutPage(QWidget* page);
    void buildMenus();
    void applySettings(const ScopeSettings& s);
    void showPage(const char* name);
    void showBeeps();

    void portChanged();
    void addPortItems();
    void showRegister(int offset, uint8_t value);
    void paintPins(int offset, uint8_t value);
    void paintGround();
    void paintGrey();
    void redrawAfterColourChange();
    void idleTick();
    void blink();

    void startEdit(int row, int column);
    void finishEdit();
    void hideEdit();
    void writeRegister(int offset, uint8_t value);
    void pinClicked(int pin);
    void openBitSetter(int row);
    void setSampleRate(int index);
    void setConnectorDisabled(bool disabled);
    void setOnTop(bool on);

    IoUnit& io_;
    Monitor monitor_;
    std::filesystem::path iniPath_;
    QString backend_;
    BitSetterWindow* bitSetter_ = nullptr;

    QStackedWidget* notebook_ = nullptr;
    std::array<ClickCell*, 3> address_{};
    std::array<std::array<ClickCell*, 3>, 3> values_{};  // [row][Dec, Hex, Bin]
    std::array<ClickCell*, 3> beepCells_{};
    ConnectorView* connector_ = nullptr;
    QWidget* blinkIndicator_ = nullptr;
    QLineEdit* edit_ = nullptr;
    int editRow_ = -1;
    int editColumn_ = -1;

    QComboBox* conType_ = nullptr;
    ColourBox* highBox_ = nullptr;
    ColourBox* lowBox_ = nullptr;
    QComboBox* sampleRate_ = nullptr;
    QCheckBox* onTop_ = nullptr;
    QCheckBox* disableCon_ = nullptr;
    QCheckBox* sampleBlink_ = nullptr;

    QMenu* portMenu_ = nullptr;
    QMenu* valueMenu_ = nullptr;
    QMenu* beepMenu_ = nullptr;
    int menuRow_ = 0;

    uint32_t highColour_;
    uint32_t lowColour_;
    bool settingsSaved_ = false;  // by the window's close
    bool connectorDisabled_ = false;
    QTimer sampleTimer_;
    QTimer idleTimer_;
    QTimer blinkTimer_;
    int quietSamples_ = 0;
};

}  // namespace portscope
