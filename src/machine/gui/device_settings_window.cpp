#include "machine/gui/device_settings_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/file_io.h"
#include "common/folder_lock.h"
#include "common/run_error.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/fitted_body.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QString& q) {
    return q.toStdString();
}

const QStringList kAxisPins = {"Pin 2", "Pin 3", "Pin 4", "Pin 5",
                               "Pin 6", "Pin 7", "Pin 8", "Pin 9"};

// A check box shows 0 unchecked, 1 checked, 2 grey.
Qt::CheckState checkState(int value) {
    if (value == 1) return Qt::Checked;
    if (value == 2) return Qt::PartiallyChecked;
    return Qt::Unchecked;
}

int checkValue(Qt::CheckState state) {
    if (state == Qt::Checked) return 1;
    if (state == Qt::PartiallyChecked) return 2;
    return 0;
}

QString pinList(const QComboBox& combo) {
    QStringList pins;
    for (int i = 0; i < combo.count(); ++i) pins << combo.itemText(i);
    return pins.join(QStringLiteral(", "));
}

}  // namespace

DeviceSettingsWindow::DeviceSettingsWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs), edits_(ws.settings.fields) {
    setObjectName("Form9");
    setWindowFlag(Qt::Window);
    setWindowTitle("设备设置");
    buildControls();
    refreshFromModel();
    connectControls();
}

QLineEdit* DeviceSettingsWindow::makeText(const char* name, std::string SettingsFields::*field) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    texts_.push_back({edit, field});
    return edit;
}

QComboBox* DeviceSettingsWindow::makeCombo(const char* name, const QStringList& items,
                                           std::string SettingsFields::*field) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setMinimumContentsLength(9);
    combos_.push_back({combo, field});
    return combo;
}

QCheckBox* DeviceSettingsWindow::makeCheck(const char* name, const QString& caption,
                                           int SettingsFields::*field) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    checks_.push_back({box, field});
    return box;
}

QRadioButton* DeviceSettingsWindow::makeOption(const char* name, const QString& caption,
                                               bool SettingsFields::*field) {
    auto* option = new QRadioButton(caption, this);
    option->setObjectName(name);
    options_.push_back({option, field});
    return option;
}

