// What a live computation hands to the windows. The windows implement it; the companion and the
// tests pass their own. Every method has a do-nothing default.
#ifndef HELIODIAL_CHARTPUBLISHER_H
#define HELIODIAL_CHARTPUBLISHER_H

#include <QString>
#include <array>

enum class AspectList { TransitToTransit, TransitToNatal };

// Rows 1..12 of the positions table: point symbol, position text, house number, cusp text
// (display strings).
using PositionRows = std::array<std::array<QString, 4>, 13>;

class ChartPublisher {
 public:
  virtual ~ChartPublisher() = default;
  // Tray icon number 1..12 (the Ascendant's sign) or 13 (void-of-course Moon).
  virtual void showTrayIcon(int /*iconNumber*/) {}
  virtual void showPositions(const PositionRows& /*rows*/) {}
  virtual void clearAspects(AspectList) {}
  // Text mode uses the plain-text font, glyph mode the symbol font.
  virtual void setAspectFont(AspectList, bool /*textMode*/) {}
  virtual void addAspectLine(AspectList, const QString& /*line*/) {}
  // Lets pending window messages run. Only long work (the day scan) calls it, every few
  // milliseconds: a chart takes microseconds, and a yield inside it would let a second
  // computation start in the middle of the first.
  virtual void yieldToOthers() {}
};

#endif
