// SPDX-License-Identifier: GPL-3.0-or-later
// The small parts of the clock window: the minute timer's alignment, the tray pictures, the
// wheel's description for screen readers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimeZone>
#include <QToolButton>

#include "Transit.h"
#include "TrayIcons.h"
#include "WindowPlacement.h"
#include "chart/ComputeChart.h"
#include "core/MinuteTimer.h"
#include "support/application.h"
#include "wheel/WheelLayout.h"

namespace {

class Pieces : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApplication<QApplication>(); }
};

TEST_F(Pieces, TheTickLandsJustAfterTheNextMinuteBegins) {
  struct Row {
    QTime now;
    int ms;
  };
  const Row rows[] = {{QTime(12, 0, 0, 0), 60020},
                      {QTime(12, 0, 59, 999), 21},
                      {QTime(12, 0, 30, 500), 29520},
                      {QTime(23, 59, 59, 990), 30},
                      {QTime(23, 59, 0, 0), 60020}};
  for (const Row& row : rows) {
    const QDateTime now(QDate(2026, 12, 8), row.now, QTimeZone::utc());
    EXPECT_EQ(MillisecondsToNextMinute(now), row.ms) << row.now.toString().toStdString();
  }
  // In a zone whose offset is not whole minutes the tick still follows the wall clock's minute
  // there, which is the epoch's minute shifted by the offset's seconds.
  const QDateTime odd(QDate(2026, 12, 8), QTime(12, 0, 0), QTimeZone(30 * 60 + 20));
  EXPECT_EQ(MillisecondsToNextMinute(odd), 60020);
  // The running timer is armed for the next minute, not the one after.
  MinuteTimer timer;
  timer.start();
  const int left = timer.remainingTime();
  EXPECT_GT(left, 0);
  EXPECT_LE(left, 60020);
}

TEST_F(Pieces, ASavedPlaceOutOfReachIsMovedOntoAScreen) {
  const QList<QRect> two = {QRect(0, 0, 1920, 1050), QRect(1920, 0, 1280, 1024)};
  struct Row {
    const char* what;
    QRect saved, placed;
  };
  const Row rows[] = {
      {"on a screen", QRect(40, 30, 600, 640), QRect(40, 30, 600, 640)},
      {"on the second screen", QRect(2000, 100, 600, 640), QRect(2000, 100, 600, 640)},
      {"half off the side, its title bar in reach", QRect(1700, 30, 600, 640),
       QRect(1700, 30, 600, 640)},
      {"title bar above the screen", QRect(1, -21, 600, 640), QRect(1, 0, 600, 640)},
      {"on a monitor that is gone", QRect(3300, 200, 600, 640), QRect(1320, 200, 600, 640)},
      {"below every screen", QRect(100, 1200, 600, 640), QRect(100, 410, 600, 640)},
      {"taller than its screen", QRect(10, 10, 1200, 1300), QRect(10, 0, 1200, 1050)},
  };
  for (const Row& row : rows) EXPECT_EQ(PlaceOnScreens(row.saved, two), row.placed) << row.what;
  // Wayland gives a window no place to read or set: the saved one is kept rather than 0,0.
  for (const char* platform : {"wayland", "wayland-egl", "xcb", "offscreen"}) {
    EXPECT_EQ(PlatformPlacesWindows(QString::fromLatin1(platform)),
              !QByteArray(platform).startsWith("wayland"))
        << platform;
  }
}

TEST_F(Pieces, ThirteenTrayPicturesUnderTheirResourceNames) {
  for (int n = 1; n <= 13; ++n) {
    const QIcon icon = TrayIconResource(QStringLiteral("ICON_%1").arg(n));
    ASSERT_FALSE(icon.isNull()) << n;
    // Painted for the tray's pixel ratio: a 22-point icon on a 2x panel has 44 real pixels.
    const QPixmap crisp = icon.pixmap(QSize(22, 22), 2.0);
    EXPECT_EQ(crisp.size(), QSize(44, 44)) << n;
    EXPECT_NE(crisp.toImage().pixelColor(22, 22).alpha(), 0) << "the disc is painted " << n;
  }
  for (const char* name : {"ICON_0", "ICON_14", "icon_1", "ICON_1 "}) {
    EXPECT_TRUE(TrayIconResource(QString::fromLatin1(name)).isNull()) << name;
  }
  // The sign pictures differ from each other and from the void Moon.
  const QImage aries = TrayIconResource("ICON_1").pixmap(32, 32).toImage();
  EXPECT_NE(aries, TrayIconResource("ICON_2").pixmap(32, 32).toImage());
  EXPECT_NE(aries, TrayIconResource("ICON_13").pixmap(32, 32).toImage());
}