void DeviceSettingsWindow::buildControls() {
    using F = SettingsFields;
    int labelNumber = 0;
    auto label = [&](const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString("Label%1").arg(++labelNumber));
        return l;
    };
    auto frame = [&](const char* name, const QString& caption) {
        auto* f = new QGroupBox(caption, this);
        f->setObjectName(name);
        return f;
    };

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{"Reset Defaults", "Reset Defaults", "reset", "Reset Default Values"},
                          {"Done", "Done", "done", "Done"}});
    connect(toolbar_, &Toolbar::buttonClicked, this, &DeviceSettingsWindow::onToolbar);

    // Lead-in/lead-out options.
    auto* frame1 = frame("Frame1", "引导切割选项");
    auto* leadIn = makeCheck("lead_in", "使用导入/导出切割", &F::lead_in);
    frame2_ = frame("Frame2", "设置导入方向");
    auto* f2 = new QGridLayout(frame2_);
    f2->addWidget(makeOption("horizontal", "水平", &F::horizontal), 0, 0);
    f2->addWidget(makeOption("vertical", "垂直", &F::vertical), 0, 1);
    f2->addWidget(makeCheck("lead_out", "变换导出切割方向", &F::lead_out), 1, 0, 1, 2);
    f2->addWidget(label("数值 - 毫米"), 2, 0);
    f2->addWidget(makeText("lead_in_amount", &F::lead_in_amount), 2, 1);
    auto* f1 = new QVBoxLayout(frame1);
    f1->addWidget(leadIn);
    f1->addWidget(frame2_);

    // Foam blank options.
    auto* frame3 = frame("Frame3", "泡沫原材料选项");
    auto* oversize = makeCheck("oversize_foam", "Oversize Foam Blank", &F::oversize_foam);
    frame4_ = frame("Frame4", "Amounts");
    auto* f4 = new QGridLayout(frame4_);
    f4->addWidget(label("Depth - mm"), 0, 0);
    f4->addWidget(makeText("foam_blank_depth", &F::foam_blank_depth), 0, 1);
    f4->addWidget(label("宽度-毫米"), 1, 0);
    f4->addWidget(makeText("foam_blank_width", &F::foam_blank_width), 1, 1);
    auto* f3 = new QVBoxLayout(frame3);
    f3->addWidget(oversize);
    f3->addWidget(frame4_);

    // Stepper motor options.
    auto* frame5 = frame("Frame5", "步进电机选项");
    auto* f5 = new QGridLayout(frame5);
    f5->addWidget(makeCheck("reverseX1", "X1反向", &F::reverseX1), 0, 0);
    f5->addWidget(makeCheck("reverseY1", "Y1反向", &F::reverseY1), 0, 1);
    f5->addWidget(makeCheck("reverseX2", "X2反向", &F::reverseX2), 1, 0);
    f5->addWidget(makeCheck("reverseY2", "Y2反向", &F::reverseY2), 1, 1);
    f5->addWidget(label("Max. Speed - Hz"), 2, 0);
    f5->addWidget(makeText("max_speed", &F::max_speed), 2, 1);
    f5->addWidget(label("Accelerate - Hz/s"), 3, 0);
    f5->addWidget(makeText("accel_rate", &F::accel_rate), 3, 1);
    f5->addWidget(label("步/每毫米"), 4, 0);
    f5->addWidget(makeText("steps_per_inch", &F::steps_per_inch), 4, 1);

    // Pin assignment: the eight axis signals, the wire pin and its level.
    auto* frame6 = frame("Frame6", "引脚分配");
    auto* f6 = new QGridLayout(frame6);
    const std::pair<const char*, std::string F::*> axisCombos[] = {
        {"x1_dir", &F::x1_dir},   {"x1_step", &F::x1_step}, {"y1_dir", &F::y1_dir},
        {"y1_step", &F::y1_step}, {"x2_dir", &F::x2_dir},   {"x2_step", &F::x2_step},
        {"y2_dir", &F::y2_dir},   {"y2_step", &F::y2_step}};
    const char* axisLabels[] = {"X1 Direction", "X1 Step", "Y1 Direction", "Y1 Step",
                                "X2 Direction", "X2 Step", "Y2 Direction", "Y2 Step"};
    for (int i = 0; i < 8; ++i) {
        f6->addWidget(label(axisLabels[i]), i / 2, (i % 2) * 2);
        QComboBox* pin = makeCombo(axisCombos[i].first, kAxisPins, axisCombos[i].second);
        pinCombos_.emplace_back(pin, QString::fromUtf8(axisLabels[i]));
        f6->addWidget(pin, i / 2, (i % 2) * 2 + 1);
    }
    f6->addWidget(label("热丝控制"), 4, 0);
    QComboBox* wirePin =
        makeCombo("enable", {"Pin 1", "Pin 14", "Pin 16", "Pin 17", "Not Used"}, &F::enable);
    pinCombos_.emplace_back(wirePin, QStringLiteral("热丝控制"));
    f6->addWidget(wirePin, 4, 1);
    f6->addWidget(makeOption("active_low", "低电平有效", &F::active_low), 4, 2);
    f6->addWidget(makeOption("active_high", "高电平有效", &F::active_high), 4, 3);
    // Filled by the program from the wire pin and its level; the cut runners read them.
    auto* hold = makeText("enable_hold", &F::enable_hold);
    auto* holdBit = makeText("enable_hold_bit", &F::enable_hold_bit);
    hold->setReadOnly(true);
    holdBit->setReadOnly(true);
    hold->hide();
    holdBit->hide();

    auto* frame7 = frame("Frame7", "并口地址");
    auto* f7 = new QHBoxLayout(frame7);
    f7->addWidget(label("端口地址"));
    f7->addWidget(makeCombo("port_address", {"378h", "278h", "3BCh"}, &F::port_address));

    auto* frame8 = frame("Frame8", "切口调整");
    auto* f8 = new QHBoxLayout(frame8);
    f8->addWidget(label("电热丝直径"));
    f8->addWidget(makeText("kerf", &F::kerf));
    f8->addWidget(label("mm"));

    auto* grid = new QGridLayout;
    grid->addWidget(frame1, 0, 0);
    grid->addWidget(frame3, 0, 1);
    grid->addWidget(frame5, 1, 0);
    grid->addWidget(frame6, 1, 1, 2, 1);
    auto* addressAndKerf = new QVBoxLayout;
    addressAndKerf->addWidget(frame7);
    addressAndKerf->addWidget(frame8);
    grid->addLayout(addressAndKerf, 2, 0);

    // The frames scroll below the toolbar where the main window is too small to show them all.
    auto* content = new QWidget;
    content->setLayout(grid);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar_);
    layout->addWidget(new FittedBody(content, this), 1);
}

