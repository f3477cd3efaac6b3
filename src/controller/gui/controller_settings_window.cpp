// The controller's choice, its check and its unlock.
#include "controller/gui/controller_settings_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "common/number_format.h"
#include "controller/controller_address.h"
#include "controller/grbl_connection.h"
#include "controller/libserialport_line.h"
#include "controller/settings_comparison.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/fitted_body.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {
constexpr int kCheck = 1, kUnlock = 2, kDone = 3;
const QString kNoController = QStringLiteral("Parallel port (no controller)");
}  // namespace

ControllerSettingsWindow::ControllerSettingsWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), ws_(ws), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormController"));
    setWindowTitle(QStringLiteral("Controller Settings"));
    auto* layout = new QVBoxLayout(this);
    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{QStringLiteral("Check"), QStringLiteral("Connect and compare"),
                           QString(), QStringLiteral("Connect and compare the settings")},
                          {QStringLiteral("Unlock ($X)"), QStringLiteral("Clear the alarm"),
                           QString(), QStringLiteral("Clear the controller's alarm")},
                          {QStringLiteral("Done"), QStringLiteral("Done and Close"), QString(),
                           QStringLiteral("Done and Close")}});
    connect(toolbar_, &Toolbar::buttonClicked, this, &ControllerSettingsWindow::onToolbar);
    layout->addWidget(toolbar_);

    auto* machine = new QGroupBox(QStringLiteral("Machine connection"), this);
    auto* form = new QFormLayout(machine);
    port_ = new QComboBox(machine);
    port_->setObjectName(QStringLiteral("Combo1"));
    port_->setEditable(true);
    port_->setMinimumWidth(260);
    form->addRow(QStringLiteral("Serial port"), port_);
    baud_ = new QLineEdit(QString::number(kDefaultControllerBaud), machine);
    baud_->setObjectName(QStringLiteral("Text1"));
    form->addRow(QStringLiteral("Baud rate"), baud_);
    layout->addWidget(machine);

    auto* wire = new QGroupBox(QStringLiteral("Hot wire output"), this);
    auto* wireLayout = new QFormLayout(wire);
    spindle_ = new QRadioButton(QStringLiteral("Spindle (M3 S<power> / M5)"), wire);
    spindle_->setObjectName(QStringLiteral("Option1"));
    coolant_ = new QRadioButton(QStringLiteral("Coolant relay (M8 / M9)"), wire);
    coolant_->setObjectName(QStringLiteral("Option2"));
    power_ = new QLineEdit(wire);
    power_->setObjectName(QStringLiteral("Text2"));
    wireLayout->addRow(spindle_);
    wireLayout->addRow(coolant_);
    wireLayout->addRow(QStringLiteral("Power (S)"), power_);
    layout->addWidget(wire);

    homing_ = new QCheckBox(QStringLiteral("Home runs the homing cycle ($H)"), this);
    homing_->setObjectName(QStringLiteral("Check1"));
    layout->addWidget(homing_);
    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("Text3"));
    report_->setReadOnly(true);
    report_->setMinimumSize(460, 160);
    layout->addWidget(report_);

    refreshPorts();
    const ControllerChoice saved = ControllerChoice::load(ws_.appFolder());
    showChoice(saved);
    if (!saved.address.empty()) apply(saved, false);
}

ControllerSettingsWindow::~ControllerSettingsWindow() {
    if (ws_.controller == connection_.get()) ws_.controller = nullptr;
}

void ControllerSettingsWindow::refreshPorts() {
    const QString current = port_->currentText();
    port_->clear();
    port_->addItem(kNoController);
    for (const SerialPortInfo& p : listSerialPorts())
        port_->addItem(QString::fromStdString(
            p.device + (p.description.empty() ? std::string() : "  (" + p.description + ")")));
    if (!current.isEmpty()) port_->setCurrentText(current);
}

void ControllerSettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) fitAndPlaceInFrame(*this, Placement::Tool);
}

void ControllerSettingsWindow::showChoice(const ControllerChoice& choice) {
    const auto address = parseControllerAddress(choice.address);
    port_->setCurrentText(address ? QString::fromStdString(address->device) : kNoController);
    baud_->setText(QString::number(address ? address->baud : kDefaultControllerBaud));
    spindle_->setChecked(choice.wireOutput == WireOutput::Spindle);
    coolant_->setChecked(choice.wireOutput == WireOutput::Coolant);
    power_->setText(QString::fromStdString(formatDouble(choice.wirePower)));
    homing_->setChecked(choice.homingCycle);
}

