#include <gtest/gtest.h>

#include <string>

#include "jobs/host_link.h"
#include "support/job_test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zelvane {
namespace {

using testing::HostRecorder;
using testing::ReceivedNotice;

const char* g_lastTextPointer = nullptr;
void ZELVANE_CALL KeepTextPointer(int32_t, const char* text, int32_t, int32_t) {
  g_lastTextPointer = text;
}

TEST(HostLink, NoticeFillsTheBlockAndCutsLongTexts) {
  HostLink link;
  HostRecorder host;
  link.SetStatusCallback(&HostRecorder::OnStatus);

  link.PostStatus(7, std::string(300, 'a') + "tail", -3, 999999);
  const StatusNotice& block = link.Notice();
  EXPECT_EQ(block.code, 7);
  EXPECT_EQ(std::string(block.text), std::string(255, 'a'));
  EXPECT_EQ(block.first, -3);
  EXPECT_EQ(block.second, 999999);
  ASSERT_EQ(host.Notices().size(), 1u);
  EXPECT_EQ(host.Notices()[0], (ReceivedNotice{7, std::string(255, 'a'), -3, 999999}));

  // A shorter text after a long one leaves no trace of the long one.
  link.PostStatus(11, "", 0, 0);
  EXPECT_STREQ(link.Notice().text, "");
}

TEST(HostLink, CallbackGetsTheBlocksOwnText) {
  HostLink link;
  link.SetStatusCallback(&KeepTextPointer);
  link.PostStatus(1, "abc", 0, 0);
  EXPECT_EQ(g_lastTextPointer, link.Notice().text);
}

TEST(HostLink, WithoutCallbackTheBlockIsStillFilled) {
  HostLink link;
  HostRecorder host;
  link.PostStatus(10, "done", 1, 2);
  EXPECT_EQ(link.Notice().code, 10);
  EXPECT_STREQ(link.Notice().text, "done");
  EXPECT_TRUE(host.Notices().empty());
}

#ifdef _WIN32
// Posted notices carry the code in wParam and the block's address in lParam.
TEST(HostLink, NoticeIsPostedOnlyWithAMessageNumber) {
  HWND window =
      ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  HostLink link;
  MSG message;

  link.AttachWindow(window, 0);
  link.PostStatus(5, "x", 0, 0);
  EXPECT_FALSE(::PeekMessageA(&message, window, 0, 0, PM_REMOVE));

  const UINT number = WM_APP + 17;
  link.AttachWindow(window, number);
  link.PostStatus(5, "x", 100, 0);
  ASSERT_TRUE(::PeekMessageA(&message, window, number, number, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
  EXPECT_EQ(reinterpret_cast<const StatusNotice*>(message.lParam), &link.Notice());
  ::DestroyWindow(window);
}
#endif

}  // namespace
}  // namespace zelvane
