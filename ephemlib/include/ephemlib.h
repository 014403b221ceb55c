// SPDX-License-Identifier: LGPL-3.0-or-later
/* ephemlib: astronomical and astrological calculations for Heliodial.
 *
 * Every export below is extern "C", unmangled, and also reachable by its fixed ordinal through
 * EphemlibExportTable. Conventions shared by all exports:
 *   - Array parameters travel as two C arguments: a pointer to element 0, then the highest index
 *     (element count minus 1). Arrays are indexed from 0. Point arrays leave element 0 unused:
 *     1 Sun, 2 Moon, 3 Mercury, 4 Venus, 5 Mars, 6 Jupiter, 7 Saturn, 8 Uranus, 9 Neptune,
 *     10 Pluto, 11 Node, 12 Chiron, and in the grids 13 Ascendant, 14 Midheaven. Cusp arrays
 *     hold cusp n at element n (1..12). By-value arrays are `const T*`: the callee works on its
 *     own copy. Where an export checks a highest index it says so; the others trust it.
 *   - Real6 arguments and results travel as double; the library rounds them to Real6 precision
 *     (40 significant bits, round to nearest) on entry and before returning.
 *   - Short-string results are written to a caller buffer: byte 0 the length, then Windows-1252
 *     characters (0xB0 degree sign, 0x98..0xA3 sign glyphs Aries..Pisces).
 *   - Angles are degrees unless an export says radians; latitude is positive north, geographic
 *     longitude positive west. Ecliptic longitudes that leave the library lie in [0, 360) for
 *     ZodiacOffset in (-360, 0] (0 tropical, the SidTime correction sidereal), except where an
 *     export says otherwise: ExactSun (and PlanetCalc's Sun) can return exactly 360; MoonCalc's
 *     Moon before 1900 and its Node (and so PlanetCalc's points 2 and 11) can stay below 0 with a
 *     negative offset; ExactMoon and MoonCalc's longitude-only result keep the sign of their
 *     fold, (-360, 360); a house cusp can be exactly 360 (standing for 0); MoonProgCalc steps
 *     from the StartLon it is given.
 *   - Time of day is hours of universal time. T is Julian centuries of 36525 days from 1900
 *     January 0.5 (JD 2415020.0), formed from universal time (no Delta T).
 *   - Failures are raised as C++ exceptions, EphemArithmeticError or EphemIoError (both
 *     std::runtime_error), never returned as status codes; what an export wrote before it raised
 *     is unspecified unless it says so. An exception cannot pass through C: call the library from
 *     C++, or from a C++ function that catches at the boundary, never through C frames.
 *   - A time, place or angle passed as a single argument that is NaN or infinite raises
 *     EphemArithmeticError naming the export and the argument ("SidTime: UT must be a finite
 *     number ..."). Arrays of longitudes are checked only by the dignity and quality exports.
 *   - A null pointer where an export writes a result, or an array it needs, raises
 *     EphemArithmeticError naming the export and the argument ("ExactSun: SunLon is missing (a
 *     null pointer)"), before anything is written.
 *   - A finite argument for which the result would not be finite (NaN or infinite) raises
 *     EphemArithmeticError "Export: Argument is out of range (value given): reason", where the
 *     export says so: PlanetCalc and ExactSun beyond their ranges of T, FC, FS and FD near the
 *     largest double.
 *   - All exports are reentrant and keep no state, except the yield handler (SetYieldHandler).
 */
#ifndef EPHEMLIB_H
#define EPHEMLIB_H

#include <stdbool.h>
#include <stdint.h>

#if defined(__FAST_MATH__)
#error "ephemlib needs exact IEEE arithmetic: do not build with -ffast-math"
#endif

#define EPHEM_API __attribute__((visibility("default")))

#ifdef __cplusplus
#include <stdexcept>
#include <string>

/* A calculation that has no defined result for its input: a square root or logarithm of a
 * negative number, a division by zero, a value too large for Real6, a house system that cannot
 * work at the given latitude. The text says what failed and with which input. */
class EPHEM_API EphemArithmeticError : public std::runtime_error {
 public:
  explicit EphemArithmeticError(const std::string& what);
  ~EphemArithmeticError() override;
};

