/* ephemlib: astronomical and astrological calculations for Heliodial.
 *
 * Every export below is extern "C", unmangled, and also reachable by its fixed ordinal through
 * EphemlibExportTable. Conventions shared by all exports:
 *   - Array parameters travel as two C arguments: a pointer to element 0, then the highest index
 *     (element count minus 1). Point arrays leave element 0 unused: 1 Sun, 2 Moon, 3 Mercury,
 *     4 Venus, 5 Mars, 6 Jupiter, 7 Saturn, 8 Uranus, 9 Neptune, 10 Pluto, 11 Node, 12 Chiron.
 *     By-value arrays are `const T*`: the callee works on its own copy.
 *   - Real6 arguments and results travel as double; the library rounds them to Real6 precision
 *     (40 significant bits, round to nearest) on entry and before returning.
 *   - Short-string results are written to a caller buffer: byte 0 the length, then Windows-1252
 *     characters (0xB0 degree sign, 0x98..0xA3 sign glyphs Aries..Pisces).
 *   - Longitudes are ecliptic degrees in [0, 360); geographic longitude is degrees, positive west;
 *     latitude is degrees, positive north, unless an export says radians.
 *   - T is Julian centuries of 36525 days from 1900 January 0.5 (JD 2415020.0), from universal
 * time.
 *   - Failures are raised as EphemArithmeticError or EphemIoError (C++ exceptions), never returned.
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

/* ---- Sizes shared by the exports and their hosts ---------------------------------------------- */

enum {
  EPHEM_THEORY_TABLE_SIZE = 411, /* doubles of the planetary theory table, elements 0..410 */
  EPHEM_THEORY_TABLE_HIGH = 410, /* the highest index hosts pass with the table */
  EPHEM_BODY_COUNT = 12,         /* bodies PlanetCalc computes: 1 Sun .. 12 Chiron */
  EPHEM_CHART_POINT_COUNT = 14   /* with 13 Ascendant and 14 Midheaven, as the grids number them */
};

/* ---- Frame ---------------------------------------------------------------------------------- */

typedef struct EphemExport {
  int32_t ordinal;
  const char* name;
  void (*address)(void);
} EphemExport;

/* The 52 exports in ordinal order 1..52; *count receives 52. The table is static and constant. */
EPHEM_API const EphemExport* EphemlibExportTable(int32_t* count);

/* Installs the function YieldToOthers calls (the host's "let pending messages run"); NULL removes
 * it. */
EPHEM_API void SetYieldHandler(void (*handler)(void));

/* Ord 45. Lets the host's pending window messages run by calling the installed handler; without
 * one it does nothing. Call only on the thread that owns the host's windows. */
EPHEM_API void YieldToOthers(void);

/* The six-byte real: byte 0 exponent biased by 129 (0 = zero), bytes 1..5 a 39-bit fraction, least
 * significant byte first, implicit leading 1, top bit of byte 5 the sign. Encode rounds to 40
 * significant bits (nearest, ties to even), raises EphemArithmeticError when the value is too
 * large (|x| >= 2^127) or not finite, and gives zero when it is too small (below 2^-128). */
EPHEM_API void EphemReal6Encode(double value, uint8_t bytes[6]);
EPHEM_API double EphemReal6Decode(const uint8_t bytes[6]);
/* The value Real6 holds for x: what a Real6 variable keeps after x is stored in it. */
EPHEM_API double EphemReal6Round(double x);

/* ---- Time and angle arithmetic ----------------------------------------------------------------
 */

/* Ord 13. Julian day number at noon of a calendar date; dates up to 15 October 1582 are read in the
 * Julian calendar, from 16 October 1582 on in the Gregorian. JulDay(1, 1, 2000) = 2451545. */
EPHEM_API int32_t JulDay(int32_t Month, int32_t Day, int32_t Year);

/* Ord 12. Proleptic Gregorian date of a day number; defined for JD >= 1721426. */
EPHEM_API void JuldayToDate(int32_t JD, int32_t* Month, int32_t* Day, int32_t* Year);

