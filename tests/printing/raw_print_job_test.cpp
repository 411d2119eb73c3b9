#include "printing/raw_print_job.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printing/recording_spooler.h"

namespace zelvane::printing {
namespace {

using testing::RecordingSpooler;

const std::vector<std::uint8_t> kStream = {'A', 0x00, 0x1B, '@', 0x80, 0xFF, 0x0D, 0x0A};

TEST(PrintRaw, EndsTheStartedStagesInReverseOrderWhenOneFails) {
  struct Run {
    std::string failingStage;
    std::uint32_t unwritten;
    bool expected;
    std::vector<std::string> journal;
  };
  const std::vector<Run> runs = {
      {"",
       0,
       true,
       {"open P", "document My Document", "page", "write 8", "end page", "end document", "close"}},
      {"open", 0, false, {"open P"}},
      {"document", 0, false, {"open P", "document My Document", "close"}},
      {"page", 0, false, {"open P", "document My Document", "page", "end document", "close"}},
      {"write",
       0,
       false,
       {"open P", "document My Document", "page", "write 8", "end page", "end document", "close"}},
      {"end page",
       0,
       false,
       {"open P", "document My Document", "page", "write 8", "end page", "end document", "close"}},
      {"end document",
       0,
       false,
       {"open P", "document My Document", "page", "write 8", "end page", "end document", "close"}},
      {"",
       3,
       false,
       {"open P", "document My Document", "page", "write 8", "end page", "end document", "close"}},
  };
  for (const Run& run : runs) {
    RecordingSpooler spooler;
    spooler.failingStage = run.failingStage;
    spooler.bytesLeftUnwritten = run.unwritten;
    const std::string label = run.failingStage + "/" + std::to_string(run.unwritten);
    EXPECT_EQ(PrintRaw(spooler, "P", kStream.data(), kStream.size()), run.expected) << label;
    EXPECT_EQ(spooler.journal, run.journal) << label;
  }
}

TEST(PrintRaw, PassesTheStreamUnchangedAndRefusesAnEmptyName) {
  RecordingSpooler spooler;
  EXPECT_TRUE(PrintRaw(spooler, "P", kStream.data(), kStream.size()));
  EXPECT_EQ(spooler.printed, kStream);

  RecordingSpooler unnamed;
  EXPECT_FALSE(PrintRaw(unnamed, "", kStream.data(), kStream.size()));
  EXPECT_TRUE(unnamed.journal.empty());
}

}  // namespace
}  // namespace zelvane::printing