void DeviceSettingsWindow::connectControls() {
    // Every edit goes into the window's own fields; showing them is not an edit.
    for (auto& [edit, field] : texts_) {
        connect(edit, &QLineEdit::textChanged, this, [this, f = field](const QString& text) {
            if (!refreshing_) edits_.*f = s(text);
        });
    }
    for (auto& [combo, field] : combos_) {
        connect(combo, &QComboBox::currentTextChanged, this,
                [this, f = field](const QString& text) {
                    if (!refreshing_) edits_.*f = s(text);
                });
    }
    for (auto& [box, field] : checks_) {
        connect(box, &QCheckBox::stateChanged, this, [this, b = box, f = field](int state) {
            if (refreshing_) return;
            edits_.*f = checkValue(static_cast<Qt::CheckState>(state));
            // The grey state is the program's to set; a click leaves only 0 and 1.
            if (state != Qt::PartiallyChecked) b->setTristate(false);
        });
    }
    for (auto& [option, field] : options_) {
        connect(option, &QRadioButton::toggled, this, [this, f = field](bool on) {
            if (!refreshing_) edits_.*f = on;
        });
    }
    auto* leadIn = findChild<QCheckBox*>("lead_in");
    auto* oversize = findChild<QCheckBox*>("oversize_foam");
    connect(leadIn, &QCheckBox::clicked, this, &DeviceSettingsWindow::updateFrames);
    connect(oversize, &QCheckBox::clicked, this, &DeviceSettingsWindow::updateFrames);
}

void DeviceSettingsWindow::refreshFromModel() {
    edits_ = ws_.settings.fields;
    showEdits();
}

void DeviceSettingsWindow::showEdits() {
    const SettingsFields& f = edits_;
    refreshing_ = true;
    for (auto& [edit, field] : texts_) {
        if (edit->text() != q(f.*field)) edit->setText(q(f.*field));
    }
    for (auto& [combo, field] : combos_) combo->setEditText(q(f.*field));
    for (auto& [box, field] : checks_) {
        box->setTristate(f.*field == 2);
        box->setCheckState(checkState(f.*field));
    }
    // Options of one frame exclude each other; "neither selected" needs the exclusion off.
    for (auto& [option, field] : options_) {
        option->setAutoExclusive(false);
        option->setChecked(f.*field);
    }
    for (auto& [option, field] : options_) option->setAutoExclusive(true);
    refreshing_ = false;
}

void DeviceSettingsWindow::updateFrames() {
    frame2_->setEnabled(edits_.lead_in == 1);
    frame4_->setEnabled(edits_.oversize_foam == 1);
}

