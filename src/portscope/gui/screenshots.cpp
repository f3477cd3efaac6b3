// Offscreen windows have no frame: each picture gets a drawn title bar with the caption.
#include "portscope/gui/screenshots.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextStream>

#include "platform/gui/real_display.h"
#include "portscope/gui/bit_setter_window.h"
#include "portscope/gui/scope_window.h"
#include "portscope/simulated_machine.h"

namespace portscope {

namespace {

constexpr int kTitleHeight = 26;
constexpr int kBorder = 3;

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

QImage decorated(QWidget& window) {
    const QPixmap body = window.grab();
    QImage image(body.size() + QSize(2 * kBorder, kTitleHeight + kBorder), QImage::Format_ARGB32);
    image.fill(QColor(0x1f, 0x4e, 0x8c));
    QPainter painter(&image);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, image.width() - 16, kTitleHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawPixmap(kBorder, kTitleHeight, body);
    return image;
}

void click(QWidget& window, const char* button) {
    if (auto* b = window.findChild<QPushButton*>(QString::fromLatin1(button))) b->click();
    settle();
}

}  // namespace

QStringList writeScreenshots(ScopeWindow& window, SimulatedMachine& sim, const QString& dir,
                             QString* error, bool realDisplay) {
    QStringList written;
    QStringList checks;
    bool failed = false;
    QDir().mkpath(dir);
    auto save = [&](QWidget& w, const QString& name) {
        settle();
        QImage picture;
        if (realDisplay) {
            if (corvane::waitUntilOnScreen(w)) {
                corvane::ScreenCheck check = corvane::checkOnScreen(w);
                check.name = name;
                checks << check.line();
                failed = failed || !check.ok();
                picture = corvane::screenPicture(w);
            } else {
                checks << name + QStringLiteral(" NOT SHOWN");
                failed = true;
                return;
            }
        } else {
            picture = decorated(w);
        }
        const QString path =
            QDir(dir).filePath(QStringLiteral("portscope_") + name + QStringLiteral(".png"));
        if (picture.save(path))
            written << path;
        else if (error != nullptr)
            *error = QStringLiteral("cannot write ") + path;
    };
    // A machine caught mid-move: some step and direction bits, a printer-less status.
    sim.setData(0x378, 0x5A);
    sim.setStatus(0x378, 0x7F);
    sim.setControl(0x378, 0x0C);
    window.resize(window.sizeHint());
    window.show();
    window.sampleNow();
    save(window, QStringLiteral("Main"));
    click(window, "SettingsButton");
    save(window, QStringLiteral("Config"));
    click(window, "MoreSettingsButton");
    save(window, QStringLiteral("Config2"));
    click(window, "AboutButton");
    save(window, QStringLiteral("About"));
    click(window, "AboutBackButton");
    click(window, "Config2BackButton");
    click(window, "ConfigBackButton");

    window.findChild<QComboBox*>(QStringLiteral("ConType"))->setCurrentIndex(1);
    window.findChild<QCheckBox*>(QStringLiteral("SampleBlink"))->setChecked(true);
    window.sampleNow();
    save(window, QStringLiteral("Main_male_blink"));
    window.findChild<QCheckBox*>(QStringLiteral("DisableCon"))->setChecked(true);
    save(window, QStringLiteral("Main_disabled"));
    window.findChild<QCheckBox*>(QStringLiteral("DisableCon"))->setChecked(false);
    window.findChild<QComboBox*>(QStringLiteral("ConType"))->setCurrentIndex(0);

    BitSetterWindow& setter = *window.bitSetter();
    setter.setRegister(window.monitor().base(), 2);
    setter.show();
    save(setter, QStringLiteral("BitSetter_Control"));
    setter.setRegister(window.monitor().base(), 1);
    save(setter, QStringLiteral("BitSetter_Status"));
    setter.hide();
    if (realDisplay) {
        QFile report(QDir(dir).filePath(QStringLiteral("display-check.txt")));
        if (report.open(QIODevice::WriteOnly | QIODevice::Text)) {
            QTextStream(&report) << checks.join(QLatin1Char('\n')) << '\n';
            written << report.fileName();
        } else if (error != nullptr) {
            *error = QStringLiteral("cannot write ") + report.fileName();
        }
        if (failed && error != nullptr && error->isEmpty())
            *error = QStringLiteral("a window does not show on the screen what it drew (see %1)")
                         .arg(report.fileName());
    }
    return written;
}

}  // namespace portscope
