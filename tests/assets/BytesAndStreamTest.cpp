// Integers packed in strings, and the memory stream's bounds.
#include <gtest/gtest.h>

#include "base/Bytes.h"
#include "assets/MemoryStream.h"

namespace {

TEST(Bytes, PackLowByteFirstAndBack) {
  struct Case {
    int32_t value;
    std::string bytes;
  };
  for (const Case& c : {Case{1, std::string("\x01\0\0\0", 4)}, Case{-1, "\xFF\xFF\xFF\xFF"},
                        Case{0, std::string(4, '\0')}, Case{0x12345678, "\x78\x56\x34\x12"},
                        Case{INT32_MIN, std::string("\0\0\0\x80", 4)}}) {
    EXPECT_EQ(IntToBytes(c.value), c.bytes) << c.value;
    EXPECT_EQ(BytesToInt(c.bytes), c.value) << c.value;
    EXPECT_EQ(ReadInt32At("ab" + c.bytes, 2), c.value) << c.value;
  }
  // A short text gives its bytes as the high-order ones; a long one its last four; bytes read
  // past the end of a text are zero.
  EXPECT_EQ(BytesToInt("\x01\x02"), 0x02010000);
  EXPECT_EQ(BytesToInt("\x09\x01\x02\x03\x04"), 0x04030201);
  EXPECT_EQ(ReadInt32At("\x01\x02\x03\x04", 3), 0x04);
  EXPECT_EQ(ReadInt32At("\x01", 9), 0);
}

TEST(MemoryStream, ReadsNeverPassTheEnd) {
  TMemoryStream s(std::string("abcdef"));
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "abcd");
  EXPECT_FALSE(s.ReadExact(buf, 3));  // only two remain: nothing is read
  EXPECT_EQ(s.Position(), 4u);
  EXPECT_EQ(s.Read(buf, 8), 2u);
  EXPECT_EQ(s.Read(buf, 8), 0u);
  s.Seek(100);
  EXPECT_EQ(s.Read(buf, 1), 0u);
  EXPECT_EQ(s.Remaining(), 0u);
  EXPECT_EQ(s.ReadString(5), "");
  int32_t v = 7;
  EXPECT_FALSE(s.ReadInt(v));
  EXPECT_EQ(v, 7);
  EXPECT_TRUE(s.ReadExact(buf, 0));
}

TEST(MemoryStream, WritesOverwriteThenGrow) {
  TMemoryStream s(std::string("abcdef"));
  s.Seek(4);
  s.Write("XYZ", 3);
  EXPECT_EQ(s.Bytes(), "abcdXYZ");
  EXPECT_EQ(s.Position(), 7u);
  s.Seek(9);  // a gap is filled with zero bytes
  s.WriteInt(-2);
  EXPECT_EQ(s.Bytes(), std::string("abcdXYZ\0\0\xFE\xFF\xFF\xFF", 13));
  s.Seek(9);
  int32_t v = 0;
  ASSERT_TRUE(s.ReadInt(v));
  EXPECT_EQ(v, -2);
  s.Seek(2);
  EXPECT_EQ(s.Rest(), std::string("cdXYZ\0\0\xFE\xFF\xFF\xFF", 11));
}

}  // namespace
