#include "machine/motion_priority.h"

#include "machine/workspace.h"

namespace corvane {

MotionPriority::MotionPriority(Workspace& ws)
    : ws_(ws), wasRealtime_(ws.motion.realtime), scope_(ws.scheduling) {
    ws_.motion.realtime = scope_.granted();
}

MotionPriority::~MotionPriority() {
    ws_.motion.realtime = wasRealtime_;
}

}  // namespace corvane