/* A file utility that could not open, create or copy a file; the text carries the system's reason.
 */
class EPHEM_API EphemIoError : public std::runtime_error {
 public:
  explicit EphemIoError(const std::string& what);
  ~EphemIoError() override;
};

extern "C" {
#endif

/* ---- Sizes shared by the exports and their hosts ---- */

enum {
  EPHEM_THEORY_TABLE_SIZE = 411, /* doubles of the planetary theory table, elements 0..410 */
  EPHEM_THEORY_TABLE_HIGH = 410, /* the highest index hosts pass with the table */
  EPHEM_BODY_COUNT = 12,         /* bodies PlanetCalc computes: 1 Sun .. 12 Chiron */
  EPHEM_CHART_POINT_COUNT = 14   /* with 13 Ascendant and 14 Midheaven, as the grids number them */
};

/* ---- Frame ---- */

typedef struct EphemExport {
  int32_t ordinal;
  const char* name;
  void (*address)(void);
} EphemExport;

/* The 52 exports in ordinal order 1..52; *count receives 52. The table is static and constant. */
EPHEM_API const EphemExport* EphemlibExportTable(int32_t* count);

/* Installs the function YieldToOthers calls (the host's "let pending messages run"); NULL removes
 * it. The one piece of library state: install it once, before any search runs. */
EPHEM_API void SetYieldHandler(void (*handler)(void));

/* Ord 45. Lets the host's pending window messages run by calling the installed handler; without
 * one it does nothing. Call only on the thread that owns the host's windows. */
EPHEM_API void YieldToOthers(void);

/* The six-byte real: byte 0 exponent biased by 129 (0 = zero), bytes 1..5 a 39-bit fraction, least
 * significant byte first, implicit leading 1, top bit of byte 5 the sign. Encode rounds to 40
 * significant bits (nearest, ties to even), raises EphemArithmeticError when the value is too
 * large (|x| >= 2^127) or not finite or bytes is null, and gives zero when it is too small
 * (below 2^-128). */
EPHEM_API void EphemReal6Encode(double value, uint8_t bytes[6]);
EPHEM_API double EphemReal6Decode(const uint8_t bytes[6]);
/* The value Real6 holds for x: what a Real6 variable keeps after x is stored in it. */
EPHEM_API double EphemReal6Round(double x);

/* ---- Time and angle arithmetic ---- */

/* Ord 13. Julian day number at noon of a calendar date (Month 1..12, Day 1..31, Year with 0 the
 * year 1 BC); dates up to 15 October 1582 are read in the Julian calendar, from 16 October 1582
 * on in the Gregorian. JulDay(1, 1, 2000) = 2451545. Nothing is checked: a date whose day number
 * does not fit 32 bits gives a wrapped number. */
EPHEM_API int32_t JulDay(int32_t Month, int32_t Day, int32_t Year);

/* Ord 12. Proleptic Gregorian date (Month 1..12, Day 1..31, Year with 0 the year 1 BC) of a day
 * number, exact for JD 1721120 (1 March of the year 0) to 36219003 (28 February 94452); outside
 * that range, or with a null Month, Day or Year, it raises EphemArithmeticError and writes
 * nothing. For dates before 16 October 1582 it is not the inverse of JulDay, which reads those in
 * the Julian calendar. */
EPHEM_API void JuldayToDate(int32_t JD, int32_t* Month, int32_t* Day, int32_t* Year);

/* Ord 22. From day number JD and universal time of day UT (hours; 24.0 is 0 h of the next day):
 * T (centuries), local sidereal time LST (hours, 0 <= LST < 24) for Longitude (degrees, positive
 * west), the mean obliquity (radians) and the text of LST, "hHmMsS" without leading zeros, cut at
 * 10 characters (11-byte buffer). *ZodiacOffset non-zero on entry asks for the sidereal
 * correction (degrees, about -24.7 in 2000) in its place; zero on entry stays exactly zero.
 * Raises EphemArithmeticError, before writing anything, for a null pointer argument and a
 * non-finite UT or Longitude. */
EPHEM_API void SidTime(int32_t JD, double* ZodiacOffset, double* LST, double UT, double* T,
                       double* Obliquity, double Longitude, unsigned char* Text);

/* Ord 21. Decimal hours to hours, minutes and seconds, rounded to the nearest second (single
 * precision steps: the second can be one short). Hours outside 0..255 wrap in the byte.
 * Raises EphemArithmeticError for a null Hour, Minute or Second and for non-finite Hours. */
EPHEM_API void TimeConv(uint8_t* Hour, uint8_t* Minute, uint8_t* Second, double Hours);

/* Ord 5. Signed degrees and minutes of a Real6 angle, e.g. "+05\xB0" "30" (11-byte result buffer;
 * at least two digits each, cut at 10 characters). Minutes are rounded, ties to even, and not
 * carried: 0.9999 gives +00\xB0 60; -0 prints "+". Raises EphemArithmeticError for a null result
 * and a value Real6 cannot hold (|X| >= 2^127, NaN, infinite). */
EPHEM_API void RealToDegree(double X, unsigned char* result);

/* Ord 15. Position in sign of a longitude in [0, 360): "DD G MM" (degrees and minutes in the sign,
 * truncated) plus the motion mark " R" (Speed < 0), " s" (0 < 60 x Speed < 0.00138889) or two
 * blanks; G the sign glyph byte 0x98..0xA3. 11-byte buffer. A longitude outside [0, 360) still
 * gives a text, with a glyph byte outside that range. Raises as RealToDegree for a null result
 * and values Real6 cannot hold. */
EPHEM_API void MakeSign(double Longitude, double Speed, unsigned char* result);

/* Ord 2. Minutes / 60 as a Real6 (degrees). */
EPHEM_API double MinToFrac(uint8_t Minutes);
/* Ord 3. Fraction of a degree (Real6) to whole minutes, rounded, ties to even (0.9999 gives 60).
 * Raises EphemArithmeticError when the count does not fit 32 bits or Real6 cannot hold the value.
 */
EPHEM_API int32_t FracToMin(double Fraction);
/* Ord 1. Arc sine in radians (-pi/2, pi/2) of a Real6, as a Real6; |X| >= 1 (after rounding to
 * Real6) and NaN raise EphemArithmeticError. */
EPHEM_API double ArcSin(double X);
/* Ord 4. Modern ruler (planet number 1..10) of a sign 1 Aries .. 12 Pisces: Mars, Venus, Mercury,
 * Moon, Sun, Mercury, Venus, Pluto, Jupiter, Saturn, Uranus, Neptune. 0 for any other sign. */
EPHEM_API uint16_t CheckRuler(uint16_t Sign);
/* Ord 24. Sorts A[Lo..Hi] ascending in place; A has highest index AHigh. Nothing happens when
 * Lo >= Hi; a null A or a range outside 0..AHigh raises EphemArithmeticError before anything
 * moves. */
EPHEM_API void QSortReal(double* A, int32_t AHigh, int32_t Lo, int32_t Hi);
/* Ord 39. X to the power Y as exp(Y ln X); X <= 0, a non-finite X or Y, and a result too large
 * for a double raise EphemArithmeticError. */
EPHEM_API double XToTheY(double X, double Y);
/* Ords 40, 43. Cosine and sine of an angle in degrees (X x pi / 180). All five degree functions
 * raise EphemArithmeticError for a non-finite X. FC and FS raise it as out of range where X x pi
 * overflows, |X| beyond 5.7222349715140557e307, and FD where its product does, |X| beyond
 * 3.1375664143845866e306. */
EPHEM_API double FC(double X);
EPHEM_API double FS(double X);
/* Ord 42. Degrees to radians (X x 0.017453292519943295). Ord 41: radians to degrees
 * (X x 57.29577951308232). */
EPHEM_API double FR(double X);
EPHEM_API double FD(double X);
/* Ord 44. Removes whole turns toward zero: the result lies in (-360, 360) with the sign of X. */
EPHEM_API double FU(double X);

/* ---- Planetary theory, positions, Moon and Sun ---- */

/* Ord 36. Fills TheoryTable[1..EPHEM_THEORY_TABLE_HIGH] with the planetary theory (mean elements
 * of the Earth, the planets and Chiron, periodic corrections of Jupiter..Pluto; element 410 is
 * 0); element 0 and anything beyond 410 are left as they are. A null table or a highest index
 * below 410 raises EphemArithmeticError before anything is written. */
EPHEM_API void InitialisePlanets(double* TheoryTable, int32_t TheoryTableHigh);

/* Ord 37. Ecliptic longitude (degrees, ZodiacOffset added), declination (degrees, north positive)
 * and speed (60 x the longitude's rate in radians per day, negative when retrograde) of bodies
 * First..Last (1..12) at T, into Lon, Decl and Speed at the body's index (arrays with highest
 * index at least 12; elements 0, 13 and above are not touched). Every call turns Decl[1..12]
 * from ecliptic latitude into declination, whatever First and Last are. Centric 1 heliocentric
 * (the Moon and the Node stay geocentric), any other value geocentric; a geocentric call that
 * starts past the Sun computes the Earth itself. Work and TermCounts are scratch: their contents
 * are ignored. MoonMode 2 skips the Moon and the Node (Lon[2] and Speed[2] are 0, Decl[2] is 0
 * to within 1e-6, Lon[11] keeps the caller's value); the Moon and the Node always get speed 0.
 * NodeMode 0 true node, any other value the mean node. TheoryTable is the table InitialisePlanets
 * filled, read only. Longitudes lie in [0, 360) for ZodiacOffset in (-360, 0], except the Sun,
 * which can be exactly 360, and the Moon and the Node, which are MoonCalc's and can be below 0 with
 * a negative offset. Raises EphemArithmeticError, before writing anything, for an output array or
 * table that is null or too short (Work and TermCounts may be null), bodies outside 1..12 (when
 * First <= Last), a non-finite T or ZodiacOffset, and a T at which a body asked for has no finite
 * position, as out of range naming the body. All twelve bodies have positions for T from
 * -131.59778959551761 (below it Chiron's eccentricity passes 1) to 259.49965493443756 (above it
 * Pluto's does). Fewer bodies reach further, as long as each one asked for (and, geocentric, the
 * Earth) has an elliptic orbit: the Sun has ExactSun's range, Uranus -2492.4285714285716 to
 * 2269.4761904761904, Neptune -780.2125984251968 to 794.59055118110246, Pluto from
 * -430.63146997929607, Chiron up to 294.47142577458851. */
EPHEM_API void PlanetCalc(int32_t First, int32_t Last, int32_t Centric, double ZodiacOffset,
                          const double* Work, int32_t WorkHigh, double T, const uint8_t* TermCounts,
                          int32_t TermCountsHigh, int32_t MoonMode, double* Lon, int32_t LonHigh,
                          double* Decl, int32_t DeclHigh, double* Speed, int32_t SpeedHigh,
                          const double* TheoryTable, int32_t TheoryTableHigh, uint8_t NodeMode);

/* Ord 38. Moon longitude and latitude (ecliptic, north positive) and the lunar Node (NodeMode 0
 * true, any other value mean), degrees, with ZodiacOffset added to the two longitudes. The
 * tropical longitude L has its whole turns removed toward zero: [0, 360) from 1900 on, (-360, 0]
 * before. MoonLon is L + ZodiacOffset plus 360 once when negative, and NodeLon the node (which
 * lies in (-360, 0] from 1913 on, before any offset) plus ZodiacOffset plus 360 once when
 * negative: with a sidereal offset either can stay below 0. LonOnly 1 writes only LonOnlyResult,
 * the tropical L without the offset; the other three pointers are not used. Raises
 * EphemArithmeticError for a non-finite T, or ZodiacOffset when LonOnly is not 1, and for a null
 * pointer among those it writes. */
EPHEM_API void MoonCalc(uint8_t NodeMode, double* LonOnlyResult, int32_t LonOnly,
                        double ZodiacOffset, double T, double* MoonLon, double* NodeLon,
                        double* MoonLat);

/* Ord 10. Apparent solar longitude (degrees, tropical, with perturbations, nutation and
 * aberration) at T, in [0, 360]: a sum of exactly 360 is returned as 360. The value on entry is
 * not read. Raises EphemArithmeticError for a null SunLon, a non-finite T, and as out of range for
 * T outside -3011.3899382980976 to 2679.6439065520658, where the series' solar eccentricity
 * passes -1 and the longitude would be NaN. */
EPHEM_API void ExactSun(double* SunLon, double T);

/* Ord 9. Lunar longitude (degrees, ZodiacOffset added) from the fuller 71-term series at T, with
 * whole turns removed toward zero and nothing more: in (-360, 360), negative where the sum is.
 * Raises EphemArithmeticError for a null MoonLon and a non-finite T or ZodiacOffset. */
EPHEM_API void ExactMoon(double* MoonLon, double ZodiacOffset, double T);

/* Ord 31. The Moon's motion over one day in twelve equal steps: Steps[1] = StartLon (degrees),
 * and each of Steps[2..12] one twelfth of the way further toward the tropical Moon at day JD + 1,
 * UT hours (taken 360 further when below StartLon), less 360 once when it reaches 360.
 * Steps[0] and anything past 12 are not touched. ZodiacOffset is accepted but not applied.
 * Raises EphemArithmeticError for a null Steps or a highest index below 12, and for a
 * non-finite UT or StartLon. */
EPHEM_API void MoonProgCalc(uint8_t NodeMode, int32_t JD, double UT, double ZodiacOffset,
                            double StartLon, double* Steps, int32_t StepsHigh);

/* ---- Angles and house systems ---- */

/* Ord 6. Ascendant and Midheaven (degrees, ZodiacOffset added, then one arc-minute added to each)
 * from RAMC, latitude and obliquity, all three in radians. The Midheaven is the ecliptic point on
 * the meridian, in the half-turn of RAMC; the Ascendant is the ecliptic point rising on the
 * eastern horizon, also beyond the polar circles. Both lie in [0, 360) for |ZodiacOffset| < 360.
 * Raises EphemArithmeticError for null outputs and non-finite arguments. */
EPHEM_API void AsMcCalc(double* Asc, double* MC, double RAMC, double Latitude, double Obliquity,
                        double ZodiacOffset);

/* Ords 18, 14, 23, 20, 19, 17, 16: Placidus, Koch, Topocentric, Regiomontanus, Porphyry,
 * Morinus, Meridian. House cusps (degrees, ZodiacOffset added) into Cusps[1..12] from local
 * sidereal time (hours), latitude (degrees), obliquity (radians) and ZodiacOffset (degrees);
 * element 0 and elements past 12 are not touched. Cusp 1 is the Ascendant and cusp 10 the
 * Midheaven of AsMcCalc (with their arc-minute), cusps 7 and 4 opposite them, except in Meridian
 * (cusp 10 the meridian without the arc-minute, cusp 1 a quarter turn of right ascension east
 * of it) and Morinus (neither is an angle). Cusps lie in [0, 360] for ZodiacOffset in (-360, 0]:
 * a cusp can come out as exactly 360, standing for 0 (mostly in Topocentric, Porphyry and Equal,
 * where a cusp 180 degrees on from another is reduced only when above 360). Beyond the polar
 * circles the quadrant systems' intermediate cusps need not run in order around the wheel.
 * Raise EphemArithmeticError for a null array or a highest index below 12, for non-finite
 * arguments (Meridian and Morinus do not use the latitude but check it too), and in Placidus and
 * Koch where the cusps do not exist (beyond about 66.5 degrees of latitude; Koch only at some
 * sidereal times): the text names the system, the place and the systems that work there. */
EPHEM_API void PlacHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
                         double Obliquity, double ZodiacOffset);
