#pragma once

namespace zelvane {

class CVeduvezid;

// The library's one serial object, shared by every device job.
CVeduvezid& TheSerialObject();

}  // namespace zelvane
