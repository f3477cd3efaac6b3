// The simulated ports: an absent address reads 0xFF (a floating bus) and ignores writes, as
// an empty slot does on a PC; the status register ignores writes as the hardware does.
#include "portscope/simulated_machine.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace portscope {

SimulatedMachine::SimulatedMachine(std::vector<uint16_t> bases) : bases_(std::move(bases)) {
    for (uint16_t b : bases_) ports_[b] = Registers{};
}

std::string SimulatedMachine::describe() const {
    std::string text = "Simulated port";
    for (size_t i = 0; i < bases_.size(); ++i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%s%X", i == 0 ? " " : ",",
                      static_cast<unsigned>(bases_[i]));
        text += buf;
    }
    return text;
}

bool SimulatedMachine::requestGrant(uint16_t address) {
    ++grants_[address];
    return std::find(refused_.begin(), refused_.end(), address) == refused_.end();
}

SimulatedMachine::Registers* SimulatedMachine::portAt(uint16_t address, int* offset) {
    return const_cast<Registers*>(std::as_const(*this).portAt(address, offset));
}

const SimulatedMachine::Registers* SimulatedMachine::portAt(uint16_t address, int* offset) const {
    for (const auto& [base, regs] : ports_) {
        if (address >= base && address < base + 3) {
            *offset = address - base;
            return &regs;
        }
    }
    return nullptr;
}

uint8_t SimulatedMachine::in(uint16_t address) {
    int offset = 0;
    uint8_t value = 0xFF;
    if (const Registers* r = portAt(address, &offset))
        value = offset == 0 ? r->data : offset == 1 ? r->status : r->control;
    remember({address, false, value});
    return value;
}

void SimulatedMachine::out(uint16_t address, uint8_t value) {
    remember({address, true, value});
    int offset = 0;
    Registers* r = portAt(address, &offset);
    if (r == nullptr) return;
    if (offset == 0) r->data = value;
    if (offset == 2) r->control = value;
}

void SimulatedMachine::setStatus(uint16_t base, uint8_t value) {
    ports_[base].status = value;
}

void SimulatedMachine::setData(uint16_t base, uint8_t value) {
    ports_[base].data = value;
}

void SimulatedMachine::setControl(uint16_t base, uint8_t value) {
    ports_[base].control = value;
}

uint8_t SimulatedMachine::data(uint16_t base) const {
    auto it = ports_.find(base);
    return it == ports_.end() ? 0xFF : it->second.data;
}

uint8_t SimulatedMachine::control(uint16_t base) const {
    auto it = ports_.find(base);
    return it == ports_.end() ? 0xFF : it->second.control;
}

int SimulatedMachine::grantRequests(uint16_t address) const {
    auto it = grants_.find(address);
    return it == grants_.end() ? 0 : it->second;
}

bool SimulatedMachine::touched(uint16_t address) const {
    if (grantRequests(address) > 0) return true;
    return touched_.count(address) != 0;
}

void SimulatedMachine::remember(const Access& access) {
    accesses_.push_back(access);
    if (accesses_.size() > kKeptAccesses) accesses_.pop_front();
    touched_.insert(access.address);
}

}  // namespace portscope