EPHEM_API void KochHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
                         double Obliquity, double ZodiacOffset);
EPHEM_API void TopHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
                        double Obliquity, double ZodiacOffset);
EPHEM_API void RegHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
                        double Obliquity, double ZodiacOffset);
EPHEM_API void PorHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
                        double Obliquity, double ZodiacOffset);
EPHEM_API void MorHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
                        double Obliquity, double ZodiacOffset);
EPHEM_API void MeridHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
                          double Obliquity, double ZodiacOffset);
/* Ord 7. Campanus, as above: note latitude before sidereal time. */
EPHEM_API void CampHouse(double* Cusps, int32_t CuspsHigh, double Latitude, double SiderealTime,
                         double Obliquity, double ZodiacOffset);
/* Ord 8. Equal houses: cusp 1 the Ascendant, each further cusp 30 degrees on (less 360 when above
 * 360); the Midheaven goes to Cusps[0], and both angles also to *Asc and *MC. Note the offset
 * before the obliquity. Checks and raises as the house functions above, and writes *Asc and *MC
 * only when it succeeds. */
EPHEM_API void EqHouse(double* Asc, double* MC, double SiderealTime, double Latitude,
                       double ZodiacOffset, double Obliquity, double* Cusps, int32_t CuspsHigh);
/* Ord 11. Forward arc in degrees from CuspFrom to CuspTo, in [0, 360) for cusps in [0, 360).
 * Raises EphemArithmeticError for a non-finite cusp. */
