#include "script/gui/cutting_script_window.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

#include "common/file_io.h"
#include "common/run_error.h"
#include "common/text_encoding.h"
#include "machine/gui/port_refusal.h"
#include "machine/workspace.h"
#include "manual/gui/jog_speed_control.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"
#include "script/script_file.h"

namespace corvane {

namespace {

constexpr int kLoad = 1, kSave = 2, kClear = 3, kRun = 5, kStop = 6, kDone = 8;

QString u(const char* text) {
    return QString::fromUtf8(text);
}

QString showHelpCaption() {
    return u("显示帮助");
}

}  // namespace

CuttingScriptWindow::CuttingScriptWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ws_(ws),
      dialogs_(dialogs),
      runner_(std::make_shared<ScriptRunner>(ws)) {
    setObjectName(QStringLiteral("script"));
    setWindowTitle(QStringLiteral("Cutting Scripts"));

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({
        {QStringLiteral("Load"),
         {},
         QStringLiteral("new_1"),
         QStringLiteral("Load Cutting Script")},
        {QStringLiteral("Save"),
         {},
         QStringLiteral("save1"),
         QStringLiteral("Save Cutting Script")},
        {QStringLiteral("Clear"),
         {},
         QStringLiteral("refresh"),
         QStringLiteral("Clear Cutting Script")},
        toolbarSeparator(),
        {QStringLiteral("Run"), {}, QStringLiteral("right1"), QStringLiteral("Run Cutting Script")},
        {QStringLiteral("Stop"), QStringLiteral("Stop Movement"), QStringLiteral("stop1"),
         QStringLiteral("Stop Movement")},
        toolbarSeparator(),
        {QStringLiteral("Done"), {}, QStringLiteral("Done1"), QStringLiteral("Done")},
    });
    connect(toolbar_, &Toolbar::buttonClicked, this, &CuttingScriptWindow::onToolbar);

    scriptFrame_ = new QGroupBox(QStringLiteral("Script Window"), this);
    scriptFrame_->setObjectName(QStringLiteral("Frame1"));
    list_ = new QListWidget(scriptFrame_);
    list_->setObjectName(QStringLiteral("List1"));
    auto* editLabel = new QLabel(QStringLiteral("Enter / Edit Script"), scriptFrame_);
    lineEdit_ = new QLineEdit(scriptFrame_);
    lineEdit_->setObjectName(QStringLiteral("Text3"));
    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const char* name, const QString& caption,
                         void (CuttingScriptWindow::*slot)()) {
        auto* b = new QPushButton(caption, scriptFrame_);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    addButton("Command1", QStringLiteral("Edit"), &CuttingScriptWindow::edit);
    addButton("Command4", QStringLiteral("Insert"), &CuttingScriptWindow::insert);
    addButton("Command6", u("删除"), &CuttingScriptWindow::deleteLine);
    addButton("Command7", QStringLiteral("Accept"), &CuttingScriptWindow::accept);
    buttons->addSpacing(12);
    addButton("Command2", u("浏览"), &CuttingScriptWindow::browse);
    helpButton_ = addButton("Command3", showHelpCaption(), &CuttingScriptWindow::toggleHelp);
    buttons->addStretch(1);
    auto* scriptLayout = new QVBoxLayout(scriptFrame_);
    scriptLayout->addWidget(list_, 1);
    scriptLayout->addWidget(editLabel);
    scriptLayout->addWidget(lineEdit_);
    scriptLayout->addLayout(buttons);

    helpFrame_ = new QGroupBox(u("帮助"), this);
    helpFrame_->setObjectName(QStringLiteral("Frame2"));
    helpText_ = new QTextBrowser(helpFrame_);
    helpText_->setObjectName(QStringLiteral("RichTextBox1"));
    (new QVBoxLayout(helpFrame_))->addWidget(helpText_);
    helpFrame_->hide();

    auto* delayLabel = new QLabel(u("延迟时间(毫秒)"), this);
    delayText_ = new QLineEdit(QStringLiteral("1"), this);
    delayText_->setObjectName(QStringLiteral("Text1"));
    delayText_->setMaximumWidth(90);
    speed_ = new JogSpeedControl(ws_, QStringLiteral("Label6"), this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(delayLabel);
    bottom->addWidget(delayText_);
    bottom->addSpacing(24);
    bottom->addWidget(speed_, 1);

    auto* frames = new QHBoxLayout;
    frames->addWidget(scriptFrame_, 3);
    frames->addWidget(helpFrame_, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addLayout(frames, 1);
    layout->addLayout(bottom);

    ScriptRunner& runner = *runner_;
    runner.message = [this](const std::string& text, const std::string& title) {
        dialogs_.message(QString::fromStdString(text), QString::fromStdString(title));
    };
    runner.selectLine = [this](int index) { list_->setCurrentRow(index); };
    runner.speedChanged = [this] { speed_->activate(); };
    runner.focusSlider = [this] { speed_->slider()->setFocus(Qt::OtherFocusReason); };
    runner.delayText = [this] { return delayText_->text().toStdString(); };
    // After the failure's report, a moment to stop: the machine is not where the rest of the
    // script expects it, so Enter or closing the box stops.
    runner.askContinue = [this](int line, const std::string& text) {
        const QString question = QStringLiteral(
                                     "Line %1 of the script failed:\r%2\r\r"
                                     "Continue with the next line?")
                                     .arg(line)
                                     .arg(QString::fromStdString(text));
        return dialogs_.message(question, QString(), MsgButtons::YesNoDefaultNo,
                                MsgIcon::Question) == MsgAnswer::Yes;
    };
    loadHelpPage();
}

// A window destroyed during a run stops it, and the run no longer reaches back into it.
CuttingScriptWindow::~CuttingScriptWindow() {
    runner_->requestStop();
    runner_->message = [](const std::string&, const std::string&) {};
    runner_->selectLine = [](int) {};
    runner_->speedChanged = [] {};
    runner_->focusSlider = [] {};
    runner_->delayText = [] { return std::string("1"); };
    runner_->askContinue = [](int, const std::string&) { return false; };
}

std::vector<std::string> CuttingScriptWindow::lines() const {
    std::vector<std::string> out;
    out.reserve(list_->count());
    for (int i = 0; i < list_->count(); ++i) out.push_back(list_->item(i)->text().toStdString());
    return out;
}

QString CuttingScriptWindow::appFolder() const {
    return QString::fromStdString(ws_.appFolder().string());
}

void CuttingScriptWindow::loadHelpPage() {
    const auto path = ws_.file(kHelpFile);
    try {
        helpText_->setHtml(QString::fromStdString(decodeFileText(readFileBytes(path))));
    } catch (const RunError&) {
        helpText_->setPlainText(QStringLiteral("The help page %1 is missing from the application "
                                               "folder (%2).")
                                    .arg(QString::fromLatin1(kHelpFile),
                                         QString::fromStdString(path.parent_path().string())));
    }
}

void CuttingScriptWindow::showAndActivate() {
    show();
    raise();
    activateWindow();
    activated();
}

void CuttingScriptWindow::activated() {
    helpFrame_->hide();
    helpButton_->setText(showHelpCaption());
    speed_->slider()->setFocus(Qt::OtherFocusReason);
    speed_->activate();
    fitInFrame();
    placeInFrame(*this, Placement::Tool);
}

void CuttingScriptWindow::fitInFrame() {
    if (frameOf(*this) == nullptr) return;
    // First showing: as large as fits, within a size that still reads as a tool window; later
    // the operator's size is kept unless it no longer fits.
    const QSize wanted = sized_ ? size() : QSize(1000, 680);
    sized_ = true;
    resize(fitInInnerArea(*this, wanted, Placement::Tool));
}

bool CuttingScriptWindow::event(QEvent* event) {
    // Coming back from one of our own message boxes or file dialogs is not an activation.
    if (activation_.isActivation(this, event)) activated();
    return QWidget::event(event);
}

void CuttingScriptWindow::closeEvent(QCloseEvent* event) {
    runner_->requestStop();
    QWidget::closeEvent(event);
}

void CuttingScriptWindow::onToolbar(int index) {
    switch (index) {
        case kLoad:
            loadScript();
            break;
        case kSave:
            saveScript();
            break;
        case kClear:
            clearScript();
            break;
        case kRun:
            runScript();
            break;
        case kStop:
            stopScript();
            break;
        case kDone:
            stopScript();
            hide();
            break;
        default:
            break;
    }
}

bool CuttingScriptWindow::checkEdited(const std::string& line, bool insert) {
    const LineFault fault = checkScriptLine(line, scriptCheckContext(ws_, false));
    if (fault == LineFault::None) return true;
    if (insert && fault == LineFault::TooFewItems)
        reportError(dialogs_, RunError(ErrorNumber::SubscriptOutOfRange),
                    QStringLiteral("Module Script, Command4"));
    else
        dialogs_.message(QString::fromStdString(editFaultMessage(fault)));
    return false;
}

void CuttingScriptWindow::edit() {
    try {
        const int row = list_->currentRow();
        if (row < 0 || list_->selectedItems().isEmpty()) {
            dialogs_.message(QStringLiteral("Click on the script you wish to edit"));
            return;
        }
        lineEdit_->setText(list_->item(row)->text());
        editIndex_ = row;
        editMode_ = true;
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QStringLiteral("Module Script, Command1"));
    }
}

void CuttingScriptWindow::accept() {
    try {
        const QString text = lineEdit_->text();
        if (!checkEdited(text.toStdString(), false)) return;
        // The line being edited may have gone meanwhile (deleted, list cleared): then the
        // edited text is kept as a new last line rather than replacing another line.
        if (editMode_ && editIndex_ >= 0 && editIndex_ < list_->count())
            list_->item(editIndex_)->setText(text);
        else
            list_->addItem(text);
        editMode_ = false;
        editIndex_ = -1;
        lineEdit_->clear();
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QStringLiteral("Module Script, Command7"));
    }
}

void CuttingScriptWindow::insert() {
    try {
        const int row = list_->currentRow();
        if (row < 0 || list_->selectedItems().isEmpty()) {
            dialogs_.message(QStringLiteral(
                "Click on the line where you wish to insert the new line of script"));
            return;
        }
        if (!checkEdited(lineEdit_->text().toStdString(), true)) return;
        list_->insertItem(row, lineEdit_->text());
        if (editMode_ && editIndex_ >= row) ++editIndex_;  // the edited line moved down
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QStringLiteral("Module Script, Command4"));
    }
}

