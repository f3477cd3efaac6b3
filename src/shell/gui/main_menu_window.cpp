#include "shell/gui/main_menu_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/fixed_point.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "shell/gui/desktop_links.h"
#include "shell/gui/window_catalog.h"

namespace corvane {

QString MainMenuWindow::windowOfButton(const QString& button) {
    static const std::map<QString, QString> table = {
        {"Command1", "Form9"},   {"Command2", "Form3"},  {"Command10", "Form4"},
        {"Command13", "Form15"}, {"Command3", "Form6"},  {"Command4", "Form14"},
        {"Command8", "Form10"},  {"Command5", "Form12"}, {"Command6", "Form1"},
        {"Command7", "Form11"},
    };
    auto it = table.find(button);
    return it == table.end() ? QString() : it->second;
}

MainMenuWindow::MainMenuWindow(Workspace& ws, Dialogs& dialogs, WindowCatalog& windows,
                               OpenPage openPage, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ws_(ws),
      dialogs_(dialogs),
      windows_(windows),
      openPage_(std::move(openPage)) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Main Menu -  Metric Version"));
    ws_.motion.JogSpeed = Fixed4::fromInt(1);
    ws_.motion.CutSpeed = Fixed4::fromInt(1);

    auto group = [this](const char* name, const QString& caption,
                        std::initializer_list<QPushButton*> buttons) {
        auto* box = new QGroupBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        auto* row = new QVBoxLayout(box);
        for (QPushButton* b : buttons) row->addWidget(b);
        row->addStretch();
        return box;
    };
    auto* machine = group("FrameMachine", QStringLiteral("设备 / 手动"),
                          {makeButton("Command1", QStringLiteral("设备设置")),
                           makeButton("Command2", QStringLiteral("单轴控制")),
                           makeButton("Command10", QStringLiteral("两轴同控")),
                           makeButton("Command13", QStringLiteral("手动控制"))});
    auto* wing = group("FrameWing", QStringLiteral("机翼切割"),
                       {makeButton("Command3", QStringLiteral("参数")),
                        makeButton("Command4", QStringLiteral("生成切割文件")),
                        makeButton("Command8", QStringLiteral("开始切割"))});
    auto* foam = group("FrameFoam", QStringLiteral("泡沫切割"),
                       {makeButton("Command5", QStringLiteral("参数")),
                        makeButton("Command6", QStringLiteral("生成切割文件")),
                        makeButton("Command7", QStringLiteral("开始切割"))});
    auto* web = group("FrameWeb", QStringLiteral("Corvane"),
                      {makeButton("Command9", QStringLiteral("在线支持")),
                       makeButton("Command12", QStringLiteral("主页"))});

    auto* grid = new QGridLayout(this);
    grid->addWidget(machine, 0, 0);
    grid->addWidget(wing, 0, 1);
    grid->addWidget(foam, 0, 2);
    grid->addWidget(web, 0, 3);
    adjustSize();
}

QPushButton* MainMenuWindow::makeButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    const QString id = QString::fromLatin1(name);
    button->setObjectName(id);
    button->setMinimumWidth(110);
    connect(button, &QPushButton::clicked, this, [this, id] { openTask(id); });
    return button;
}

void MainMenuWindow::openTask(const QString& button) {
    if (button == QLatin1String("Command9")) {
        if (openPage_) openPage_(WebPage::Support);
        return;
    }
    if (button == QLatin1String("Command12")) {
        if (openPage_) openPage_(WebPage::Home);
        return;
    }
    QWidget* window = windows_.show(windowOfButton(button));
    if (window != nullptr &&
        (button == QLatin1String("Command4") || button == QLatin1String("Command6")))
        fillChords(*window);
}

void MainMenuWindow::fillChords(QWidget& generator) {
    auto write = [&generator](const char* name, double value) {
        if (auto* box = generator.findChild<QLineEdit*>(QString::fromLatin1(name)))
            box->setText(QString::fromStdString(formatFixed4(Fixed4::fromDouble(value))));
    };
    // A chord too large for a field leaves the boxes as they are and says so.
    try {
        write("Text6", ws_.job.LeftTowerChord);
        write("Text7", ws_.job.RightTowerChord);
    } catch (const RunError& e) {
        reportError(dialogs_, e, QStringLiteral("Module 5, Command4"));
    }
}

void MainMenuWindow::showAndActivate() {
    show();
    placeInFrame(*this, Placement::Corner);
    raise();
    activateWindow();
}

bool MainMenuWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) placeInFrame(*this, Placement::Corner);
    return QWidget::event(event);
}

}  // namespace corvane
