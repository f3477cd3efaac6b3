#include "machine/machine_lease.h"

#include <utility>

namespace corvane {

LeaseHold& LeaseHold::operator=(LeaseHold&& other) noexcept {
    if (this != &other) {
        release();
        lease_ = other.lease_;
        other.lease_ = nullptr;
    }
    return *this;
}

void LeaseHold::release() {
    if (!lease_) return;
    lease_->owner_ = nullptr;
    lease_->holderName_.clear();
    lease_ = nullptr;
}

LeaseHold MachineLease::take(const void* owner, std::string holderName) {
    if (owner_ != nullptr || owner == nullptr) return {};
    owner_ = owner;
    holderName_ = std::move(holderName);
    return LeaseHold(this);
}

std::string MachineLease::refusal() const {
    if (!held()) return {};
    return "The machine is in use by " + holderName_ +
           ". Only one cut, move or test drives the machine and the hot wire at a time: stop it "
           "there or let it finish, then try again.";
}

std::string MachineLease::settingsRefusal() const {
    if (!held()) return {};
    return "The settings cannot be changed while " + holderName_ +
           " is using the machine: the wire pin, its level and the port stay as they are until "
           "it stops. Your edits are kept; stop it there or let it finish, then try again.";
}

}  // namespace corvane