TEST_F(Pieces, TheWheelInWords) {
  Settings settings;
  settings.HouseCode = HouseSystem::Placidus;
  settings.Show.fill(false);
  settings.Show[1] = settings.Show[7] = true;
  Chart chart;
  chart.Time = QTime(13, 37);
  // Positions as the library writes them: degrees, sign glyph, minutes, motion mark.
  chart.TruePos[1] = 280.4;
  chart.PlanetSign[1] = "10 \x9B 24  ";
  chart.TruePos[7] = 40.4;
  chart.PlanetSign[7] = "10 \x99 23 R";
  chart.TruePos[13] = 11.4;
  chart.PlanetSign[13] = "11 \x98 23  ";
  chart.TruePos[14] = 279.6;
  chart.PlanetSign[14] = "09 \x9B 37  ";
  chart.VOCActive = true;
  chart.HasCusps = true;
  EXPECT_EQ(WheelDescription(settings, chart).toStdString(),
            "Chart for 13:37: Ascendant 11 degrees 23 minutes Aries; Midheaven 9 degrees 37 "
            "minutes Capricorn; Sun 10 degrees 24 minutes Capricorn; Saturn 10 degrees 23 minutes "
            "Taurus, retrograde. The Moon is void of course.");
}

// What a reader sees at the left edge of each line in view of a list.
QStringList VisibleLineStarts(QPlainTextEdit& memo) {
  QStringList starts;
  const int lineHeight = memo.fontMetrics().lineSpacing();
  int lastBlock = -1;  // below the last line the last block is met again
  for (int y = 2; y < memo.viewport()->height() - lineHeight; y += lineHeight) {
    const QTextCursor at = memo.cursorForPosition(QPoint(1, y));
    if (at.blockNumber() == lastBlock) break;
    lastBlock = at.blockNumber();
    starts << at.block().text().mid(at.positionInBlock(), 8);
  }
  return starts;
}

TEST_F(Pieces, AnAspectListShowsItsLinesFromTheirStartAndKeepsTheReadersPlace) {
  const QString text = QStringLiteral("Mercury square Mars   0°12' applying, exact at 14:05");
  const QString log = QStringLiteral(
      "02/01/2000::12:00: Moon trine Venus:0°40'):Sun sextile Mars:0°"
      "10'):Mercury square Jupiter:0°59'):");
  struct Row {
    const char* name;
    bool replace;
    QString line;
    int scrolledTo;  // where the reader left the list before it is refilled; -1: at its end
    bool followsEnd;
  } rows[] = {
      {"a minute's list", true, text, 4, false},
      {"the no-natal notice", true, QString::fromLatin1(kNoNatalChart), 0, false},
      {"a log, read at its end", false, log, -1, true},
      {"a log, read further up", false, log, 3, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TfrmAspectTT window{Settings()};  // the default width
    window.show();
    QPlainTextEdit& memo = *window.memoAspects;
    QScrollBar& vertical = *memo.verticalScrollBar();
    const AspectListUpdate first{true, true, true, QStringList(40, r.line)};
    window.showList(first);
    QCoreApplication::processEvents();
    if (r.scrolledTo >= 0) {
      vertical.setValue(r.scrolledTo);
    } else {
      vertical.setValue(vertical.maximum());
    }
    window.showList({r.replace, false, true, QStringList(r.replace ? 40 : 1, r.line)});
    QCoreApplication::processEvents();
    EXPECT_EQ(memo.horizontalScrollBar()->value(), 0);
    const QStringList starts = VisibleLineStarts(memo);
    ASSERT_FALSE(starts.isEmpty());
    for (const QString& start : starts)
      EXPECT_EQ(start.toStdString(), r.line.left(8).toStdString());
    if (r.followsEnd) {
      EXPECT_EQ(vertical.value(), vertical.maximum()) << "the newest line is in view";
      EXPECT_GT(vertical.value(), 0);
    } else {
      EXPECT_EQ(vertical.value(), r.scrolledTo) << "the reader's place is kept";
    }
  }
}

TEST_F(Pieces, TheAspectListsToolbarPicturesShowOnLightAndDarkThemes) {
  struct Row {
    const char* name;
    QColor window, text;
  } rows[] = {
      {"light", QColor(239, 239, 239), QColor(0, 0, 0)},
      {"dark", QColor(43, 43, 43), QColor(238, 238, 238)},
  };
  for (const Row& r : rows) {
    TfrmAspectTT window{Settings()};
    QPalette palette;
    palette.setColor(QPalette::Window, r.window);
    palette.setColor(QPalette::Button, r.window);
    palette.setColor(QPalette::WindowText, r.text);
    palette.setColor(QPalette::ButtonText, r.text);
    window.setPalette(palette);
    for (const QToolButton* button : {window.ToolbarButton971, window.ToolbarButton972}) {
      const QImage picture = button->icon().pixmap(QSize(18, 18)).toImage();
      // The drawn pixels stand out from the toolbar: on average half the scale of grey apart.
      double contrast = 0;
      int drawn = 0;
      for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
          const QColor c = picture.pixelColor(x, y);
          if (c.alpha() < 128) continue;
          contrast += std::abs(c.lightnessF() - r.window.lightnessF());
          ++drawn;
        }
      }
      ASSERT_GT(drawn, 10) << r.name << " " << button->toolTip().toStdString();
      EXPECT_GT(contrast / drawn, 0.5) << r.name << " " << button->toolTip().toStdString();
    }
  }
}

}  // namespace
