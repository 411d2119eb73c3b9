#include "host/library_objects.h"

#include "host/device_registry.h"
#include "jobs/run_state.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

// The library's long-lived objects, defined in one place so that they are built in
// this order at load and destroyed in the reverse order at unload: the run state,
// the serial object, then the device jobs.
RunState g_runState;
CVeduvezid g_serialObject;

}  // namespace

RunState& TheRunState() {
  return g_runState;
}

CVeduvezid& TheSerialObject() {
  return g_serialObject;
}

CLogicScaner* SelectJob(std::int32_t) {
  return nullptr;
}

CLogicScaner* DefaultJob() {
  return nullptr;
}

}  // namespace zelvane
