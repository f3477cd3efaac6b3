// controller.txt: one record, "address","spindle"|"coolant",power,#TRUE#|#FALSE#.
#include "controller/controller_choice.h"

#include "common/file_io.h"
#include "common/records.h"

namespace corvane {

ControllerChoice ControllerChoice::load(const std::filesystem::path& appFolder) {
    ControllerChoice choice;
    try {
        RecordReader reader(readFileBytes(appFolder / kControllerFile));
        choice.address = reader.next().asText();
        choice.wireOutput =
            reader.next().asText() == "coolant" ? WireOutput::Coolant : WireOutput::Spindle;
        choice.wirePower = reader.next().asNumber();
        choice.homingCycle = reader.next().asBoolean();
    } catch (const std::exception&) {
        // What was read stands; the rest keeps its default.
    }
    return choice;
}

void ControllerChoice::save(const std::filesystem::path& appFolder) const {
    RecordWriter writer;
    writer.text(address)
        .text(wireOutput == WireOutput::Coolant ? "coolant" : "spindle")
        .number(wirePower)
        .boolean(homingCycle)
        .endLine();
    writeFileAtomic(appFolder / kControllerFile, writer.bytes());
}

}  // namespace corvane