/* Ord 22. From day number and universal time of day (hours): T (centuries), local sidereal time
 * LST (hours, 0 <= LST < 24) for Longitude (degrees, positive west), the obliquity (radians) and
 * the text "hHmMsS" of LST (11-byte buffer). *ZodiacOffset non-zero on entry asks for the sidereal
 * correction (degrees, negative) in its place; zero on entry stays exactly zero. */
EPHEM_API void SidTime(int32_t JD, double* ZodiacOffset, double* LST, double UT, double* T,
                       double* Obliquity, double Longitude, unsigned char* Text);

/* Ord 21. Decimal hours to hours, minutes and seconds, rounded to the nearest second. */
EPHEM_API void TimeConv(uint8_t* Hour, uint8_t* Minute, uint8_t* Second, double Hours);

/* Ord 5. Signed degrees and minutes of a Real6 angle, e.g. "+05\xB0" "30" (11-byte result buffer).
 * Minutes are rounded and not carried: 0.9999 gives +00\xB0 60. */
EPHEM_API void RealToDegree(double X, unsigned char* result);

/* Ord 15. Position in sign of a longitude in [0, 360): "DD G MM" plus motion mark " R"
 * (retrograde), " s" (nearly stationary) or two blanks; G the sign glyph byte. 11-byte buffer. */
EPHEM_API void MakeSign(double Longitude, double Speed, unsigned char* result);

/* Ord 2. Minutes / 60 as a Real6. */
EPHEM_API double MinToFrac(uint8_t Minutes);
/* Ord 3. Fraction of a degree (Real6) to whole minutes, rounded, ties to even. */
EPHEM_API int32_t FracToMin(double Fraction);
/* Ord 1. Arc sine in radians of a Real6, as a Real6; |X| >= 1 raises EphemArithmeticError. */
EPHEM_API double ArcSin(double X);
/* Ord 4. Modern ruler (planet number 1..10) of a sign 1..12. */
EPHEM_API uint16_t CheckRuler(uint16_t Sign);
/* Ord 24. Sorts A[Lo..Hi] ascending in place; A has highest index AHigh. */
EPHEM_API void QSortReal(double* A, int32_t AHigh, int32_t Lo, int32_t Hi);
/* Ord 39. X to the power Y; X <= 0 raises EphemArithmeticError. */
EPHEM_API double XToTheY(double X, double Y);
/* Ords 40, 43. Cosine and sine of an angle in degrees. */
EPHEM_API double FC(double X);
EPHEM_API double FS(double X);
/* Ord 42. Degrees to radians. Ord 41: radians to degrees. */
EPHEM_API double FR(double X);
EPHEM_API double FD(double X);
/* Ord 44. Removes whole turns toward zero: the result lies in (-360, 360) with the sign of X. */
EPHEM_API double FU(double X);

/* ---- Planetary theory, positions, Moon and Sun ----------------------------------------------- */

/* Ord 36. Fills TheoryTable[1..410] (highest index at least 410) with the planetary theory;
 * element 0 and anything beyond 410 are left as they are. */
EPHEM_API void InitialisePlanets(double* TheoryTable, int32_t TheoryTableHigh);

/* Ord 37. Longitude (degrees, ZodiacOffset added), declination (degrees) and speed (60 x radians
 * per day, negative when retrograde) of bodies First..Last (1..12) at T. Centric 1 heliocentric,
 * else geocentric. Work (>= 4 elements) and TermCounts (>= 11 elements) are scratch, copied.
 * MoonMode 2 skips the Moon and the Node (Lon[11] keeps its value). NodeMode 0 true node, 1 mean.
 * TheoryTable is the table InitialisePlanets filled (highest index 410), read only. */
EPHEM_API void PlanetCalc(int32_t First, int32_t Last, int32_t Centric, double ZodiacOffset,
                          const double* Work, int32_t WorkHigh, double T, const uint8_t* TermCounts,
                          int32_t TermCountsHigh, int32_t MoonMode, double* Lon, int32_t LonHigh,
                          double* Decl, int32_t DeclHigh, double* Speed, int32_t SpeedHigh,
                          const double* TheoryTable, int32_t TheoryTableHigh, uint8_t NodeMode);

