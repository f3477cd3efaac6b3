// Arguments, backend choice and the window-less port list.
#include "portscope/command_line.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "portscope/direct_backend.h"
#include "portscope/ppdev_backend.h"
#include "portscope/simulated_machine.h"

namespace portscope {

Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& name) -> std::optional<std::string> {
            if (a.rfind(name + "=", 0) == 0) return a.substr(name.size() + 1);
            if (a == name) {
                if (i + 1 < args.size()) return args[++i];
                o.error = name + " needs a value";
            }
            return std::nullopt;
        };
        if (a == "--list") {
            o.list = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version" || a == "-v") {
            o.version = true;
        } else if (a == "--port" || a.rfind("--port=", 0) == 0) {
            o.port = value("--port");
        } else if (a == "--screenshot" || a.rfind("--screenshot=", 0) == 0) {
            o.screenshotDir = value("--screenshot");
        } else if (a == "--real-display") {
            o.realDisplay = true;
        } else {
            o.error = "unknown argument \"" + a + "\"";
        }
        if (!o.error.empty()) break;
    }
    return o;
}

std::string usageText() {
    return "Usage: portscope [--port direct|ppdev[:DEVICE]|sim[:378,278]] [--list] "
           "[--screenshot DIR [--real-display]] [--version]\n"
           "  --port        how the port is reached (default: PORTSCOPE_PORT, else\n"
           "                CORVANE_PORT, else the simulated port at 378)\n"
           "  --list        print the detected ports (address, data, status, control in hex)\n"
           "                and exit without a window\n"
           "  --screenshot  write pictures of the windows to DIR and exit\n"
           "  --real-display  take those pictures from the screen of the running X server\n"
           "                and check each window shows what it drew (DIR/display-check.txt)\n";
}

std::string portChoiceText(const std::optional<std::string>& option) {
    if (option) return *option;
    for (const char* name : {"PORTSCOPE_PORT", "CORVANE_PORT"})
        if (const char* env = std::getenv(name); env != nullptr && *env != '\0') return env;
    return "sim";
}

PortChoice parsePortChoice(const std::string& text) {
    PortChoice choice;
    const std::string kind = text.substr(0, text.find(':'));
    const bool hasArg = text.find(':') != std::string::npos;
    const std::string arg = hasArg ? text.substr(text.find(':') + 1) : std::string();
    if (kind == "direct" && !hasArg) {
        choice.kind = PortChoice::Kind::Direct;
        return choice;
    }
    if (kind == "ppdev" && (!hasArg || !arg.empty())) {
        choice.kind = PortChoice::Kind::Ppdev;
        choice.device = arg;
        return choice;
    }
    if (kind == "sim" && (!hasArg || !arg.empty())) {
        if (!hasArg) return choice;
        choice.simulated.clear();
        size_t start = 0;
        while (start <= arg.size()) {
            const size_t comma = std::min(arg.find(',', start), arg.size());
            const std::string item = arg.substr(start, comma - start);
            char* end = nullptr;
            const unsigned long base = std::strtoul(item.c_str(), &end, 16);
            if (item.empty() || *end != '\0' || base < 0x100 || base > 0xFFFC)
                throw std::invalid_argument("\"" + item +
                                            "\" is no port address (hex, 100 to FFFC)");
            choice.simulated.push_back(static_cast<uint16_t>(base));
            start = comma + 1;
        }
        return choice;
    }
    throw std::invalid_argument("unknown port \"" + text +
                                "\": use direct, ppdev, ppdev:/dev/parportN, sim or sim:378,278");
}

std::unique_ptr<PortBackend> makeBackend(const PortChoice& choice) {
    switch (choice.kind) {
        case PortChoice::Kind::Direct:
            return std::make_unique<DirectBackend>();
        case PortChoice::Kind::Ppdev:
            return std::make_unique<PpdevBackend>(choice.device);
        case PortChoice::Kind::Simulated:
            break;
    }
    return std::make_unique<SimulatedMachine>(choice.simulated);
}

std::string listPorts(IoUnit& io, std::string* refused) {
    io.grantCandidates();
    std::string out;
    for (int n = 1; n <= 3; ++n) {
        const uint16_t base = io.detect(n);
        if (base == 0) break;
        io.grant(base);
        if (!io.allowed(base)) {
            char head[16];
            std::snprintf(head, sizeof head, "%03X: ", static_cast<unsigned>(base));
            const std::string why = io.backend().refusal(base);
            if (refused != nullptr)
                *refused += head +
                            (why.empty() ? std::string("the port could not be claimed") : why) +
                            "\n";
            continue;
        }
        char line[48];
        std::snprintf(line, sizeof line, "%03X %02X %02X %02X%s\n", static_cast<unsigned>(base),
                      io.read(base), io.read(static_cast<uint16_t>(base + 1)),
                      io.read(static_cast<uint16_t>(base + 2)),
                      io.backend().simulated() ? " simulated" : "");
        out += line;
    }
    return out;
}

}  // namespace portscope