EPHEM_API double GetHouseSize(double CuspFrom, double CuspTo);

/* ---- House placement and derived points ---- */

/* Ord 34. House 1..12 holding Longitude for Cusps[1..12] (read only): the first house n, in order
 * 1..12, with cusp n <= Longitude < cusp n+1 (cusp 1 after cusp 12; a house whose next cusp is
 * smaller spans 0 degrees), or 0 when none does (all cusps equal). Raises EphemArithmeticError
 * for a null array, a highest index below 12, or a non-finite Longitude. */
EPHEM_API int32_t FindPlanetHouse(const double* Cusps, int32_t CuspsHigh, double Longitude);
/* Ord 35. Forward arc in degrees from Cusp to Longitude, in [0, 360) for angles in [0, 360).
 * Raises EphemArithmeticError for a non-finite angle. */
EPHEM_API double DistanceFromCusp(double Cusp, double Longitude);
/* Ord 25. Rotates Points[1..12] and Cusps[1..12] so that cusp CuspIndex (read once, before
 * anything changes) becomes 0 degrees: each element less the pivot, plus 360 when negative.
 * Elements 0 and past 12 are not touched. Raises EphemArithmeticError for a null array, a
 * highest index below 12, or a CuspIndex beyond CuspsHigh. */
EPHEM_API void RotateToCusp(double* Points, int32_t PointsHigh, double* Cusps, int32_t CuspsHigh,
                            uint16_t CuspIndex);