ControllerChoice ControllerSettingsWindow::fieldsChoice() const {
    ControllerChoice choice;
    QString device = port_->currentText().trimmed();
    device = device.left(device.indexOf(QStringLiteral("  (")) < 0
                             ? device.size()
                             : device.indexOf(QStringLiteral("  (")));
    if (!device.isEmpty() && device != kNoController) {
        ControllerAddress address{device.toStdString(), baud_->text().toInt()};
        if (address.baud <= 0) address.baud = kDefaultControllerBaud;
        choice.address = address.text();
    }
    choice.wireOutput = coolant_->isChecked() ? WireOutput::Coolant : WireOutput::Spindle;
    choice.wirePower = power_->text().toDouble();
    choice.homingCycle = homing_->isChecked();
    return choice;
}

void ControllerSettingsWindow::apply(const ControllerChoice& choice, bool save) {
    if (ws_.controller == connection_.get()) ws_.controller = nullptr;
    connection_.reset();
    if (!choice.address.empty()) {
        connection_ = std::make_unique<GrblConnection>(ws_, choice);
        ws_.controller = connection_.get();
    }
    if (save) choice.save(ws_.appFolder());
    emit connectionChanged();
}

void ControllerSettingsWindow::check() {
    const ControllerChoice choice = fieldsChoice();
    if (choice.address.empty()) {
        report_->setPlainText(QStringLiteral("The parallel port drives the machine."));
        return;
    }
    apply(choice, false);
    const std::string refusal = connection_->connect();
    QString text = QString::fromStdString(choice.address) + QStringLiteral("\n");
    if (GrblSession* session = connection_->session()) {
        const ControllerIdentity& id = session->identity();
        text += QString::fromStdString(id.banner + "\n" + id.version + "\n" + id.options +
                                       "\nRX buffer " + std::to_string(id.rxBuffer) +
                                       " bytes, axes " + (id.axes.empty() ? "XYZA" : id.axes) +
                                       " (X1 Y1 X2 Y2 as " + id.axisMap.letters + ")\n");
        const double top = ws_.settings.derived.SpeedSliderMax / 5.0 * 60.0;
        SettingsComparison cmp = compareSettings(id.settings, ws_.settings.derived.StepsPerMm,
                                                 {top, top, top, top}, id.axisMap);
        if (choice.wireOutput == WireOutput::Spindle)
            for (const std::string& w : spindleWireWarnings(id.settings, choice.wirePower, true))
                cmp.warnings.push_back(w);
        for (const std::string& row : cmp.rows) text += QString::fromStdString(row + "\n");
        for (const std::string& w : cmp.warnings)
            text += QStringLiteral("Warning: ") + QString::fromStdString(w + "\n");
        for (const std::string& r : cmp.refusals)
            text += QStringLiteral("Refused: ") + QString::fromStdString(r + "\n");
    }
    if (!refusal.empty()) text += QString::fromStdString(refusal);
    report_->setPlainText(text);
}

void ControllerSettingsWindow::unlock() {
    if (!connection_ || !connection_->session()) check();
    GrblSession* session = connection_ ? connection_->session() : nullptr;
    if (session == nullptr) return;
    try {
        const grbl::Reply reply = session->command("$X");
        const auto status = session->queryStatus();
        report_->appendPlainText(
            QStringLiteral("$X: ") + QString::fromStdString(reply.text) +
            (status ? QStringLiteral(", ") + QString::fromStdString(status->state) : QString()));
        check();
    } catch (const std::exception& e) {
        dialogs_.message(QString::fromStdString(e.what()), QStringLiteral("Controller"));
    }
}

bool ControllerSettingsWindow::refuseWhileLeased() {
    if (!ws_.lease.held()) return false;
    dialogs_.message(
        QString::fromStdString("The controller settings cannot be checked, unlocked or applied "
                               "while " +
                               ws_.lease.holderName() +
                               " is using the machine: they would replace the connection it "
                               "streams on. Your edits are kept; stop it there or let it "
                               "finish, then try again."),
        QString::fromUtf8(kMachineBusyTitle), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

void ControllerSettingsWindow::onToolbar(int index) {
    // Each of them replaces or talks over the connection a running cut or move uses.
    if (refuseWhileLeased()) return;
    if (index == kCheck) check();
    if (index == kUnlock) unlock();
    if (index == kDone) {
        try {
            apply(fieldsChoice());
        } catch (const std::exception& e) {
            dialogs_.message(QString::fromStdString(e.what()), QStringLiteral("Controller"));
        }
        hide();
    }
}

}  // namespace corvane
