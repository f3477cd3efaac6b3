// Building and running the firmware's simulator for the tests.
#include "support/grbl_sim.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace corvane::test {

namespace fs = std::filesystem;

namespace {

fs::path sources() {
    return fs::path(CORVANE_GRBL_SIM_SOURCES);
}

std::string shellQuoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

}  // namespace

fs::path grblSimulator(std::string* why) {
    return grblSimulatorFor("xyza", why);
}

fs::path grblSimulatorFor(const std::string& axes, std::string* why) {
    if (!fs::exists(sources() / "build.sh")) return {};
    const fs::path out = fs::path(CORVANE_GRBL_SIM_BUILD).parent_path() / axes;
    fs::create_directories(out.parent_path());
    const int lock = ::open((out.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock >= 0) ::flock(lock, LOCK_EX);
    if (!fs::exists(out / "grblHAL_sim")) {
        const std::string cmd = "JOBS=2 " + shellQuoted(sources() / "build.sh") + " " +
                                shellQuoted(out) + " " + axes + " > " +
                                shellQuoted(out.string() + ".log") + " 2>&1";
        if (std::system(cmd.c_str()) != 0 && why != nullptr)
            *why = "the simulator did not build: see " + out.string() + ".log";
    }
    if (lock >= 0) ::close(lock);
    return fs::exists(out / "grblHAL_sim") ? out : fs::path();
}

GrblSimPty::GrblSimPty(const fs::path& folder, int stepsPerMm, double speed) : folder_(folder) {
    const fs::path sim = grblSimulator();
    if (sim.empty()) return;
    // The EEPROM: the shipped axis settings at this machine's steps/mm.
    std::ifstream in(sources() / "settings" / "xyza.nc");
    std::ostringstream settings;
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 5 && line[0] == '$' && line[1] == '1' && line[2] == '0' && line[4] == '=')
            line = line.substr(0, 5) + std::to_string(stepsPerMm);
        settings << line << "\n";
    }
    const fs::path nc = folder / "settings.nc";
    std::ofstream(nc) << settings.str();
    const fs::path eeprom = folder / "machine.eeprom";
    const std::string make = shellQuoted(sim / "grblHAL_sim") + " -t 0 -n -e " +
                             shellQuoted(eeprom) + " -b /dev/null < " + shellQuoted(nc) +
                             " > /dev/null 2>&1";
    if (std::system(make.c_str()) != 0) return;

    device_ = (folder / "ttyGRBL").string();
    std::ostringstream t;
    t << speed;
    const std::string exec = "EXEC:'" + (sim / "grblHAL_sim").string() + " -n -t " + t.str() +
                             " -e " + eeprom.string() + " -b " + blocks().string() +
                             " -s /dev/null',pty,raw,echo=0";
    const std::string link = "PTY,raw,link=" + device_ + ",echo=0";
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();  // its own group: the simulator goes with it
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::execlp("socat", "socat", link.c_str(), exec.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (child < 0) return;
    group_ = child;
    for (int i = 0; i < 200 && !fs::exists(device_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ready_ = fs::exists(device_);
}

void GrblSimPty::pullLine() {
    if (group_ > 0) ::kill(group_, SIGKILL);
}

void GrblSimPty::stop() {
    if (group_ <= 0) return;
    ::kill(-group_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(group_, &status, WNOHANG) == group_) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (i == 99) ::kill(-group_, SIGKILL), ::waitpid(group_, &status, 0);
    }
    ::kill(-group_, SIGKILL);  // the simulator, if socat left it behind
    group_ = -1;
}

GrblSimPty::~GrblSimPty() {
    stop();
}

}  // namespace corvane::test