/* Ord 38. Moon longitude and latitude and the lunar Node (NodeMode 0 true, 1 mean), degrees, with
 * ZodiacOffset added. LonOnly 1 writes only LonOnlyResult (the Moon's longitude). */
EPHEM_API void MoonCalc(uint8_t NodeMode, double* LonOnlyResult, int32_t LonOnly,
                        double ZodiacOffset, double T, double* MoonLon, double* NodeLon,
                        double* MoonLat);

/* Ord 10. Solar longitude (degrees, tropical) with nutation and aberration at T. */
EPHEM_API void ExactSun(double* SunLon, double T);

/* Ord 9. Lunar longitude (degrees, ZodiacOffset added) from the fuller 71-term series at T. */
EPHEM_API void ExactMoon(double* MoonLon, double ZodiacOffset, double T);

/* Ord 31. Lunar longitudes for a progressed time starting at day JD and UT (hours) into
 * Steps[0..StepsHigh]; StartLon is the starting longitude (degrees). */
EPHEM_API void MoonProgCalc(uint8_t NodeMode, int32_t JD, double UT, double ZodiacOffset,
                            double StartLon, double* Steps, int32_t StepsHigh);

/* ---- Angles and house systems -----------------------------------------------------------------
 */

/* Ord 6. Ascendant and Midheaven (degrees, ZodiacOffset added) from RAMC, latitude and obliquity,
 * all three in radians. */
EPHEM_API void AsMcCalc(double* Asc, double* MC, double RAMC, double Latitude, double Obliquity,
                        double ZodiacOffset);

/* Ords 18, 14, 23, 20, 19, 17, 16. House cusps into Cusps[1..12] (highest index at least 12) from
 * sidereal time (hours), latitude (degrees), obliquity (radians) and ZodiacOffset (degrees).
 * Placidus and Koch raise EphemArithmeticError where they have no cusps (polar latitudes). */
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
/* Ord 7. Campanus: note latitude before sidereal time. */
EPHEM_API void CampHouse(double* Cusps, int32_t CuspsHigh, double Latitude, double SiderealTime,
                         double Obliquity, double ZodiacOffset);
/* Ord 8. Equal houses from the Ascendant; the Midheaven goes to Cusps[0]. Note the offset before
 * the obliquity. */
EPHEM_API void EqHouse(double* Asc, double* MC, double SiderealTime, double Latitude,
                       double ZodiacOffset, double Obliquity, double* Cusps, int32_t CuspsHigh);
/* Ord 11. Forward arc in degrees from CuspFrom to CuspTo, in [0, 360). */
EPHEM_API double GetHouseSize(double CuspFrom, double CuspTo);

/* ---- House placement and derived points -------------------------------------------------------
 */

/* Ord 34. House 1..12 holding Longitude for Cusps[1..12] (copied), or 0 when none does. */
EPHEM_API int32_t FindPlanetHouse(const double* Cusps, int32_t CuspsHigh, double Longitude);
/* Ord 35. Forward arc in degrees from Cusp to Longitude. */
EPHEM_API double DistanceFromCusp(double Cusp, double Longitude);
/* Ord 25. Rotates points and cusps so that cusp CuspIndex becomes 0 degrees. */
EPHEM_API void RotateToCusp(double* Points, int32_t PointsHigh, double* Cusps, int32_t CuspsHigh,
                            uint16_t CuspIndex);
/* Ord 27. Vertex longitude from obliquity (radians), sidereal time (hours), latitude (degrees). */
EPHEM_API void Vertex(double* Longitude, double Obliquity, double SiderealTime, double Latitude);
/* Ord 28. East Point longitude from obliquity (radians) and sidereal time (hours). */
EPHEM_API void EastPoint(double* Longitude, double Obliquity, double SiderealTime);
/* Ord 30. Part of Fortune from the longitudes of Sun, Moon and Ascendant (day and night formula).
 */
EPHEM_API void PartFortune(double* Longitude, double Sun, double Moon, double Asc);
/* Ord 29. Lunar phase number from the longitudes of Sun and Moon. */
EPHEM_API void MoonPhase(int16_t* Phase, double Sun, double Moon);
/* Ord 50. Midpoint of Sun and Moon (the nearer one), degrees. */
EPHEM_API void SunMoonMid(double* Longitude, double Sun, double Moon);