void CuttingScriptWindow::deleteLine() {
    try {
        const int row = list_->currentRow();
        if (row < 0 || list_->selectedItems().isEmpty()) {
            dialogs_.message(QStringLiteral("Click on the script you wish to delete"));
            return;
        }
        delete list_->takeItem(row);
        if (editMode_ && editIndex_ == row) editIndex_ = -1;  // Accept appends instead
        if (editMode_ && editIndex_ > row) --editIndex_;
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QStringLiteral("Module Script, Command6"));
    }
}

void CuttingScriptWindow::browse() {
    FileDialogRequest request;
    request.initialDir = QString::fromStdString(ws_.appFolder().string());
    request.defaultExt = QStringLiteral("ct1");
    request.title = u("选择切割文件");
    request.filter = QStringLiteral("CUT File (*.ct1)|*.ct1|All (*.*)|*.*");
    const QString path = dialogs_.openFile(request);
    if (!path.isEmpty()) lineEdit_->setText(lineEdit_->text() + path);
}

void CuttingScriptWindow::toggleHelp() {
    helpFrame_->setVisible(!helpFrame_->isVisible());
    helpButton_->setText(helpFrame_->isVisible() ? QStringLiteral("Hide Help") : showHelpCaption());
}

FileDialogRequest CuttingScriptWindow::scriptDialog(const QString& title) const {
    FileDialogRequest request;
    request.initialDir = QString::fromStdString(ws_.appFolder().string());
    request.defaultExt = QStringLiteral("txt");
    request.title = title;
    request.filter = QStringLiteral("TXT File (*.TXT)|*.txt|All (*.*)|*.*");
    request.flags = 6;
    return request;
}

