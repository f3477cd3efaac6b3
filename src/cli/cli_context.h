// What every corvane-cli subcommand shares: the application folder option and the workspace
// it opens, plus the one way a subcommand reports the program's messages.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/port_io.h"
#include "platform/realtime_priority.h"

namespace corvane::cli {

// Number checks for options whose message says what is wanted ("greater than 0") instead of
// the range up to the largest double that the library's own checks print.
CLI::Validator positiveNumber();
CLI::Validator nonNegativeNumber();

struct CliContext {
    std::optional<std::string> appDir;  // --app-dir
    bool init = false;                  // --init: create a missing --app-dir

    // The resolved application folder (resolved once, on first use).
    std::filesystem::path appFolder();
    // A workspace on the simulated port and the real clock; settings loaded when `loadSettings`
    // (a settings failure is printed and rethrown).
    Workspace& workspace(bool loadSettings = true);
    // Replace the port (run/script with --port); the workspace keeps using it.
    void usePort(std::unique_ptr<PortIo> port);
    // The same for a port the caller keeps (it must outlive the workspace's use of it).
    void usePort(PortIo& port);

private:
    std::optional<std::filesystem::path> folder_;
    std::unique_ptr<PortIo> port_;
    RealClock clock_;
    SystemScheduling scheduling_;
    std::unique_ptr<Workspace> ws_;
};

// Prints what the program waits for while another one holds the application folder (once per
// change of text), from then on.
void announceFolderWaits();

// Prints the program's message to stderr (one line per \r or \n).
void printMessage(const std::string& text);
// Prints a run-time error's report under `label`, with its detail (which file, why) below it.
void printError(const RunError& error, std::string_view label);

// Thrown after the message was already printed: main only returns the exit code.
struct ReportedError : std::runtime_error {
    explicit ReportedError(int code = 1) : std::runtime_error("reported"), exitCode(code) {}
    int exitCode;
};

// Each subcommand file adds itself; `run` returns the exit code.
using SubcommandRunner = std::function<int()>;
void addSettingsCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addPlanCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addPlanformCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addGenerateCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addDelayPointsCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addRunCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addAirfoilCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addLoadCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addScriptCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addSimulateCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addExportCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addLatencyTestCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addControllerCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addMaterialCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);
void addCalibrateCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);

}  // namespace corvane::cli
