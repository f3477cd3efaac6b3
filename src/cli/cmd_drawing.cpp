// corvane-cli drawing check FILE: what a DXF drawing holds and what of it a foam part could be;
// and the drawing options of corvane-cli generate foam.
#include "cli/cmd_drawing.h"

#include <cstdlib>
#include <iostream>
#include <memory>

#include "common/number_text.h"
#include "generate/drawing_faces.h"
#include "generate/drawing_shape.h"

namespace corvane::cli {

namespace {

std::optional<double> strictNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin) return std::nullopt;
    while (*end == ' ') ++end;
    if (*end != '\0' || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<DrawingPoint> parseStart(const std::string& text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    const auto x = strictNumber(text.substr(0, comma));
    const auto y = strictNumber(text.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return DrawingPoint{*x, *y};
}

void printOutline(const DrawingOutline& o, std::size_t n) {
    std::cout << "Outline=" << n << " Closed=" << (o.closed ? "yes" : "no")
              << " Length=" << sizeText(std::round(o.length * 1000) / 1000)
              << " Size=" << sizeText(std::round((o.maxX - o.minX) * 1000) / 1000) << "x"
              << sizeText(std::round((o.maxY - o.minY) * 1000) / 1000) << " Corners=" << o.corners()
              << " Points=" << o.points.size() << '\n';
}

int runCheck(const std::string& file, const std::optional<std::string>& layer) {
    Drawing d;
    try {
        d = readDrawing(file);
    } catch (const DrawingError& e) {
        printMessage(e.what());
        return 1;
    }
    std::cout << "File=" << file << '\n' << "Units=" << d.unitsName << '\n';
    std::string layers;
    for (const std::string& l : d.layers) layers += (layers.empty() ? "" : ",") + l;
    std::cout << "Layers=" << layers << '\n';
    for (const auto& [kind, count] : d.skipped)
        std::cout << "NotRead=" << kind << " x" << count << '\n';
    std::vector<std::string> drawn = drawnLayers(d);
    if (layer) drawn = {*layer};
    int parts = 0;
    for (const std::string& l : drawn) {
        const LayerOutlines lo = chainLayer(d, l);
        std::cout << "Layer=" << l << " Pieces=" << lo.pieces << " Outlines=" << lo.outlines.size()
                  << '\n';
        for (std::size_t i = 0; i < lo.outlines.size(); ++i) printOutline(lo.outlines[i], i + 1);
        for (const std::string& p : lo.problems) std::cout << "Refused=" << p << '\n';
        if (lo.problems.empty()) {
            ++parts;
            std::cout << "Part=" << l << '\n';
        }
    }
    std::cout.flush();
    if (parts == 0) {
        printMessage("No layer of " + file + " holds a part that can be cut");
        return 1;
    }
    return 0;
}

}  // namespace

void addDrawingOptions(CLI::App* foam, DrawingOptions& o) {
    foam->add_option("--drawing", o.file, "DXF drawing of the part (root, or both towers)");
    foam->add_option("--tip-drawing", o.tipFile, "DXF drawing of the tip (right tower)");
    foam->add_option("--layer", o.layer, "the drawing's layer that holds the part");
    foam->add_option("--start", o.start, "start point X,Y in the drawing (default: rightmost)");
    foam->add_flag("--reverse", o.reverse, "cut clockwise (default: counter-clockwise)");
    foam->add_option("--size", o.size, "horizontal size of the root, mm (the tip keeps the ratio)");
    foam->add_option("--scale", o.scale, "factor on the drawn sizes");
    foam->get_option("--size")->excludes(foam->get_option("--scale"));
}

bool fillDrawingRequest(Workspace& ws, const DrawingOptions& o, const std::string& leftSize,
                        const std::string& rightSize, GenerationRequest& request) {
    DrawingJob job;
    job.rootFile = std::filesystem::absolute(*o.file);
    if (o.tipFile) job.tipFile = std::filesystem::absolute(*o.tipFile);
    job.layer = o.layer.value_or("");
    job.choice.reverse = o.reverse;
    if (o.start) {
        job.choice.start = parseStart(*o.start);
        if (!job.choice.start) {
            printMessage("--start takes the start point as X,Y, e.g. 120,4.5");
            return false;
        }
    }
    job.size = o.size;
    job.scale = o.scale;
    if (!leftSize.empty()) job.leftSize = leadingNumber(leftSize);
    if (!rightSize.empty()) job.rightSize = leadingNumber(rightSize);
    try {
        const PreparedDrawing p = prepareDrawing(job);
        const auto [left, right] =
            writeDrawingProfiles(p, ws.appFolder() / "drawings", job.rootFile.stem().string(),
                                 job.tipFile.value_or(job.rootFile).stem().string());
        request.leftPath = left.string();
        request.rightPath = right.string();
        request.leftChordText = sizeText(p.leftSize);
        request.rightChordText = sizeText(p.rightSize);
        // On the faces the sizes are the faces', and the drawings place the tip.
        if (request.geometry == WingGeometry::Faces)
            request.faces = drawingFaceDesign(p, request.faces);
        const SettingsFields& f = ws.settings.fields;
        const std::string warning = leadInWarning(
            p, f.lead_in == 1 && f.horizontal && ws.settings.derived.LeadInMm.toDouble() > 0);
        if (!warning.empty()) printMessage("Warning: " + warning);
        std::cout << "DrawingLayer=" << p.rootLayer;
        if (o.tipFile) std::cout << ',' << p.tipLayer;
        std::cout << '\n'
                  << "Start=" << placeText(p.rootOutline.points.front()) << '\n'
                  << "Direction=" << (o.reverse ? "clockwise" : "counter-clockwise") << '\n'
                  << "Corners=" << p.shape.rootCorners;
        if (o.tipFile)
            std::cout << ',' << p.shape.tipCorners
                      << (p.shape.cornersMatched ? " matched" : " not matched");
        std::cout << '\n'
                  << "LeftSize=" << request.leftChordText << '\n'
                  << "RightSize=" << request.rightChordText << '\n';
        if (request.geometry == WingGeometry::Faces) {
            const DrawingPoint drawn = drawnTipOffset(p);
            std::cout << "TipAsDrawn=" << placeText(drawn) << '\n'
                      << "TipOffset=" << placeText({request.faces.sweepMm, request.faces.riseMm})
                      << '\n';
        }
    } catch (const DrawingError& e) {
        printMessage(e.what());
        return false;
    } catch (const RunError& e) {
        printError(e, "corvane-cli generate foam");
        return false;
    }
    return true;
}

void addDrawingCommand(CLI::App& app, CliContext&, SubcommandRunner& runner) {
    CLI::App* drawing = app.add_subcommand("drawing", "DXF drawings for foam parts");
    drawing->require_subcommand(1);
    struct CheckOptions {
        std::string file;
        std::optional<std::string> layer;
    };
    auto o = std::make_shared<CheckOptions>();
    CLI::App* check = drawing->add_subcommand(
        "check", "list layers and outlines, and what a foam part would refuse");
    check->add_option("file", o->file, "the DXF drawing")->required();
    check->add_option("--layer", o->layer, "only this layer");
    check->callback([&runner, o] { runner = [o] { return runCheck(o->file, o->layer); }; });
}

}  // namespace corvane::cli
