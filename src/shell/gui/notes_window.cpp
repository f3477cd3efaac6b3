#include "shell/gui/notes_window.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QTextEdit>
#include <QVBoxLayout>

#include "common/file_io.h"
#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/printing.h"
#include "platform/gui/toolbar.h"
#include "shell/notes_file.h"

namespace corvane {

namespace {

// The classic report, with what went wrong with which file where the error carries it.
void report(Dialogs& dialogs, const std::exception& error) {
    reportError(dialogs, error, QString::fromUtf8(NotesWindow::kErrorLabel));
}

// The chosen file is the application folder's file of that name (same folder, or no folder).
bool isAppFolderFile(const QString& chosen, const std::filesystem::path& appFile) {
    const std::filesystem::path folder = std::filesystem::path(chosen.toStdString()).parent_path();
    if (folder.empty()) return true;
    std::error_code ec, appEc;
    const auto canonical = std::filesystem::weakly_canonical(folder, ec);
    const auto appCanonical = std::filesystem::weakly_canonical(appFile.parent_path(), appEc);
    return !ec && !appEc && canonical == appCanonical;
}

}  // namespace

NotesWindow::NotesWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form19"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QString::fromUtf8(kTitle));

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{"New", "New", "New", "Open New Note"},
                          {"Open", "Open", "Open", "Open Existing Note"},
                          {"Close", "Close", "Close", "Close a Note"},
                          {"Save", "Save", "Save", "Save Note"},
                          toolbarSeparator(),
                          {"Print", "Print", "Print", "Print Open Note"},
                          toolbarSeparator(),
                          {"Done", "Done", "Done", "Close Notes"}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) { runButton(index); });

    box_ = new QTextEdit(this);
    box_->setObjectName(QStringLiteral("RichTextBox1"));
    // The file keeps the text only, so the box takes text only (pasted looks would be lost).
    box_->setAcceptRichText(false);
    box_->setMinimumSize(480, 320);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar_);
    layout->addWidget(box_, 1);
}

QString NotesWindow::note() const {
    QString text = box_->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void NotesWindow::setNote(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box_->setPlainText(plain);
}

bool NotesWindow::notePresent() const {
    return !box_->toPlainText().isEmpty();
}

template <class Action>
bool NotesWindow::guarded(Action action) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        report(dialogs_, e);
    }
    // After the report Done runs; if its save fails too the note stays in the open window.
    try {
        done();
        return true;
    } catch (const std::exception& e) {
        report(dialogs_, e);
    }
    return false;
}

bool NotesWindow::runButton(int index) {
    switch (index) {
        case 1:
            return guarded([this] { newNote(); });
        case 2:
            return guarded([this] { openNote(); });
        case 3:
            return guarded([this] { closeNote(); });
        case 4:
            return guarded([this] { saveWithDialog(); });
        case 6:
            return guarded([this] { printNote(); });
        case 8:
            return guarded([this] { done(); });
        default:
            return true;
    }
}

bool NotesWindow::saveWithDialog() {
    FileDialogRequest request;
    request.initialDir = QString::fromStdString(ws_.appFolder().string());
    request.fileName = QString();
    request.defaultExt = QStringLiteral("fwn");
    request.title = QString::fromUtf8(kSaveTitle);
    request.filter = QString::fromUtf8(kFilter);
    request.flags = 6;
    for (;;) {
        const QString chosen = dialogs_.saveFile(request);
        if (chosen.isEmpty()) return false;
        // Notes live in the application folder: only the chosen name is used.
        const QString name = QFileInfo(chosen).fileName();
        const std::filesystem::path target = ws_.file(name.toStdString());
        const QString shown = QString::fromStdString(target.string());
        if (isProgramFileName(name.toStdString())) {
            dialogs_.message(QStringLiteral("%1 is a file of the program itself; a note cannot "
                                            "be saved under that name.")
                                 .arg(name));
            continue;
        }
        std::error_code ec;
        if (std::filesystem::exists(target, ec) && !isAppFolderFile(chosen, target) &&
            dialogs_.message(QStringLiteral("Notes are kept in the application folder, where %1 "
                                            "already exists.\rReplace it?")
                                 .arg(shown),
                             QString(), MsgButtons::YesNoDefaultNo,
                             MsgIcon::Question) != MsgAnswer::Yes) {
            continue;
        }
        writeFileAtomic(target, notesFileBytes(note().toStdString()));
        return true;
    }
}

void NotesWindow::newNote() {
    if (!notePresent()) return;
    if (saveWithDialog()) box_->clear();
}

void NotesWindow::openNote() {
    FileDialogRequest request;
    request.initialDir = QString::fromStdString(ws_.appFolder().string());
    request.defaultExt = QStringLiteral("fwn");
    request.filter = QString::fromUtf8(kFilter);
    request.flags = 6;
    const QString chosen = dialogs_.openFile(request);
    if (chosen.isEmpty()) return;
    const QString name = QFileInfo(chosen).fileName();
    const std::filesystem::path path = ws_.file(name.toStdString());
    // The dialog may show another folder, but the note read is the application folder's.
    if (!isAppFolderFile(chosen, path) &&
        dialogs_.message(QStringLiteral("Notes are kept in the application folder: this opens "
                                        "%1")
                             .arg(QString::fromStdString(path.string())),
                         QString(), MsgButtons::OkCancel, MsgIcon::Information) != MsgAnswer::Ok) {
        return;
    }
    std::string bytes;
    try {
        bytes = readFileBytes(path);
    } catch (const RunError& e) {
        throw RunError(static_cast<ErrorNumber>(e.number()), path.string());
    }
    try {
        setNote(QString::fromStdString(readNotesFile(bytes, path.parent_path())));
    } catch (const RunError& e) {
        throw RunError(static_cast<ErrorNumber>(e.number()), name.toStdString() + " holds no note");
    }
}

void NotesWindow::closeNote() {
    if (notePresent()) saveWithDialog();
    box_->clear();
}

void NotesWindow::printNote() {
    printRichText(dialogs_, *box_->document(), kPrintDialogTitle);
}

void NotesWindow::done() {
    if (notePresent()) saveWithDialog();
    hide();
}

bool NotesWindow::event(QEvent* event) {
    if (activation_.isActivation(this, event)) placeInFrame(*this, Placement::Tool);
    return QWidget::event(event);
}

bool NotesWindow::mayClose() {
    if (!notePresent()) return true;
    switch (dialogs_.message(QStringLiteral("Save the note?"), QString::fromUtf8(kTitle),
                             MsgButtons::YesNoCancel, MsgIcon::Question)) {
        case MsgAnswer::No:
            return true;
        case MsgAnswer::Yes:
            try {
                // A save dialog cancelled keeps the note: it was never the operator's "No".
                return saveWithDialog();
            } catch (const std::exception& e) {
                report(dialogs_, e);
                return false;
            }
        default:
            return false;
    }
}

void NotesWindow::closeEvent(QCloseEvent* event) {
    if (mayClose()) {
        hide();
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace corvane
