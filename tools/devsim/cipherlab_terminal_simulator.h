#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "device_simulator.h"
#include "paced_link.h"

namespace zelvane::devsim {

// One record the terminal holds for the PC: its text as the terminal sends it, full
// ("name,code,quantity,price in hundredths") or short ("code,quantity").
struct TerminalRecord {
  std::string text;
};

// Faults a terminal plays on cue. Each applies to what follows it in the script: the
// next command, the next record the terminal sends, or the next one the PC uploads.
enum class TerminalCue {
  kNakCommand,      // the next "READ" or "CIPHER" is answered NAK
  kNakRecord,       // the next record the PC uploads is answered NAK
  kRepeatSequence,  // the next record, once acknowledged, is sent again
  kWrongCheck,      // the next record goes out first with a wrong check value
  kNoCr,            // the next record goes out first without its CR
  kLoneOver,        // the download ends with a single "OVER"
  kSilence,         // the terminal stops answering here
};

using TerminalStep = std::variant<TerminalRecord, TerminalCue>;

// The frame a terminal sends a record in: sequence byte, text, the text's sum high byte
// first (a CR byte sent as 0x0E), CR.
std::string TerminalFrame(int sequence, std::string_view text);
// Whether an uploaded frame ends in the check bytes and CR its text calls for; its
// text (without them) in `text`.
bool TakeUploadedFrame(std::string_view frame, std::string& text);

// A CipherLab batch terminal on a line paced at `baud`. "READ" starts the download of
// the scripted records, one frame at a time, each sent again on NAK; "CIPHER" starts
// an upload, whose records are kept (and handed to `onUpload`) until "OVER" twice.
class CipherLabTerminalSimulator : private PacedLink, public DeviceSimulator {
 public:
  using UploadListener = std::function<void(const std::string& text)>;

  CipherLabTerminalSimulator(DeviceLink& link, int baud, const std::vector<TerminalStep>& script,
                             UploadListener onUpload = {});

  void Receive(char byte) override;

  const std::vector<std::string>& Uploaded() const { return m_uploaded; }

 private:
  struct Outgoing {
    std::string text;
    bool repeat = false;
    bool wrongCheckFirst = false;
    bool noCrFirst = false;
    bool silenceBefore = false;
  };
  enum class State { kIdle, kDownloading, kUploading, kSilent };

  void HandleLine(const std::string& line);
  void AnswerCommand(State next);
  void SendCurrentRecord();
  std::string CurrentFrame() const;
  void SendEnd();
  void TakeUpload(const std::string& line);

  std::vector<Outgoing> m_records;
  std::size_t m_commandNaks = 0;
  std::size_t m_uploadNaks = 0;
  bool m_loneOver = false;
  bool m_silentAtEnd = false;
  UploadListener m_onUpload;

  State m_state = State::kIdle;
  std::string m_line;
  std::size_t m_next = 0;    // the record being sent
  bool m_faultSent = false;  // its faulty first sending is done
  int m_oversReceived = 0;
  std::vector<std::string> m_uploaded;
};

}  // namespace zelvane::devsim