bool DeviceSettingsWindow::refuseWhileLeased() {
    if (!ws_.lease.held()) return false;
    dialogs_.message(QString::fromStdString(ws_.lease.settingsRefusal()),
                     QString::fromUtf8(kMachineBusyTitle), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

bool DeviceSettingsWindow::loadSettings() {
    // A reload under a running cut or move would change its pins and port between two ticks:
    // the window shows the settings in force and reads the file again once the machine is free.
    if (refuseWhileLeased()) {
        refreshFromModel();
        return false;
    }
    // A load is a fresh window: it starts from the initial values and enabled frames, so a file
    // that fails part-way leaves the initial values beyond the failure, not an earlier state.
    loaded_ = true;
    frame2_->setEnabled(true);
    frame4_->setEnabled(true);
    bool ok = true;
    // Read into a copy: a failing step leaves what was already done, as the load always has,
    // but the wire pin and level in force, and the copy then comes into force with the wire
    // pins driven inactive on the way.
    MachineSettings next = ws_.settings;
    next.fields = SettingsFields{};
    try {
        next.load(ws_.file("settings.txt"), &ws_.settings);
    } catch (const std::exception& e) {
        reportError(dialogs_, e, "Module 9, Load Data");
        ok = false;
    }
    try {
        applyMachineSettings(ws_, next);
    } catch (const std::exception& e) {
        reportError(dialogs_, e, "Module 9, Load Data");
        ok = false;
    }
    // Whatever the file gave, the controls show it; the frames follow their boxes only when the
    // load got to that step, which comes after every derivation.
    refreshFromModel();
    if (ok) updateFrames();
    emit settingsApplied();
    return ok;
}

void DeviceSettingsWindow::resetDefaults() {
    edits_.resetDefaults();
    showEdits();
    updateFrames();
}

bool DeviceSettingsWindow::refuseUnknownPin() {
    for (const auto& [combo, field] : pinCombos_) {
        const QString text = combo->currentText().trimmed();
        // The not-used entry is stored in its own words.
        if (combo->findText(text) >= 0 || text == QString::fromUtf8(kEnableNotUsed)) continue;
        dialogs_.message(QStringLiteral("%1: \"%2\" is not a pin of this field. Choose one "
                                        "from its list (%3).")
                             .arg(field, combo->currentText(), pinList(*combo)),
                         QStringLiteral("Pin Assignment"), MsgButtons::Ok, MsgIcon::Warning);
        combo->setFocus();
        combo->lineEdit()->selectAll();
        return true;
    }
    return false;
}

bool DeviceSettingsWindow::done() {
    // Refused before the file is written: the window stays open with the edits.
    if (refuseWhileLeased() || refuseUnknownPin()) return false;
    MachineSettings next = ws_.settings;
    next.fields = edits_;
    // The file first: a failed write commits nothing, the window stays open with the edits and
    // the settings in force stay as they were.
    try {
        FolderLock lock(ws_.appFolder());  // one writer of the application folder at a time
        writeFileAtomic(ws_.file("settings.txt"), next.fileLine());
    } catch (const std::exception& e) {
        reportError(dialogs_, e, "Module 9, Close");
        return false;
    }
    bool ok = true;
    try {
        next.derive();
    } catch (const std::exception& e) {
        // The file is written: what was derived before the failure is in force, as at a load.
        reportError(dialogs_, e, "Module 9, Close");
        ok = false;
    }
    try {
        applyMachineSettings(ws_, next);
    } catch (const std::exception& e) {
        reportError(dialogs_, e, "Module 9, Close");
        ok = false;
    }
    // The derivation fills enable_hold and enable_hold_bit.
    refreshFromModel();
    emit settingsApplied();
    if (ok) hide();
    return ok;
}

void DeviceSettingsWindow::onToolbar(int index) {
    if (index == 1) resetDefaults();
    if (index == 2) done();
}

void DeviceSettingsWindow::showAndActivate() {
    if (!loaded_) loadSettings();
    // Placed before it is mapped too, so the window manager takes that place from the start.
    if (!isVisible()) placeOnFrame();
    show();
    raise();
    placeOnFrame();
    activateWindow();
}

void DeviceSettingsWindow::placeOnFrame() {
    // Every control in reach without scrolling: it may cover the status bar on a small screen.
    fitAndPlaceInFrame(*this, Placement::Tool, FitRoom::Screen);
}

void DeviceSettingsWindow::closeEvent(QCloseEvent* event) {
    // Unloading drops the edits (the settings in force never saw them), and the next use reads
    // settings.txt again. The window object itself stays for the frame to reuse.
    refreshFromModel();
    updateFrames();
    loaded_ = false;
    event->accept();  // hidden, not deleted (no WA_DeleteOnClose)
}

bool DeviceSettingsWindow::event(QEvent* event) {
    // Coming back from one of our own message boxes or file dialogs is not an activation.
    if (activation_.isActivation(this, event)) placeOnFrame();
    return QWidget::event(event);
}

}  // namespace corvane
