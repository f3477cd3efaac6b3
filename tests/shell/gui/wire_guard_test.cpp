// The wire's inactive level as the signal handler writes it, and kill -TERM of a running
// corvane with the wire on: the simulated port's trace ends with the wire pin inactive.
#include "machine/wire_guard.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "machine/machine_settings.h"

namespace corvane {
namespace {

MachineSettings wireSettings(const char* pin, bool activeLow) {
    MachineSettings s;
    s.fields.resetDefaults();
    s.fields.enable = pin;
    s.fields.active_low = activeLow;
    s.fields.active_high = !activeLow;
    s.derive();
    return s;
}

TEST(WireGuard, InactiveLevelIsWhatWireOffWrites) {
    const WireLevel pin1 = inactiveWireLevel(wireSettings("Pin 1", true));
    ASSERT_TRUE(pin1.valid);
    EXPECT_EQ(pin1.port, 890);
    EXPECT_EQ(pin1.bit, 0);
    EXPECT_FALSE(pin1.set);  // pin 1 is inverted by the port: off, active low = bit cleared

    const WireLevel pin16 = inactiveWireLevel(wireSettings("Pin 16", true));
    ASSERT_TRUE(pin16.valid);
    EXPECT_EQ(pin16.bit, 2);
    EXPECT_TRUE(pin16.set);

    const WireLevel pin17high = inactiveWireLevel(wireSettings("Pin 17", false));
    ASSERT_TRUE(pin17high.valid);
    EXPECT_EQ(pin17high.bit, 3);
    EXPECT_TRUE(pin17high.set);

    EXPECT_FALSE(inactiveWireLevel(wireSettings("未使用", true)).valid);
    // No known port: nothing may be written, so the handler has nothing to write either.
    MachineSettings unknown;
    unknown.fields.enable = "Pin 1";
    unknown.fields.port_address = "0x378";
    unknown.fields.steps_per_inch = "158";
    unknown.derive();
    EXPECT_FALSE(inactiveWireLevel(unknown).valid);
}

TEST(WireGuard, TheHandlersWriteGoesIntoTheTraceAsAWholeLine) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("trace.txt").toStdString();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    WireGuard::install(PortChoice::Kind::Simulated, {});
    WireGuard::arm(wireSettings("Pin 16", false));
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    WireGuard::traceTo(fd, static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec);
    EXPECT_FALSE(WireGuard::driveInactive());  // no hardware behind the simulated port
    WireGuard::traceTo(-1, 0);
    WireGuard::disarm();
    ::close(fd);
    std::ifstream in(path);
    std::string seconds, op, port, bit, rest;
    ASSERT_TRUE(in >> seconds >> op >> port >> bit);
    EXPECT_FALSE(in >> rest);
    EXPECT_EQ(op, "CLR");  // pin 16 active high: off is the bit cleared
    EXPECT_EQ(port, "890");
    EXPECT_EQ(bit, "2");
    ASSERT_EQ(seconds.size(), 8u) << seconds;  // "0.000123"
    EXPECT_EQ(seconds.substr(0, 2), "0.");
}

TEST(WireGuard, TheSimulatedPortNeedsNoHardwareWriteFromTheHandler) {
    WireGuard::install(PortChoice::Kind::Simulated, {});
    WireGuard::arm(wireSettings("Pin 14", true));
    EXPECT_TRUE(WireGuard::armedLevel().valid);
    EXPECT_EQ(WireGuard::armedLevel().bit, 1);
    EXPECT_FALSE(WireGuard::driveInactive());
    WireGuard::disarm();
    EXPECT_FALSE(WireGuard::armedLevel().valid);
    EXPECT_GE(WireGuard::shutdownRequestFd(), 0);
}

// The last operation on the wire bit in a port trace: "SET" or "CLR" (empty when none).
QString lastWireOperation(const QString& trace, const QString& port, const QString& bit) {
    QString last;
    for (const QString& line : trace.split('\n')) {
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        if (f.size() == 4 && f[2] == port && f[3] == bit && (f[1] == "SET" || f[1] == "CLR"))
            last = f[1];
    }
    return last;
}

TEST(WireGuard, KillTermOfARunningCorvaneWithTheWireOnLeavesThePinInactive) {
    const QString program = QCoreApplication::applicationDirPath() + "/../corvane";
    if (!QFile::exists(program)) GTEST_SKIP() << "corvane is not built beside the tests";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path folder(dir.path().toStdString());
    for (const auto& entry : std::filesystem::directory_iterator(CORVANE_RESOURCES))
        if (entry.is_regular_file())
            std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
    MachineSettings settings = wireSettings("Pin 1", true);
    settings.fields.port_address = "378h";
    settings.save(folder / "settings.txt");
    // The wing cut window opens on a working set whose profiles are simply missing.
    std::ofstream(folder / "datinfo.ct3")
        << "\"l.dat\",\"r.dat\",100,100,\"0\",\"0\",\"0\",\"0\"\r\n";

    const QString trace = dir.filePath("trace.txt");
    QProcess corvane;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    corvane.setProcessEnvironment(env);
    corvane.setProcessChannelMode(QProcess::SeparateChannels);
    corvane.setReadChannel(QProcess::StandardOutput);
    corvane.start(program,
                  {"--app-dir", dir.path(), "--port", "sim", "--trace", trace, "--wire-on"});
    ASSERT_TRUE(corvane.waitForStarted());
    // It says so once the wire is on and it enters its event loop.
    QByteArray said;
    while (!said.contains("wire on") && corvane.waitForReadyRead(30000)) said += corvane.readAll();
    ASSERT_TRUE(said.contains("wire on")) << corvane.readAllStandardError().toStdString();
    ASSERT_EQ(corvane.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(corvane.processId()), SIGTERM);
    ASSERT_TRUE(corvane.waitForFinished(20000));
    EXPECT_EQ(corvane.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(corvane.exitCode(), 0);

    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    EXPECT_TRUE(text.contains(" SET 890 0")) << text.toStdString();  // the wire went on
    EXPECT_EQ(lastWireOperation(text, "890", "0"), "CLR") << text.toStdString();
}

}  // namespace
}  // namespace corvane
