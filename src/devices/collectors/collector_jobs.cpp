#include "devices/collectors/collector_jobs.h"

#include "devices/collectors/collector_adapters.h"
#include "jobs/notice_codes.h"

namespace zelvane {

int CCP_DCOLL::OpenDevice(int port, const RunRequest* request) {
  if (!BindProtocol() || request == nullptr) return 0;
  const int opened = TakeOpenResult(m_protocol.Open(port, request->baud));
  // Traced whatever the open gave, so that a failed run leaves its (empty) trace too.
  m_protocol.OpenTraceLog();
  return opened;
}

int CCP_DCOLL::CloseDevice(int) {
  const PortUse::Claim claim = m_portUse.WaitForTurn();
  m_protocol.Close();
  m_protocol.CloseTraceLog();
  return 1;
}

int CCP_DCOLL::ReadCode(int, char* text) {
  text[0] = '\0';
  return 0;
}

int CCP_DCOLL::ReadCollector(int, RecordCallback callback) {
  Notify(notice::kTransferStarts, "", 0, 0);
  const PortUse::Claim claim = m_portUse.WaitForTurn();
  return TakeTransferResult(m_protocol.ReadRecords(
      [callback](cipherlab::CollectorRecord& record) {
        DeliverCollectorRecordToHost(callback, record);
      },
      m_layout));
}

int CCP_DCOLL::LoadCollector(int, void* records, int count, int, int) {
  const PortUse::Claim claim = m_portUse.WaitForTurn();
  return Load(records, count);
}

int CCP_DCOLL::LoadHostRecord(HostLineRecord* record) {
  const PortUse::Claim claim = m_portUse.TakeIfFree();
  // Seen under the claim: a close that began since has cleared it and waits for us.
  if (!claim || IsOpened() == 0) return 0;
  return Load(record, 1);
}

int CCP_DCOLL::Load(void* records, int count) {
  Notify(notice::kTransferStarts, "", 0, 0);
  return TakeTransferResult(m_protocol.LoadRecords(
      [records, count](cipherlab::CollectorRecord& record, int index) {
        TakeRecordFromHost(records, count, index, record);
      },
      count));
}

}  // namespace zelvane