void CuttingScriptWindow::loadScript() {
    const QString path = dialogs_.openFile(scriptDialog(QStringLiteral("Load Script File")));
    if (!path.isEmpty()) loadScriptFile(path);
}

void CuttingScriptWindow::loadScriptFile(const QString& path) {
    ScriptLoad load;
    try {
        load = readScriptFile(readFileBytes(path.toStdString()));
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QStringLiteral("Module Script, LS"));
        return;
    }
    // The lines read before an error stay.
    for (const std::string& line : load.lines) list_->addItem(QString::fromStdString(line));
    if (!load.skipped.empty()) {
        // Everything the list does not show, in one message, so no dropped move goes unseen.
        QString text = QStringLiteral(
                           "%1 lines loaded. These items of the file are not "
                           "instructions and were skipped:")
                           .arg(load.lines.size());
        for (const std::string& line : skippedItemLines(load.skipped))
            text += QStringLiteral("\r") + QString::fromStdString(line);
        dialogs_.message(text, QString(), MsgButtons::Ok, MsgIcon::Warning);
    }
    if (load.error) reportError(dialogs_, *load.error, QStringLiteral("Module Script, LS"));
}

void CuttingScriptWindow::saveScript() {
    const QString path = dialogs_.saveFile(scriptDialog(u("保存脚本文件")));
    if (path.isEmpty()) return;
    try {
        writeFileAtomic(path.toStdString(), scriptFileBytes(lines()));
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QStringLiteral("Module Script, SS"));
    }
}

void CuttingScriptWindow::clearScript() {
    list_->clear();
    editMode_ = false;
    editIndex_ = -1;
}

void CuttingScriptWindow::runScript() {
    if (runner_->running()) return;
    // Held for the whole script: its cuts and moves are one source of motion.
    const LeaseHold lease = takeLease(ws_, dialogs_, this, windowTitle());
    if (!lease) return;
    // Everything used after the run is held here, not through the window.
    const QPointer<CuttingScriptWindow> window(this);
    const std::shared_ptr<ScriptRunner> runner = runner_;
    setCursor(Qt::BusyCursor);
    const ScriptOutcome outcome = runner->run(lines());
    if (!window) return;
    unsetCursor();
    if (!outcome.stats.failedLines.empty()) {
        const QString ended =
            outcome.end == ScriptEnd::LineFailed
                ? QStringLiteral("Script stopped at line %1").arg(outcome.stats.failedLines.back())
                : QStringLiteral("Script ended");
        dialogs_.message(ended + QStringLiteral(": ") +
                         QString::fromStdString(linesRunSummary(outcome.stats)));
    }
}

}  // namespace corvane
