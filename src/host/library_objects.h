#pragma once

namespace zelvane {

class CVeduvezid;
class HostLink;

// The library's one serial object, shared by every device job.
CVeduvezid& TheSerialObject();
// The library's one link to the host, which carries every run's notices.
HostLink& TheHostLink();

}  // namespace zelvane