/* Ord 27. Vertex longitude (degrees, [0, 360), no zodiac offset, no arc-minute) from obliquity
 * (radians), sidereal time (hours) and latitude (degrees; exactly 0 is taken as 0.01 radian).
 * Raises EphemArithmeticError for a null result and non-finite arguments. */
EPHEM_API void Vertex(double* Longitude, double Obliquity, double SiderealTime, double Latitude);
/* Ord 28. East Point (the Ascendant of the equator) longitude (degrees, [0, 360), no zodiac
 * offset, no arc-minute) from obliquity (radians) and sidereal time (hours). Raises as Vertex. */
EPHEM_API void EastPoint(double* Longitude, double Obliquity, double SiderealTime);
/* Ord 30. Part of Fortune from the longitudes of Sun, Moon and Ascendant: by day (the Sun 180 or
 * more degrees past the Ascendant) Asc + Moon - Sun, by night Asc + Sun - Moon, each arc taken
 * forward; in [0, 360) for longitudes in [0, 360). Raises for a null result or non-finite input. */
EPHEM_API void PartFortune(double* Longitude, double Sun, double Moon, double Asc);
/* Ord 29. Lunar phase number from the longitudes of Sun and Moon: the Moon's forward elongation
 * divided by 12.85 degrees, truncated, plus 1. For longitudes in [0, 360) it runs 1..28 over the
 * lunation and is 29 from an elongation of 359.8 on. Raises EphemArithmeticError for a null
 * result, a non-finite input, or a phase outside 16 bits. */
