// --screenshot: every picture is written, framed with the window's caption, and the settings
// file is left alone.
#include "portscope/gui/screenshots.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QImage>

#include "portscope/gui/bit_setter_window.h"
#include "portscope/gui/scope_window.h"
#include "portscope/simulated_machine.h"

namespace portscope {
namespace {

TEST(Screenshots, WritesEveryPageAndTheBitSetter) {
    const QString dir = QDir::temp().filePath(QStringLiteral("portscope_shots_%1").arg(::getpid()));
    QDir(dir).removeRecursively();
    SimulatedMachine sim({0x378, 0x278});
    IoUnit io(sim);
    io.start();
    ScopeWindow window(io, {}, QStringLiteral("Simulated port 378,278"));
    window.start();
    QString error;
    const QStringList files = writeScreenshots(window, sim, dir, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    QStringList names;
    for (const QString& f : files) {
        names << QFileInfo(f).completeBaseName();
        const QImage image(f);
        EXPECT_GT(image.width(), 300) << f.toStdString();
        EXPECT_GT(image.height(), 200) << f.toStdString();
    }
    EXPECT_EQ(names, (QStringList{"portscope_Main", "portscope_Config", "portscope_Config2",
                                  "portscope_About", "portscope_Main_male_blink",
                                  "portscope_Main_disabled", "portscope_BitSetter_Control",
                                  "portscope_BitSetter_Status"}));
    EXPECT_FALSE(window.bitSetter()->isVisible());
    QDir(dir).removeRecursively();
}

}  // namespace
}  // namespace portscope
