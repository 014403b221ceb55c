// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "ephemlib.h"

namespace {

using Bytes = std::array<uint8_t, 6>;

Bytes encode(double x) {
  Bytes b{};
  EphemReal6Encode(x, b.data());
  return b;
}

TEST(Real6, EncodingsOfKnownValues) {
  struct Row {
    double value;
    Bytes bytes;
  } rows[] = {
      {0.0, {0, 0, 0, 0, 0, 0}},        {1.0, {0x81, 0, 0, 0, 0, 0}},
      {-1.0, {0x81, 0, 0, 0, 0, 0x80}}, {0.5, {0x80, 0, 0, 0, 0, 0}},
      {10.0, {0x84, 0, 0, 0, 0, 0x20}}, {-360.0, {0x89, 0, 0, 0, 0, 0xB4}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(encode(r.value), r.bytes) << r.value;
    EXPECT_EQ(EphemReal6Decode(r.bytes.data()), r.value) << r.value;
  }
}

TEST(Real6, RoundsToFortySignificantBitsTiesToEven) {
  const double ulp = std::ldexp(1.0, -39);  // one unit in the last place at 1.0
  EXPECT_EQ(EphemReal6Round(1.0 + ulp / 2), 1.0) << "tie goes to the even neighbour";
  EXPECT_EQ(EphemReal6Round(1.0 + 3 * ulp / 2), 1.0 + 2 * ulp) << "tie goes up to even";
  EXPECT_EQ(EphemReal6Round(1.0 + ulp / 2 + ulp / 1024), 1.0 + ulp);
  EXPECT_EQ(EphemReal6Round(1.0 + ulp / 3), 1.0);
  EXPECT_NEAR(EphemReal6Round(123.45) - 123.45, -4.7e-11, 1e-12);
  for (double x : {123.45, -0.001, 359.99999, 1e30, -7e-30}) {
    const Bytes b = encode(x);
    EXPECT_EQ(EphemReal6Decode(b.data()), EphemReal6Round(x)) << x;
  }
}

TEST(Real6, OverflowRaisesAndUnderflowGivesZero) {
  EXPECT_THROW(encode(std::ldexp(1.0, 127)), EphemArithmeticError);
  EXPECT_THROW(encode(-1e300), EphemArithmeticError);
  EXPECT_THROW(encode(NAN), EphemArithmeticError);
  EXPECT_NO_THROW(encode(std::ldexp(1.0, 126)));
  EXPECT_EQ(encode(std::ldexp(1.0, -129)), (Bytes{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EphemReal6Round(std::ldexp(1.0, -128)), std::ldexp(1.0, -128));
}

}  // namespace