EPHEM_API void MoonPhase(int16_t* Phase, double Sun, double Moon);
/* Ord 50. Midpoint of Sun and Moon on the shorter arc (degrees, [0, 360) for longitudes in
 * [0, 360)); two longitudes exactly 180 apart give their plain mean. Raises as PartFortune. */
EPHEM_API void SunMoonMid(double* Longitude, double Sun, double Moon);

/* ---- Aspect engine ---- */
/* The aspect, dignity and quality exports check the arrays they are given (null, highest index)
 * and raise EphemArithmeticError rather than read or write past one that is too short; the Codes
 * buffers are checked only for null.
 *
 * Aspect kinds, indexing Orbs[0..11] (degrees per kind, single precision), with their exact
 * angles and one-character codes:
 *   0 Conjunction 0 "="   1 Semi-sextile 30 "V"   2 Semi-square 45 "<"   3 Sextile 60 "*"
 *   4 Quintile 72 "Q"     5 Square 90 "S"         6 Trine 120 "T"        7 Sesquiquadrate 135 ">"
 *   8 Biquintile 144 "B"  9 Quincunx 150 "I"      10 Opposition 180 "%"  11 Custom CustomAngle "c"
 * and "_" for no aspect. A pair's separation (single precision, folded into [0, 180]) is tested
 * against the kinds in the order = % T S * I > V < Q B c, and the first kind within its orb wins
 * (|separation - exact| <= orb). Its orb text is the deviation from exact as whole degrees, the
 * degree sign and rounded minutes (ties to even; 60 can occur), no padding, at most 5 characters
 * ("3\xB0" "5"); a pair without aspect gets five blanks. Orb texts go to 6-byte short-string slots:
 * slot t belongs to pair t (from 1), slot 0 is never written. */

