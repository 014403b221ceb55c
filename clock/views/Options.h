// SPDX-License-Identifier: GPL-3.0-or-later
// The settings dialog "Set Clock": five pages (General, Aspects, Natal, Show, Alerts) over the
// settings file and the clock's settings in memory. What its controls hold is an OptionsValues; the
// clock's Options1Click fills it from the file, runs it and saves what it holds on OK. A few
// controls act on the settings in memory at once, before OK: both colours, the aspect line colours
// and styles, the glyph size and the natal import. Cancel takes the natal chart back to what it was
// when the dialog opened.
#ifndef HELIODIAL_OPTIONS_H
#define HELIODIAL_OPTIONS_H

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "NatalImport.h"
#include "atlas/Atlas.h"
#include "chart/ClockState.h"
#include "chart/NatalChart.h"
#include "settings/SettingsWriters.h"

class PlaceSearch;
class QAbstractButton;
class QColorDialog;
class QComboBox;
class QLabel;
class QMessageBox;
class QSpinBox;

namespace Ui {
class TfrmOptions;
}

class TfrmOptions : public QDialog {
  Q_OBJECT
 public:
  // state: the clock's record, whose settings the controls that act at once change. showHelp
  // opens a help topic (10 the settings, 102 the orbs).
  TfrmOptions(ClockState& state, std::function<void(int)> showHelp, QWidget* owner);
  ~TfrmOptions() override;

  // Fills every control from values in the documented order, the natal page from memory, and
  // the line appearance on "Conjunction". Nothing in memory changes.
  void fill(const OptionsValues& values);
  // What the controls hold now: what OK saves.
  OptionsValues values() const;

  // The zone of the place's own (an IANA id; empty for the machine's zone) that OK saves as
  // ZoneName. The summer tick box follows it: shown and fixed where the zone keeps daylight-saving
  // rules, the user's own where it has none or a manual zone is set.
  void setZoneName(const QString& zoneName);
  QString zoneName() const { return zoneName_; }

  // The first start's question: the General page, a line asking where the clock is, and the
  // place search holding town (the main city of the machine's zone), its matches listed.
  void askForPlace(const QString& town);
  PlaceSearch* placeSearch() const { return placeSearch_; }

  // "Start with my session" on the Alerts page: not a setting but the desktop's autostart entry,
  // which the clock shows when the dialog opens and writes or removes on OK.
  void setStartWithSession(bool on);
  bool startWithSession() const;

  // The natal page from the natal positions in memory, or from any fourteen longitudes.
  void ShowNatalPositions();
  void ShowNatalPositions(const NatalLongitudes& positions);

  // Event handlers, by the names the program has always used.
  void FormShow();
  void tbPSizeChange();
  void btnColorClick();
  void btnVOCColorClick();
  void cbAspectLineChange();
  void cbAspectLStyleChange();
  void cbAspectLColorChange();
  void btnOKClick();
  void Button1Click();
  void btnBirthDataClick();
  void BitBtn1Click();

  // The natal import the "Load chart from Starbench" button runs; tests shorten its bound.
  NatalImport& natalImport() { return *import_; }
  // The import's failure message while it is shown.
  QMessageBox* importMessage() const;

  // The two colour pickers: planet colour and void-of-course colour.
  QColorDialog* ColorDialog = nullptr;
  QColorDialog* ColorDialog1 = nullptr;

  static const QString kImportFailure;
  static const QString kImportTooSlow;

  // OK or Cancel, however the dialog ends: a running import is dropped, and any end but OK puts
  // the natal chart in memory back as it was when the dialog opened.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct NatalRow {
    QSpinBox* degrees;
    QComboBox* sign;
    QSpinBox* minutes;
  };
  void buildLists();
  void buildNatalPage();
  void buildLineAppearance();
  // Sizes that depend on the font: list widths, row heights, wrapped captions.
  void fitControls();
  void connectHandlers();
  // Runs a colour picker preset to colour; returns the colour picked, or nothing when cancelled.
  std::optional<std::int32_t> pickColour(QColorDialog* picker, std::int32_t colour);
  // The colour as a swatch on its button.
  void showColour(QAbstractButton* button, std::int32_t colour);
  Settings baseForBirthChart() const;
  void importFinished(NatalImport::Outcome outcome);

  std::unique_ptr<Ui::TfrmOptions> ui_;
  ClockState& state_;
  QString zoneName_;
  bool manualZone_ = false;
  bool summerByHand_ = false;  // the tick box's own value while the zone's rules show theirs
  QLabel* lblZoneRule = nullptr;
  QLabel* lblWhere = nullptr;  // the first start's question
  PlaceSearch* placeSearch_ = nullptr;
  void fillPlace(const AtlasPlace& town);
  std::function<void(int)> showHelp_;
  NatalImport* import_;
  // The natal chart in memory when the dialog opened, for Cancel.
  NatalLongitudes natalAtOpen_{};
  std::array<NatalRow, kPointCount + 1> natal_{};  // rows 1..14
  // What the two pickers hold: saved on OK, preset from memory at each click.
  std::int32_t colour_ = 0;
  std::int32_t vocColour_ = 16777215;
  QPointer<QMessageBox> importMessage_;
};

#endif