/* ---- Aspect engine ----------------------------------------------------------------------------
 */
/* The aspect, dignity and quality exports check the highest indices they are given and raise
 * EphemArithmeticError rather than read or write past an array that is too short. */

/* Ord 51. Aspect grid among the points of one chart. Positions and Orbs are copied. Codes is a
 * 91-byte short-string buffer (90 codes); OrbTexts holds 6-byte short-string slots. */
EPHEM_API void AspCalc(const double* Positions, int32_t PositionsHigh, const float* Orbs,
                       int32_t OrbsHigh, unsigned char* Codes, unsigned char* OrbTexts,
                       int32_t OrbTextsHigh, bool BoostMinor, int32_t BoostPercent,
                       bool BoostLuminaries, int32_t CustomAngle);
/* Ord 52. Aspect grid between the points of two charts; Codes is a 197-byte buffer (196 codes). */
EPHEM_API void MultiAsp(const double* PositionsA, int32_t PositionsAHigh, const double* PositionsB,
                        int32_t PositionsBHigh, const float* Orbs, int32_t OrbsHigh,
                        unsigned char* Codes, unsigned char* OrbTexts, int32_t OrbTextsHigh,
                        int32_t CustomAngle);

/* ---- Dignities and qualities ------------------------------------------------------------------
 */

/* Ord 49. Dignity word of each planet into 11-byte slots and mutual receptions into Receptions. */
EPHEM_API void EssentialDignities(const double* Positions, int32_t PositionsHigh,
                                  unsigned char* DignityTexts, int32_t DignityTextsHigh,
                                  uint8_t* Receptions, int32_t ReceptionsHigh);
/* Ord 26. Weighted counts of planets per element and quality into Counts. */
EPHEM_API void GetQualities(const double* Positions, int32_t PositionsHigh, uint8_t* Counts,
                            int32_t CountsHigh, const uint8_t* Weights, int32_t WeightsHigh);

/* ---- Event timing -----------------------------------------------------------------------------
 */

/* Ord 32. Universal time of day (hours) on day Day at which the Sun reaches the Ascendant, with
 * that Ascendant (degrees). ZodiacOffset non-zero asks for the sidereal zodiac. The minute search
 * takes the shorter way round the circle and stops after one day (1440 steps): where the Sun
 * does not meet the Ascendant within it (polar days and nights) EphemArithmeticError is raised
 * and Asc and Time are left unwritten. Time can reach 24 h or more when the first estimate falls
 * on the next day; it still names the right moment counted from day Day. */
EPHEM_API void Dawn(uint8_t NodeMode, int32_t Centric, int32_t Day, double ZodiacOffset,
                    double Longitude, double Latitude, double* Asc, double* Time);
/* Ord 33. As Dawn, for the Midheaven. */
EPHEM_API void Noon(uint8_t NodeMode, int32_t Centric, int32_t Day, double ZodiacOffset,
                    double Longitude, double Latitude, double* MC, double* Time);
/* Ord 46. Day and time (hours) at which Body (1..12) returns to Target (degrees) within Window
 * degrees, searching from day *Day on. When no year is accepted Time is not written and *Day is
 * unchanged. Body outside 1..12 raises EphemArithmeticError. */
EPHEM_API void GetReturn(uint16_t Body, uint16_t Window, int32_t Centric, double Target,
                         double* Time, int32_t* Day, double ZodiacOffset, uint8_t NodeMode);

/* ---- File utilities ---------------------------------------------------------------------------
 */

/* Ord 48. True when Path ends with '/' and names an existing entry. Never raises. */
EPHEM_API bool DirExists(const char* Path);
/* Ord 47. Copies Source to Dest (replacing it), expanding the SZDD compressed format; raises
 * EphemIoError with the system's reason when a file cannot be opened or created. */
EPHEM_API void CopyFile(const char* Source, const char* Dest);

#ifdef __cplusplus
}
#endif

#endif
