// SPDX-License-Identifier: LGPL-3.0-or-later
// The planetary theory: mean orbital elements of the Earth, the planets and Chiron, and the
// periodic corrections of the outer planets, laid out as the flat 411-double table that hosts own
// and hand back to PlanetCalc on every call.
#include <array>
#include <cstddef>
#include <string>

#include "internal.h"

namespace {

// Each element is c0 + c1 T + c2 T^2 (T in Julian centuries from 1900 January 0.5), except the
// semi-major axis, a constant: M, e, w, N, i in degrees (e a pure number), a in AU.
using ElementBlock = std::array<double, 16>;

// s0, s1, s2 (AU), then per term amplitude (AU), rate (degrees per century), phase (degrees).
template <std::size_t Terms>
using CorrectionGroup = std::array<double, 3 + 3 * Terms>;

// Suffix Y, X, Z: the heliocentric coordinate a group corrects (groups 1, 2, 3).

constexpr ElementBlock kSunElements = {358.4758, 35999.05, -0.0002,  // M
                                       0.01675,  -0.00004, 0.0,      // e
                                       1.0,                          // a
                                       101.2208, 1.7192,   0.00045,  // w
                                       0.0,      0.0,      0.0,      // N
                                       0.0,      0.0,      0.0};     // i

constexpr ElementBlock kMercuryElements = {102.2794, 149472.5, 0.0,        // M
                                           0.20561,  0.00002,  0.0,        // e
                                           0.387098,                       // a
                                           28.7538,  0.3703,   0.0001,     // w
                                           47.1459,  1.185,    0.0002,     // N
                                           7.0029,   0.0019,   -0.00002};  // i

constexpr ElementBlock kVenusElements = {212.6032, 58517.8,  0.0013,   // M
                                         0.00682,  -0.00005, 0.0,      // e
                                         0.7233,                       // a
                                         54.3842,  0.5082,   -0.0014,  // w
                                         75.7796,  0.8999,   0.0004,   // N
                                         3.3936,   0.001,    0.0};     // i

constexpr ElementBlock kMarsElements = {319.5294, 19139.86, 0.0002,  // M
                                        0.09331,  0.00009,  0.0,     // e
                                        1.5237,                      // a
                                        285.4318, 1.0698,   0.0001,  // w
                                        48.7864,  0.77099,  0.0,     // N
                                        1.8503,   -0.0007,  0.0};    // i

constexpr ElementBlock kJupiterElements = {225.4928,   3033.688,    0.0,   // M
                                           0.04838144, -0.0000155,  0.0,   // e
                                           5.202905,                       // a
                                           273.393,    1.338345,    0.0,   // w
                                           99.41985,   1.058292,    0.0,   // N
                                           1.309659,   -0.00515613, 0.0};  // i

constexpr ElementBlock kSaturnElements = {174.2153, 1223.508, 0.0,   // M
                                          0.05423,  -0.0002,  0.0,   // e
                                          9.5525,                    // a
                                          338.9117, -0.3167,  0.0,   // w
                                          112.8261, 0.8259,   0.0,   // N
                                          2.4908,   -0.0047,  0.0};  // i

constexpr ElementBlock kUranusElements = {74.1757, 427.2742, 0.0,   // M
                                          0.04682, 0.00042,  0.0,   // e
                                          19.2215,                  // a
                                          95.6863, 2.0508,   0.0,   // w
                                          73.5222, 0.5242,   0.0,   // N
                                          0.7726,  0.0001,   0.0};  // i

constexpr ElementBlock kNeptuneElements = {30.13294, 240.4552, 0.0,   // M
                                           0.00913,  -0.00127, 0.0,   // e
                                           30.11375,                  // a
                                           284.1683, -21.6329, 0.0,   // w
                                           130.6841, 1.1005,   0.0,   // N
                                           1.7794,   -0.0098,  0.0};  // i

constexpr ElementBlock kPlutoElements = {229.781, 145.1781, 0.0,   // M
                                         0.24797, 0.002898, 0.0,   // e
                                         39.539,                   // a
                                         113.537, 0.2086,   0.0,   // w
                                         108.944, 1.3739,   0.0,   // N
                                         17.1514, -0.0161,  0.0};  // i

constexpr ElementBlock kChironElements = {34.6127752,  713.5756219,  0.0,   // M
                                          0.382270369, -0.004694073, 0.0,   // e
                                          13.66975144,                      // a
                                          337.407213,  2.163306646,  0.0,   // w
                                          208.1482658, 1.247724355,  0.0,   // N
                                          6.911179715, 0.011236955,  0.0};  // i

// clang-format off
// From index 81
constexpr CorrectionGroup<11> kJupiterY = {
    -0.001, -0.0005, 0.0045,
    0.0051, 581.6589, -9.7377,
    -0.0005, 2510.654, -12.5381,
    -0.0026, 1313.714, -61.4095,
    0.0013, 2370.794, -24.6397,
    -0.0013, 3599.299, 37.68,
    -0.001, 2574.692, 31.4306,
    -0.00096, 6708.182, -114.4988,
    -0.0006, 5499.427, -74.9716,
    -0.0013, 1419.044, 54.2159,
    0.0006, 6339.277, -109.0102,
    0.0007, 4824.472, -50.8501};

// From index 117
constexpr CorrectionGroup<11> kJupiterX = {
    0.002, -0.0134, 0.0127,
    -0.0023, 676.1597, 0.9329,
    0.00045, 2361.355, 174.9531,
    0.0015, 1427.462, -188.8358,
    0.0006, 2110.129, 153.6404,
    0.0014, 3606.806, -57.6744,
    -0.0017, 2540.156, 121.7431,
    -0.00099, 6704.782, -22.2534,
    -0.0006, 5480.166, 24.514,
    0.00096, 1651.282, -118.2299,
    0.0006, 6310.764, -4.8278,
    0.0007, 4826.61, 36.2451};

// From index 169
constexpr CorrectionGroup<5> kSaturnY = {
    -0.0009, 0.0037, 0.0,
    0.0134, 1238.9, -16.4,
    -0.00426, 3040.9, -25.2,
    0.0064, 1835.3, 36.1,
    -0.0153, 610.8, -44.2,
    -0.0015, 2480.5, -69.4};

// From index 187
constexpr CorrectionGroup<5> kSaturnX = {
    -0.0014, 0.0026, 0.0,
    0.0111, 1242.2, 78.3,
    -0.0045, 3034.96, 62.8,
    -0.0066, 1829.2, -51.5,
    -0.0078, 640.6, 24.2,
    -0.0016, 2363.4, -141.4};

// From index 205
constexpr CorrectionGroup<4> kSaturnZ = {
    0.0006, -0.0002, 0.0,
    -0.0005, 1251.1, 43.7,
    0.0005, 622.8, 13.7,
    0.0003, 1824.7, -71.1,
    0.0001, 2997.1, 78.2};

// From index 236
constexpr CorrectionGroup<4> kUranusY = {
    -0.0021, -0.0159, 0.0,
    0.0299, 422.3, -17.7,
    -0.0049, 3035.1, -31.3,
    -0.0038, 945.3, 60.1,
    -0.0023, 1227.0, -4.99};

// From index 251
constexpr CorrectionGroup<4> kUranusX = {
    0.0134, -0.02186, 0.0,
    0.0317, 404.3, 81.9,
    -0.00495, 3037.9, 57.3,
    0.004, 993.5, -54.4,
    -0.0018, 1249.4, 79.2};

// From index 266
constexpr CorrectionGroup<3> kUranusZ = {
    -0.0003, 0.0005, 0.0,
    0.0005, 352.5, -54.99,
    0.0001, 3027.5, 54.2,
    -0.0001, 1150.3, -88.0};

// From index 294
constexpr CorrectionGroup<4> kNeptuneY = {
    0.1832, -0.6718, 0.2726,
    -0.1923, 175.7, 31.8,
    0.0122, 542.1, 189.6,
    0.0027, 1219.4, 178.1,
    -0.00496, 3035.6, -31.3};

// From index 309
constexpr CorrectionGroup<4> kNeptuneX = {
    -0.1122, 0.166, -0.0544,
    -0.00496, 3035.3, 58.7,
    0.0961, 177.1, -68.8,
    -0.0073, 630.9, 51.0,
    -0.0025, 1236.6, 78.0};

// From index 324
constexpr CorrectionGroup<3> kNeptuneZ = {
    0.00196, -0.0119, 0.0111,
    0.0001, 3049.3, 44.2,
    -0.0002, 893.9, 48.5,
    0.00007, 1416.5, -25.2};

// From index 352
constexpr CorrectionGroup<4> kPlutoY = {
    -0.0426, 0.073, -0.029,
    0.0371, 372.0, -331.3,
    -0.0049, 3049.6, -39.2,
    -0.0108, 566.2, 318.3,
    0.0003, 1746.5, -238.3};

// From index 367
constexpr CorrectionGroup<4> kPlutoX = {
    -0.0603, 0.5002, -0.6126,
    0.049, 273.97, 89.97,
    -0.0049, 3030.6, 61.3,
    0.0027, 1075.3, -28.1,
    -0.0007, 1402.3, 20.3};

// From index 382
constexpr CorrectionGroup<3> kPlutoZ = {
    0.0145, -0.0928, 0.1195,
    0.0117, 302.6, -77.3,
    0.00198, 528.1, 48.6,
    -0.0002, 1000.4, -46.1};
// clang-format on

constexpr std::size_t kTableSize = EPHEM_THEORY_TABLE_SIZE;
constexpr std::size_t kPieceCount = 24;

struct Layout {
  std::array<double, kTableSize> values{};
  std::array<std::size_t, kPieceCount> starts{};
  std::size_t end = 1;  // index 0 belongs to the caller
};

template <std::size_t N>
constexpr void append(Layout& layout, std::size_t& piece, const std::array<double, N>& values) {
  layout.starts[piece++] = layout.end;
  for (double value : values) layout.values[layout.end++] = value;
}

// Every body's block follows the previous body's last term, each group its block, without gaps.
constexpr Layout buildLayout() {
  Layout layout;
  std::size_t piece = 0;
  append(layout, piece, kSunElements);
  append(layout, piece, kMercuryElements);
  append(layout, piece, kVenusElements);
  append(layout, piece, kMarsElements);
  append(layout, piece, kJupiterElements);
  append(layout, piece, kJupiterY);
  append(layout, piece, kJupiterX);
  append(layout, piece, kSaturnElements);
  append(layout, piece, kSaturnY);
  append(layout, piece, kSaturnX);
  append(layout, piece, kSaturnZ);
  append(layout, piece, kUranusElements);
  append(layout, piece, kUranusY);
  append(layout, piece, kUranusX);
  append(layout, piece, kUranusZ);
  append(layout, piece, kNeptuneElements);
  append(layout, piece, kNeptuneY);
  append(layout, piece, kNeptuneX);
  append(layout, piece, kNeptuneZ);
  append(layout, piece, kPlutoElements);
  append(layout, piece, kPlutoY);
  append(layout, piece, kPlutoX);
  append(layout, piece, kPlutoZ);
  append(layout, piece, kChironElements);
  return layout;
}

constexpr Layout kLayout = buildLayout();

// PlanetCalc finds every block and group at these fixed positions.
static_assert(kLayout.starts == std::array<std::size_t, kPieceCount>{
                                    1,   17,  33,  49,  65,  81,  117, 153, 169, 187, 205, 220,
                                    236, 251, 266, 278, 294, 309, 324, 336, 352, 367, 382, 394});
static_assert(kLayout.end == EPHEM_THEORY_TABLE_HIGH,
              "Chiron's block must end at 409; 410 stays 0");
static_assert(kLayout.values[1] == 358.4758 && kLayout.values[409] == 0.0 &&
              kLayout.values[EPHEM_THEORY_TABLE_HIGH] == 0.0);
static_assert(kJupiterY.size() == 3 + 3 * 11 && kSaturnZ.size() == 3 + 3 * 4 &&
              kPlutoZ.size() == 3 + 3 * 3);

}  // namespace

extern "C" {

void InitialisePlanets(double* TheoryTable, int32_t TheoryTableHigh) {
  // A missing or shorter array would be written past its end; refuse before touching it.
  ephem::detail::requireHighIndex("InitialisePlanets", "TheoryTable", TheoryTable, TheoryTableHigh,
                                  EPHEM_THEORY_TABLE_HIGH);
  for (std::size_t index = 1; index < kTableSize; ++index) {
    TheoryTable[index] = kLayout.values[index];
  }
}

}  // extern "C"