/* Ord 51. Aspect grid among the points of one chart. Positions[1..14] (highest index at least 14),
 * Orbs[0..11] (at least 11) and OrbTexts slots 1..90 (highest index at least 90). Pairs in the
 * order i = 1..12, j = i+1..14: all 91 pairs of the fourteen points but Ascendant-Midheaven,
 * 90 codes into Codes, a 91-byte short-string buffer. With BoostLuminaries, a pair with the Sun
 * or the Moon (i 1 or 2, or j 2) has the orbs of the five major kinds (= % T S *) enlarged by
 * BoostPercent percent, and with BoostMinor as well those of the other seven. */
EPHEM_API void AspCalc(const double* Positions, int32_t PositionsHigh, const float* Orbs,
                       int32_t OrbsHigh, unsigned char* Codes, unsigned char* OrbTexts,
                       int32_t OrbTextsHigh, bool BoostMinor, int32_t BoostPercent,
                       bool BoostLuminaries, int32_t CustomAngle);
/* Ord 52. Aspect grid between the points of two charts: PositionsA[1..14] against
 * PositionsB[1..14], all 196 ordered pairs, pair t = (i - 1) x 14 + j, including each point with
 * its own counterpart; orbs as given (no boosts). Codes is a 197-byte buffer (196 codes);
 * OrbTexts needs slots 1..196 (highest index at least 196). */
EPHEM_API void MultiAsp(const double* PositionsA, int32_t PositionsAHigh, const double* PositionsB,
                        int32_t PositionsBHigh, const float* Orbs, int32_t OrbsHigh,
                        unsigned char* Codes, unsigned char* OrbTexts, int32_t OrbTextsHigh,
                        int32_t CustomAngle);

/* ---- Dignities and qualities ---- */
/* The sign of a longitude is trunc(longitude / 30) + 1 (1 Aries .. 12 Pisces; 30 is Taurus),
 * after bringing it into [0, 360); a non-finite longitude raises EphemArithmeticError. */

/* Ord 49. Essential dignity of planets 1..12 in Positions[1..12] (highest index at least 12):
 * into 11-byte short-string slot n of DignityTexts (slots 1..12 written, slot 0 not) one of
 * "Own", "Exaltation", "Detriment", "Fall" or " " (Node and Chiron always " "); into
 * Receptions[n] (1..12) the planet r that rules planet n's sign (CheckRuler) when r, in turn,
 * stands in a sign ruled by n (mutual reception), else 0; element 0 is not written. */
EPHEM_API void EssentialDignities(const double* Positions, int32_t PositionsHigh,
                                  unsigned char* DignityTexts, int32_t DignityTextsHigh,
                                  uint8_t* Receptions, int32_t ReceptionsHigh);
