// Every motion of the machine leaves a stamp, so that a stopped cut learns that the carriages
// moved after it stopped, in this program or in another one. A motion (a cut, a jog, a return
// move, a script, the troubleshooter's steps) writes a new random token with a line saying what
// moved, who and when: into ".corvane-motion" in the application folder (every program driving
// this folder's machine sees it), and for a real port also into a file named after the port in
// /dev/shm, writable by every user (a program on another folder driving the same port). A cut's
// record keeps the tokens it saw; a different token later is a motion since.
#pragma once

#include <string>

namespace corvane {

class Workspace;

inline constexpr const char* kMotionStampName = ".corvane-motion";

// Marks a motion of the machine: `what` says which ("a jog", "a script"). Never throws: a stamp
// that cannot be written leaves the earlier one, and a resume then refuses no less.
void markMotion(Workspace& ws, const std::string& what);

// The tokens now ("<folder token>/<port token>"), to keep in a record.
std::string motionStamp(const Workspace& ws);

// What moved since `recorded` was taken, empty when nothing did.
struct MotionSince {
    std::string what;       // "a jog by corvane (process 12) at 18:40:02", empty: no motion
    bool onlyHere = false;  // every motion since was this process's own
};
MotionSince motionSince(const Workspace& ws, const std::string& recorded);

}  // namespace corvane
