// The shared state of a corvane-cli run: application folder, workspace, message output.
#include "cli/cli_context.h"

#include <iostream>

#include "common/folder_lock.h"
#include "common/run_error.h"
#include "platform/app_folder.h"
#include "platform/simulated_port.h"

namespace corvane::cli {

std::filesystem::path CliContext::appFolder() {
    if (!folder_) {
        AppFolderRequest request{appDir, executableDir(), {}};
        request.createExplicit = init;
        try {
            folder_ = resolveAppFolder(request);
        } catch (const RunError& e) {
            printError(e, "corvane-cli");
            throw ReportedError(1);
        }
    }
    return *folder_;
}

Workspace& CliContext::workspace(bool loadSettings) {
    if (!ws_) {
        if (!port_) port_ = std::make_unique<SimulatedPort>();
        ws_ = std::make_unique<Workspace>(appFolder(), *port_, clock_);
        ws_->scheduling = &scheduling_;
        if (loadSettings) {
            try {
                ws_->settings.load(ws_->file("settings.txt"));
            } catch (const RunError& e) {
                printError(e, "Module 9, Load Data");
                throw ReportedError(1);
            }
        }
    }
    return *ws_;
}

void CliContext::usePort(std::unique_ptr<PortIo> port) {
    port_ = std::move(port);
    if (ws_) ws_->setPort(*port_);
}

void CliContext::usePort(PortIo& port) {
    workspace(false).setPort(port);
}

void announceFolderWaits() {
    setFolderLockNotice([last = std::string()](const std::string& text) mutable {
        if (text == last) return;
        last = text;
        if (!text.empty()) printMessage(text);
    });
}

void printMessage(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            std::cerr << line << '\n';
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    std::cerr << line << std::endl;
}

void printError(const RunError& error, std::string_view label) {
    printMessage(withDetail(errorReportText(error, label), error.detail()));
}

namespace {

CLI::Validator numberAtLeast(bool zeroAllowed) {
    return CLI::Validator(
        [zeroAllowed](std::string& text) -> std::string {
            double value = 0;
            if (!CLI::detail::lexical_cast(text, value)) return "\"" + text + "\" is not a number";
            if (value > 0 || (zeroAllowed && value == 0)) return {};
            return std::string("must be ") + (zeroAllowed ? "0 or more" : "greater than 0") +
                   ", not " + text;
        },
        zeroAllowed ? "NUMBER >= 0" : "NUMBER > 0");
}

}  // namespace

CLI::Validator positiveNumber() {
    return numberAtLeast(false);
}

CLI::Validator nonNegativeNumber() {
    return numberAtLeast(true);
}

}  // namespace corvane::cli
