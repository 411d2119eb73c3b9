#include <gtest/gtest.h>

#include <string>

#include "buffer_test_support.h"
#include "buffers/buffer_errors.h"
#include "buffers/chr_arr.h"

namespace zelvane {
namespace {

TEST(ChrArrConstruction, EmptySourcesGiveEmptyBuffers) {
  const char* const nullText = nullptr;
  for (const CChrArr& empty : {CChrArr(), CChrArr(nullText), CChrArr(""), CChrArr(std::string())}) {
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.GetSize(), 0);
  }
}

TEST(ChrArrConstruction, TextsGiveTheirBytesWithoutTerminator) {
  EXPECT_EQ(Contents(CChrArr("AB\xB9")), "AB\xB9");
  EXPECT_EQ(Contents(CChrArr(std::string("AB\0CD", 5))), "AB");
}

TEST(ChrArrConstruction, RepeatedByte) {
  EXPECT_EQ(Contents(CChrArr(' ', 3)), "   ");
  EXPECT_EQ(Contents(CChrArr(0, 2)), std::string(2, '\0'));
  EXPECT_THROW(CChrArr('x', 0), InvalidArgument);
  EXPECT_THROW(CChrArr('x', -1), InvalidArgument);
}

TEST(ChrArrAssignment, ReplacesTheContents) {
  CChrArr buffer("XYZ");
  buffer = "AB";
  EXPECT_EQ(Contents(buffer), "AB");
  buffer = 'Q';
  EXPECT_EQ(Contents(buffer), "Q");
  const char* const nullText = nullptr;
  buffer = nullText;
  EXPECT_TRUE(buffer.IsEmpty());
}

TEST(ChrArrAssignment, CopiesAreIndependent) {
  CChrArr original("AB");
  CChrArr copy(original);
  copy[0] = 'X';
  CChrArr assigned;
  assigned = original;
  original += 'C';
  EXPECT_EQ(Contents(original), "ABC");
  EXPECT_EQ(Contents(copy), "XB");
  EXPECT_EQ(Contents(assigned), "AB");
}

TEST(ChrArrAssignment, SelfAssignmentAndSelfCopyKeepTheBytes) {
  CChrArr buffer("ABC");
  CChrArr& alias = buffer;
  buffer = alias;
  buffer.Copy(alias);
  EXPECT_EQ(Contents(buffer), "ABC");
}

TEST(ChrArrAppend, AddsBytesAtTheEnd) {
  CChrArr buffer("A");
  buffer += CChrArr("BC");
  buffer += '\0';
  buffer += "D";
  buffer += "";
  const char* const nullText = nullptr;
  buffer += nullText;
  EXPECT_EQ(Contents(buffer), std::string("ABC\0D", 5));
  EXPECT_EQ(buffer.Append(CChrArr("EF")), 5);
  EXPECT_EQ(Contents(buffer), std::string("ABC\0DEF", 7));
}

TEST(ChrArrAppend, AppendingABufferToItselfLeavesItUnchanged) {
  CChrArr buffer("AB");
  buffer += buffer;
  EXPECT_EQ(buffer.Append(buffer), 2);
  EXPECT_EQ(Contents(buffer), "AB");
}

TEST(ChrArrJoin, KeepsTheOperandOrderAndLeavesTheOperands) {
  const CChrArr left("AB");
  const CChrArr right(BytesOf({0, 'C'}));
  EXPECT_EQ(Contents(left + right), std::string("AB\0C", 4));
  EXPECT_EQ(Contents(left + "xy"), "ABxy");
  EXPECT_EQ(Contents("xy" + left), "xyAB");
  EXPECT_EQ(Contents(left), "AB");
  EXPECT_EQ(right.GetSize(), 2);
}

TEST(ChrArrElements, AccessOutsideTheBufferThrows) {
  CChrArr buffer("AB");
  const CChrArr& readOnly = buffer;
  EXPECT_EQ(readOnly[1], 'B');
  EXPECT_EQ(buffer.GetAt(0), 'A');
  buffer.SetAt(1, 'X');
  EXPECT_EQ(Contents(buffer), "AX");
  EXPECT_THROW(readOnly[2], InvalidArgument);
  EXPECT_THROW(buffer[-1], InvalidArgument);
  EXPECT_THROW(buffer.GetAt(2), InvalidArgument);
  EXPECT_THROW(buffer.SetAt(2, 'C'), InvalidArgument);
  EXPECT_THROW(CChrArr().GetAt(0), InvalidArgument);
}

TEST(ChrArrElements, GrowingAddsZeros) {
  CChrArr buffer("A");
  buffer.SetAtGrow(3, 'D');
  EXPECT_EQ(Contents(buffer), std::string("A\0\0D", 4));
  buffer.SetSize(6);
  EXPECT_EQ(Contents(buffer), std::string("A\0\0D\0\0", 6));
  buffer.SetSize(1);
  EXPECT_EQ(Contents(buffer), "A");
  EXPECT_THROW(buffer.SetSize(-1), InvalidArgument);
  EXPECT_THROW(buffer.SetAtGrow(-1, 'x'), InvalidArgument);
}

TEST(ChrArrElements, InsertAt) {
  CChrArr buffer("AD");
  buffer.InsertAt(1, 'B');
  buffer.InsertAt(2, 'C', 2);
  EXPECT_EQ(Contents(buffer), "ABCCD");
  buffer.InsertAt(0, buffer);
  EXPECT_EQ(Contents(buffer), "ABCCDABCCD");

  CChrArr shortBuffer("A");
  shortBuffer.InsertAt(3, CChrArr("XY"));
  EXPECT_EQ(Contents(shortBuffer), std::string("A\0\0XY", 5));
  shortBuffer.InsertAt(7, 'Z', 2);
  EXPECT_EQ(Contents(shortBuffer), std::string("A\0\0XY\0\0ZZ", 9));
  EXPECT_THROW(shortBuffer.InsertAt(0, 'x', 0), InvalidArgument);
  EXPECT_THROW(shortBuffer.InsertAt(-1, 'x'), InvalidArgument);
}

}  // namespace
}  // namespace zelvane
