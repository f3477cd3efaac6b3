// Drawings on the command line: `drawing check FILE`, and the options that let
// `generate foam` take its shape from DXF drawings instead of two profile files.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/cli_context.h"
#include "generate/cut_generator.h"

namespace corvane::cli {

struct DrawingOptions {
    std::optional<std::string> file, tipFile, layer, start;
    bool reverse = false;
    std::optional<double> size, scale;
};

// --drawing, --tip-drawing, --layer, --start, --reverse, --size, --scale on `generate foam`.
void addDrawingOptions(CLI::App* foam, DrawingOptions& options);

// Prepares the drawings, writes their profile files in the application folder's drawings/
// and fills the request's paths and sizes (`leftSize`/`rightSize`: the typed tower sizes, empty
// when not given). A request for the face geometry gets the sizes at the faces and the tip's
// place from the drawings in its face design. Prints what it refuses and returns false.
[[nodiscard]] bool fillDrawingRequest(Workspace& ws, const DrawingOptions& options,
                                      const std::string& leftSize, const std::string& rightSize,
                                      GenerationRequest& request);

void addDrawingCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner);

}  // namespace corvane::cli
