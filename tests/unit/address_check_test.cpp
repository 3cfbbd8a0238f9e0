#include "core/address_check.h"

#include <gtest/gtest.h>

#include <source_location>

#include "core/texts.h"
#include "tests/support/fake_platform.h"

namespace plinor {
namespace {

using testing::FakePlatform;

struct CheckCase {
  std::string address;
  int result;
  const char* message;  // nullptr: no message
};

std::ostream& operator<<(std::ostream& out, const CheckCase& c) {
  return out << ::testing::PrintToString(c.address);
}

void ExpectMessage(const FakePlatform& p, const char* message,
                   std::source_location caller = std::source_location::current()) {
  const ::testing::ScopedTrace trace(caller.file_name(), static_cast<int>(caller.line()),
                                     "expected message");
  if (!message) {
    EXPECT_TRUE(p.prompts.empty()) << "got " << p.prompts.front().text;
    return;
  }
  ASSERT_EQ(p.prompts.size(), 1u);
  EXPECT_EQ(p.prompts[0].text, message);
  EXPECT_EQ(p.prompts[0].caption, "Talvor Plinor ");
  EXPECT_EQ(p.prompts[0].type, 0x40u);
  EXPECT_FALSE(p.prompts[0].applicationBox);
}

class DottedAddresses : public ::testing::TestWithParam<CheckCase> {};


TEST_P(DottedAddresses, AreCheckedPieceByPiece) {
  const CheckCase& c = GetParam();
  FakePlatform p;
  EXPECT_EQ(CheckAddressAsIP(p, c.address), c.result);
  ExpectMessage(p, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    InRange, DottedAddresses,
    ::testing::Values(CheckCase{"192.0.2.10", 1, nullptr},
                      CheckCase{"0.0.0.0", 1, nullptr},
                      CheckCase{"254.254.254.254", 1, nullptr},
                      CheckCase{"10.5", 1, nullptr},
                      CheckCase{"1.2.3.4.5", 1, nullptr},
                      CheckCase{"1a.007.+3.-0", 1, nullptr},
                      CheckCase{"host.example", 1, nullptr},
                      CheckCase{"...", 1, nullptr},
                      CheckCase{".1..2.", 1, nullptr},
                      CheckCase{"10.0.0.1 \t", 1, nullptr}));

INSTANTIATE_TEST_SUITE_P(
    OutOfRange, DottedAddresses,
    ::testing::Values(CheckCase{"192.0.2.255", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"192.0.2.256", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"-1.0.0.0", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"300.300.300.300", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"2147483647.1", 0, IDS_INVALID_IP_TEXT},
                      // A digit run beyond 32 bits never wraps into range.
                      CheckCase{"4294967296.1", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"4294967306.1", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"99999999999999999999999.1", 0,
                                IDS_INVALID_IP_TEXT},
                      CheckCase{"-4294967296.1", 0, IDS_INVALID_IP_TEXT}));

// White space inside an address would split the browser's command line.
INSTANTIATE_TEST_SUITE_P(
    InnerWhiteSpace, DottedAddresses,
    ::testing::Values(CheckCase{"10.0.0.1 --new-window", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"10.0. 0.1", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"10.0.0.1\t2", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"a.b\nc", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"host.example ?x", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"10.0.0.1\"", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"10.0.0.1 \n", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"10.0.0.1\r", 0, IDS_INVALID_IP_TEXT},
                      CheckCase{"\"10.0.0.1", 0, IDS_INVALID_IP_TEXT}));

TEST(DottedAddress, NoDotIsAHostNameAndShowsNothing) {
  for (const char* address : {"", "host", "   ", "10 0 0 1"}) {
    FakePlatform p;
    EXPECT_EQ(CheckAddressAsIP(p, address), 2) << address;
    EXPECT_TRUE(p.prompts.empty());
  }
}

class HostNames : public ::testing::TestWithParam<CheckCase> {};

TEST_P(HostNames, MeetTheRulesInOrder) {
  const CheckCase& c = GetParam();
  FakePlatform p;
  EXPECT_EQ(CheckHostName(p, c.address), c.result);
  ExpectMessage(p, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, HostNames,
    ::testing::Values(
        CheckCase{"router", 1, nullptr},
        CheckCase{"my-router_2:8080/x", 1, nullptr},
        CheckCase{std::string(63, 'h'), 1, nullptr},
        CheckCase{"", 0, IDS_HOST_EMPTY_TEXT},
        CheckCase{"   ", 0, IDS_HOST_SPACES_TEXT},
        CheckCase{"router\t", 0, IDS_HOST_SPACES_TEXT},
        CheckCase{" router", 0, IDS_HOST_SPACES_TEXT},
        CheckCase{"rou ter", 0, IDS_HOST_SPACES_TEXT},
        // Any white space inside, not only the blank.
        CheckCase{"rou\tter", 0, IDS_HOST_SPACES_TEXT},
        CheckCase{"rou\rter", 0, IDS_HOST_SPACES_TEXT},
        CheckCase{"a b?", 0, IDS_HOST_SPACES_TEXT},
        CheckCase{"router?", 0, IDS_HOST_QUESTION_TEXT},
        CheckCase{"a\"b", 0, IDS_HOST_QUOTE_TEXT},
        CheckCase{"a\"b?", 0, IDS_HOST_QUESTION_TEXT},
        CheckCase{std::string(70, 'h') + "\"", 0, IDS_HOST_QUOTE_TEXT},
        CheckCase{std::string(69, 'h') + "?", 0, IDS_HOST_QUESTION_TEXT},
        CheckCase{std::string(64, 'h'), 0, IDS_HOST_TOO_LONG_TEXT}));

TEST(HostName, LengthCountsBytesOfDoubleByteText) {
  FakePlatform p;
  p.doubleByte = true;
  std::string name;
  for (int i = 0; i < 32; ++i) name += "\x83\x5C";  // 64 bytes
  EXPECT_EQ(CheckHostName(p, name), 0);
  ExpectMessage(p, IDS_HOST_TOO_LONG_TEXT);
}

}  // namespace
}  // namespace plinor