/* Ord 26. Counts[cell] = the sum of Weights[k] over the points k = 1..14 of Positions whose sign
 * falls in the cell, modulo 256; Counts[1..12] are written, Counts[0] is not. Cells go quality by
 * quality and within a quality Fire, Earth, Air, Water:
 *   cardinal 1 Aries, 2 Capricorn, 3 Libra, 4 Cancer;  fixed 5 Leo, 6 Taurus, 7 Aquarius,
 *   8 Scorpio;  mutable 9 Sagittarius, 10 Virgo, 11 Gemini, 12 Pisces.
 * Positions and Weights need highest index at least 14, Counts at least 12. */
EPHEM_API void GetQualities(const double* Positions, int32_t PositionsHigh, uint8_t* Counts,
                            int32_t CountsHigh, const uint8_t* Weights, int32_t WeightsHigh);

/* ---- Event timing ---- */
/* The searches compute positions with PlanetCalc (bodies 1..12, NodeMode and Centric passed on)
 * from their own theory table, and call YieldToOthers as they step: run them on the thread that
 * owns the host's windows. Day is a Julian day number; times are hours of universal time from 0 h
 * of that day. ZodiacOffset is the request SidTime takes: non-zero asks for the sidereal zodiac,
 * and the angles and the Sun then carry the same correction. */

/* Ord 32. Universal time of day (hours) on day Day at which the Sun reaches the Ascendant, with
 * that Ascendant (degrees), for Longitude (degrees, positive west) and Latitude (degrees); both
 * must be finite, and Asc and Time not null, or EphemArithmeticError is raised. The minute search
 * takes the shorter way round the circle and stops after one day (1440 steps): where the Sun does
 * not meet the Ascendant within it (polar days and nights) EphemArithmeticError is raised and Asc
 * and Time are left unwritten. Time can reach 24 h or more when the first estimate falls on the
 * next day; it still names the right moment counted from day Day. */
EPHEM_API void Dawn(uint8_t NodeMode, int32_t Centric, int32_t Day, double ZodiacOffset,
                    double Longitude, double Latitude, double* Asc, double* Time);
/* Ord 33. As Dawn, for the Midheaven, starting its estimate from 6 h. */
EPHEM_API void Noon(uint8_t NodeMode, int32_t Centric, int32_t Day, double ZodiacOffset,
                    double Longitude, double Latitude, double* MC, double* Time);
/* Ord 46. Day and time at which Body (1..12) returns to Target (degrees), searching from day *Day
 * on: a year is tried when the body is within Window degrees short of Target at its start (251
 * years at most), then its days, then the first whole minute at which the body has reached
 * Target in its direction of motion goes to *Time, with its day in *Day. When nothing is found
 * *Time is not written and *Day holds the last day the search moved to, unchanged when no year
 * was accepted; a non-finite Target is such a search, ended at once. Body outside 1..12 and a
 * null Time or Day raise EphemArithmeticError. */
EPHEM_API void GetReturn(uint16_t Body, uint16_t Window, int32_t Centric, double Target,
                         double* Time, int32_t* Day, double ZodiacOffset, uint8_t NodeMode);

/* ---- File utilities ---- */

/* Ord 48. True when Path ends with '/' and names an existing entry. Never raises. */
EPHEM_API bool DirExists(const char* Path);
/* Ord 47. Copies Source to Dest (replacing it, keeping its permissions), expanding the SZDD
 * compressed format and copying anything else unchanged. A Dest that is a symbolic link is
 * written through: the link stays and the end of its chain of links gets the contents, created
 * when the link dangles. The copy goes to a temporary file beside that end which replaces it only
 * when complete, so a failure leaves the old destination as it was. Only regular files are
 * copied and replaced: a Source that is not one (a FIFO, a device, a socket, a directory), and a
 * Dest that exists as one, raise EphemIoError without being read or replaced, so a FIFO never
 * blocks the call. Raises EphemIoError naming the path and the system's reason when a file
 * cannot be opened, read, created or written, or a compressed file ends early. */
EPHEM_API void CopyFile(const char* Source, const char* Dest);

#ifdef __cplusplus
}
#endif

#endif
