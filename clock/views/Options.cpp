// SPDX-License-Identifier: GPL-3.0-or-later
#include "Options.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "Application.h"
#include "BirthForm.h"
#include "ErrorReport.h"
#include "PlaceSearch.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "ui_Options.h"
#include "wheel/GlyphFont.h"

namespace {

constexpr int kSettingsTopic = 10;
constexpr int kOrbsTopic = 102;
constexpr int kWidth = 471;
constexpr int kHeight = 390;

// The sixteen standard colours of the line colour selector, 0x00BBGGRR.
struct NamedColour {
  const char* name;
  std::int32_t value;
};
constexpr std::array<NamedColour, 16> kStandardColours{{
    {"Black", 0x000000},
    {"Maroon", 0x000080},
    {"Green", 0x008000},
    {"Olive", 0x008080},
    {"Navy", 0x800000},
    {"Purple", 0x800080},
    {"Teal", 0x808000},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},
    {"Lime", 0x00FF00},
    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF},
}};

constexpr std::array<const char*, 5> kLineStyles{"[none]", "Solid", "Dot", "Dash", "Dot-dash"};

QColor ToQColor(std::int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
std::int32_t FromQColor(const QColor& c) { return c.red() | c.green() << 8 | c.blue() << 16; }

QIcon Swatch(std::int32_t colour) {
  QPixmap picture(20, 12);
  picture.fill(ToQColor(colour));
  QPainter painter(&picture);
  painter.setPen(Qt::black);
  painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
  return QIcon(picture);
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A choice group's buttons as indices 0..n-1; no button checked is index -1.
QButtonGroup* MakeChoice(QObject* owner, std::initializer_list<QAbstractButton*> buttons) {
  auto* group = new QButtonGroup(owner);
  int id = 0;
  for (QAbstractButton* button : buttons) group->addButton(button, id++);
  return group;
}

void SetChoice(QButtonGroup* group, int index) {
  if (QAbstractButton* button = group->button(index)) {
    button->setChecked(true);
    return;
  }
  // An exclusive group will not uncheck its last button.
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(false);
  group->setExclusive(true);
}

// Rows of a multi-selection list, each selected or not on its own.
void FillRows(QListWidget* list, const QStringList& rows) {
  list->clear();
  for (const QString& row : rows) {
    auto* item = new QListWidgetItem(row, list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
}

// Row i shows flags[first + i].
template <typename Flags>
void SetRows(QListWidget* list, const Flags& flags, int first) {
  for (int row = 0; row < list->count(); ++row) {
    list->item(row)->setCheckState(flags[static_cast<std::size_t>(first + row)] ? Qt::Checked
                                                                                : Qt::Unchecked);
  }
}

template <typename Flags>
void GetRows(const QListWidget* list, Flags& flags, int first) {
  for (int row = 0; row < list->count(); ++row) {
    flags[static_cast<std::size_t>(first + row)] = list->item(row)->checkState() == Qt::Checked;
  }
}

QStringList PointNames(int last) {
  QStringList names;
  for (int p = 1; p <= last; ++p) names << Text(kPoints[static_cast<std::size_t>(p)].key);
  return names;
}

QStringList AspectNames() {
  QStringList names;
  for (const AspectKind& kind : kAspectKinds) names << Text(kind.name);
  return names;
}

QString SizeName(int position) {
  if (position < 40) return QStringLiteral("Very Small");
  if (position < 55) return QStringLiteral("Small");
  if (position < 70) return QStringLiteral("Normal");
  if (position < 85) return QStringLiteral("Large");
  return QStringLiteral("Very Large");
}

struct ChoiceGroups {
  QButtonGroup* ephem;
  QButtonGroup* color;
  QButtonGroup* house;
  QButtonGroup* cusp;
  QButtonGroup* zodiac;
  QButtonGroup* ns;
  QButtonGroup* ew;
};

ChoiceGroups Groups(const QObject* dialog) {
  const auto find = [dialog](const char* name) {
    return dialog->findChild<QButtonGroup*>(QString::fromLatin1(name));
  };
  return {find("optEphem"),  find("optColor"), find("optHouse"), find("optCusp"),
          find("optZodiac"), find("grpNS"),    find("grpEW")};
}

}  // namespace

const QString TfrmOptions::kImportFailure = QStringLiteral(
    "Starbench 5 must be installed for this feature to work. Read the Help item about More "
    "Astrology Calculations.");
const QString TfrmOptions::kImportTooSlow = QStringLiteral(
    "Starbench 5 did not answer in time. If it is busy, wait until it is done and press the "
    "button again.");

TfrmOptions::TfrmOptions(ClockState& state, std::function<void(int)> showHelp, QWidget* owner)
    : QDialog(owner),
      ui_(std::make_unique<Ui::TfrmOptions>()),
      state_(state),
      showHelp_(std::move(showHelp)),
      import_(new NatalImport(QDBusConnection::sessionBus(), NatalImport::kDefaultTimeoutMs, this)),
      natalAtOpen_(state.settings.NatalPos) {
  ui_->setupUi(this);
  setFixedSize(kWidth, kHeight);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  // The choice groups bear the names of the groups they stand for; the pairs of hemisphere
  // buttons share one group box and need a group each.
  const auto name = [](QButtonGroup* group, const char* text) {
    group->setObjectName(QString::fromLatin1(text));
  };
  name(MakeChoice(this, {ui_->optEphem_0, ui_->optEphem_1}), "optEphem");
  name(MakeChoice(this, {ui_->optColor_0, ui_->optColor_1, ui_->optColor_2}), "optColor");
  name(MakeChoice(this, {ui_->optHouse_0, ui_->optHouse_1, ui_->optHouse_2}), "optHouse");
  name(MakeChoice(this, {ui_->optCusp_0, ui_->optCusp_1, ui_->optCusp_2}), "optCusp");
  name(MakeChoice(this, {ui_->optZodiac_0, ui_->optZodiac_1}), "optZodiac");
  name(MakeChoice(this, {ui_->optS, ui_->optN}), "grpNS");
  name(MakeChoice(this, {ui_->optE, ui_->optW}), "grpEW");

  ColorDialog = new QColorDialog(this);
  ColorDialog->setObjectName(QStringLiteral("ColorDialog"));
  ColorDialog->setWindowTitle(QStringLiteral("Planet colour"));
  ColorDialog1 = new QColorDialog(this);
  ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
  ColorDialog1->setWindowTitle(QStringLiteral("Void of course colour"));
  // No alpha channel: the settings store solid colours only.
  for (QColorDialog* picker : {ColorDialog, ColorDialog1}) {
    picker->setOption(QColorDialog::ShowAlphaChannel, false);
    picker->setAccessibleName(picker->windowTitle());
  }

  buildLists();
  buildNatalPage();
  buildLineAppearance();
  connectHandlers();
  // Measured once the style has polished every control.
  ensurePolished();
  fitControls();
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::buildLists() {
  FillRows(ui_->lstPlanets, PointNames(kShownPlanetCount));
  FillRows(ui_->lstTransitFrom, PointNames(kPointCount));
  FillRows(ui_->lstTransitTo, PointNames(kPointCount));
  FillRows(ui_->lstAspectLines, PointNames(kPointCount));
  FillRows(ui_->lstSAAspects, AspectNames());
  ui_->lstTransitTo->setFlow(QListView::TopToBottom);
  ui_->lstTransitTo->setWrapping(true);
  // The long summer caption wraps beside its tick box; a click on it ticks the box, as a click
  // on a tick box's own caption does.
  ui_->lblSummer->installEventFilter(this);
  // Below it, where the zone in use keeps daylight-saving rules, which zone decides.
  lblZoneRule = new QLabel(ui_->grpLocation);
  lblZoneRule->setObjectName(QStringLiteral("lblZoneRule"));
  lblZoneRule->setAccessibleName(QStringLiteral("Daylight saving rule"));
  lblZoneRule->setWordWrap(true);
  lblZoneRule->hide();
  ui_->layout2->addWidget(lblZoneRule, 3, 0, 1, 6);
  // The first start's question, above the fields the place search fills.
  lblWhere = new QLabel(QStringLiteral("Where is your clock? Find your place, then OK."),
                        ui_->grpLocation);
  lblWhere->setObjectName(QStringLiteral("lblWhere"));
  lblWhere->setWordWrap(true);
  QFont bold = lblWhere->font();
  bold.setBold(true);
  lblWhere->setFont(bold);
  lblWhere->hide();
  ui_->layout2->addWidget(lblWhere, 4, 0, 1, 6);
  // "Find place..." beside the buttons, where the dialog has room to spare: the atlas fills the
  // place and its zone only when the user picks a town.
  placeSearch_ = new PlaceSearch(this);
  ui_->layout26->insertWidget(0, placeSearch_, 1);
  connect(placeSearch_, &PlaceSearch::placeChosen, this, &TfrmOptions::fillPlace);
}

void TfrmOptions::fillPlace(const AtlasPlace& town) {
  ui_->PageControl1->setCurrentWidget(ui_->tabGeneral);  // the fields it fills are in view
  const PlaceAngles a = PlaceAnglesOf(town);
  ui_->spnLatD->setValue(a.latD);
  ui_->spnLatM->setValue(a.latM);
  (a.north ? ui_->optN : ui_->optS)->setChecked(true);
  ui_->spnLongD->setValue(a.longD);
  ui_->spnLongM->setValue(a.longM);
  (a.west ? ui_->optW : ui_->optE)->setChecked(true);
  if (!town.zoneName.isEmpty()) setZoneName(town.zoneName);
}

void TfrmOptions::askForPlace(const QString& town) {
  ui_->PageControl1->setCurrentWidget(ui_->tabGeneral);
  lblWhere->show();
  placeSearch_->line()->setText(town);
  // The matches are listed once the dialog is on the screen, where their list can open.
  QTimer::singleShot(0, placeSearch_, [this, town] {
    placeSearch_->line()->setFocus();
    if (!town.isEmpty()) placeSearch_->search(town);
  });
}

void TfrmOptions::setZoneName(const QString& zoneName) {
  zoneName_ = zoneName;
  const QTimeZone named(zoneName.trimmed().toUtf8());
  const QTimeZone zone = named.isValid() ? named : QTimeZone::systemTimeZone();
  const QDateTime now = QDateTime::currentDateTimeUtc();
  const bool rules = !manualZone_ && KeepsDaylightRules(zone, now);
  if (rules && ui_->optSummer->isEnabled()) summerByHand_ = ui_->optSummer->isChecked();
  if (rules) {
    // The zone's rules say whether it is summer; a tick by hand would add a second hour.
    ui_->optSummer->setChecked(zone.isDaylightTime(now));
    lblZoneRule->setText(
        QStringLiteral("Daylight saving follows %1.").arg(QString::fromUtf8(zone.id())));
  } else if (!ui_->optSummer->isEnabled()) {
    ui_->optSummer->setChecked(summerByHand_);
  }
  ui_->optSummer->setEnabled(!rules);
  ui_->lblSummer->setEnabled(!rules);
  lblZoneRule->setVisible(rules);
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->lblSummer && ui_->optSummer->isEnabled() &&
      event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    ui_->optSummer->toggle();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmOptions::buildNatalPage() {
  const QFont glyphs = GlyphFont(11, QString(QChar(kSignSymbols[0])));
  for (int k = 1; k <= kPointCount; ++k) {
    NatalRow& row = natal_[static_cast<std::size_t>(k)];
    row.degrees = findChild<QSpinBox*>(QStringLiteral("spM%1").arg(k));
    row.sign = findChild<QComboBox*>(QStringLiteral("cbS%1").arg(k));
    row.minutes = findChild<QSpinBox*>(QStringLiteral("spD%1").arg(k));
    // Choose-only: a sign field that could be left empty would store its row 30 degrees below
    // Aries.
    row.sign->setEditable(false);
    row.sign->setFont(glyphs);
    for (int s = 0; s < kSignCount; ++s) {
      row.sign->addItem(QString(QChar(kSignSymbols[static_cast<std::size_t>(s)])));
      const QString name = Text(kSignNames[static_cast<std::size_t>(s)]);
      row.sign->setItemData(s, name, Qt::ToolTipRole);
      row.sign->setItemData(s, name, Qt::AccessibleTextRole);
    }
  }
}

void TfrmOptions::buildLineAppearance() {
  ui_->cbAspectLine->addItems(AspectNames());
  for (const char* style : kLineStyles) ui_->cbAspectLStyle->addItem(QString::fromLatin1(style));
  for (const NamedColour& colour : kStandardColours) {
    ui_->cbAspectLColor->addItem(Swatch(colour.value), QString::fromLatin1(colour.name),
                                 colour.value);
  }
}

void TfrmOptions::connectHandlers() {
  connect(ui_->btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui_->BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(ui_->tbPSize, &QSlider::valueChanged, this, [this] { tbPSizeChange(); });
  connect(ui_->btnColor, &QPushButton::clicked, this, [this] { btnColorClick(); });
  connect(ui_->btnVOCColor, &QPushButton::clicked, this, [this] { btnVOCColorClick(); });
  // The line under the rule says what the chosen rule counts, as the user picks and as filled;
  // its tool tip says it whole.
  const auto ruleCounts = [this](int rule) {
    const char* const counts[][2] = {
        {"Counts: degree in sign, Sun..Pluto",
         "Void while no body Sun..Pluto stands further on in its sign than the Moon in hers (the "
         "test above); no times and no last aspect."},
        {"Counts: 5 aspects to Sun..Saturn",
         "Void from the Moon's last exact conjunction, sextile, square, trine or opposition to "
         "the Sun..Saturn in her sign until she enters the next."},
        {"Counts: 5 aspects to Sun..Pluto",
         "Void from the Moon's last exact conjunction, sextile, square, trine or opposition to "
         "the Sun..Pluto in her sign until she enters the next."}};
    const auto& text = counts[std::clamp(rule, 0, 2)];
    ui_->lblVOCRuleCounts->setText(QString::fromLatin1(text[0]));
    ui_->lblVOCRuleCounts->setToolTip(QString::fromLatin1(text[1]));
  };
  connect(ui_->cbVOCRule, &QComboBox::currentIndexChanged, this, ruleCounts);
  ruleCounts(0);
  // activated, not currentIndexChanged: only the user's choice acts, never the filling.
  connect(ui_->cbAspectLine, &QComboBox::activated, this, [this] { cbAspectLineChange(); });
  connect(ui_->cbAspectLStyle, &QComboBox::activated, this, [this] { cbAspectLStyleChange(); });
  connect(ui_->cbAspectLColor, &QComboBox::activated, this, [this] { cbAspectLColorChange(); });
  connect(ui_->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(import_, &NatalImport::finished, this,
          [this](NatalImport::Outcome outcome) { importFinished(outcome); });
  connect(ui_->btnBirthData, &QPushButton::clicked, this, [this] { btnBirthDataClick(); });

  // The orbs have a help topic of their own: the "?" button, the group's context menu, and F1
  // while the focus is in the group.
  const auto orbsHelp = [this] {
    if (showHelp_) showHelp_(kOrbsTopic);
  };
  connect(ui_->btnOrbsHelp, &QToolButton::clicked, this, orbsHelp);
  auto* orbsAction = new QAction(QStringLiteral("Help on Orbs"), ui_->grpOrbs);
  orbsAction->setObjectName(QStringLiteral("actOrbsHelp"));
  connect(orbsAction, &QAction::triggered, this, orbsHelp);
  ui_->grpOrbs->addAction(orbsAction);
  auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
  connect(f1, &QShortcut::activated, this, [this, orbsHelp] {
    QWidget* focus = focusWidget();
    if (focus != nullptr && ui_->grpOrbs->isAncestorOf(focus)) {
      orbsHelp();
    } else {
      BitBtn1Click();
    }
  });
}

void TfrmOptions::fill(const OptionsValues& v) {
  const ChoiceGroups g = Groups(this);
  // The track bar's handler runs once, when the dialog is shown, not while it is filled.
  const QSignalBlocker quiet(ui_->tbPSize);
  SetChoice(g.color, v.Glyphs);
  SetChoice(g.house, v.Houses);
  SetChoice(g.cusp, v.Cusps);
  ui_->tbPSize->setValue(v.Size);
  colour_ = v.Color;
  ColorDialog->setCurrentColor(ToQColor(v.Color));
  showColour(ui_->btnColor, v.Color);
  vocColour_ = v.VOCColor;
  ColorDialog1->setCurrentColor(ToQColor(v.VOCColor));
  showColour(ui_->btnVOCColor, v.VOCColor);
  ui_->optText->setChecked(v.Text);
  ui_->optDupe->setChecked(v.Duplicates);
  ui_->spnLatD->setValue(v.LatD);
  ui_->spnLongD->setValue(v.LongD);
  ui_->spnLatM->setValue(v.LatM);
  ui_->spnLongM->setValue(v.LongM);
  SetChoice(g.ephem, v.HelioCentric);
  SetChoice(g.ns, v.North ? 1 : 0);
  SetChoice(g.ew, v.West ? 1 : 0);
  SetRows(ui_->lstPlanets, v.Show, 1);
  SetRows(ui_->lstTransitTo, v.AspectTo, 1);
  SetRows(ui_->lstTransitFrom, v.AspectFrom, 1);
  SetRows(ui_->lstSAAspects, v.UseAspects, 0);
  ui_->spOrbDeg->setValue(v.Degree);
  ui_->spOrbMin->setValue(v.Minute);
  ui_->spOrbDeg2->setValue(v.DegreeN);
  ui_->spOrbMin2->setValue(v.MinuteN);
  ui_->spnCustDeg->setValue(v.Aspect);
  ui_->optSummer->setEnabled(true);
  ui_->optSummer->setChecked(v.Summer);
  summerByHand_ = v.Summer;
  manualZone_ = v.ManualZone;
  setZoneName(QString::fromStdString(v.ZoneName));
  ui_->optLogTN->setChecked(v.LogTN);
  ui_->optLogTT->setChecked(v.LogTT);
  ShowNatalPositions();
  // The line appearance opens on the conjunction, as when the user picks it.
  ui_->cbAspectLine->setCurrentIndex(0);
  cbAspectLineChange();
  ui_->optAspectLines->setChecked(v.AspectLines);
  ui_->optAnnotate->setChecked(v.Annotate);
  ui_->cbAnnMin->setChecked(v.AnnotateMin);
  SetRows(ui_->lstAspectLines, v.DoLine, 1);
  ui_->optVOCIcon->setChecked(v.Icon);
  ui_->optVOCcolor->setChecked(v.DoColor);
  ui_->optVOC30->setChecked(v.Do30);
  ui_->cbVOCRule->setCurrentIndex(v.VOCRule);
  ui_->optMoonLine->setChecked(v.MoonLine);
  ui_->optExactTimes->setChecked(v.ExactTimes);
  SetChoice(g.zodiac, v.Zodiac);
  ui_->cbPositions->setCurrentIndex(v.Ephemeris);
  ui_->cbAlertVoidBegins->setChecked(v.AlertVoidBegins);
  ui_->cbAlertVoidEnds->setChecked(v.AlertVoidEnds);
  ui_->cbAlertIngress->setChecked(v.AlertIngress);
  ui_->cbAlertNatalExact->setChecked(v.AlertNatalExact);
  ui_->cbAlertNewFull->setChecked(v.AlertNewFull);
  ui_->cbAlertStation->setChecked(v.AlertStation);
  ui_->cbAlertLead->setCurrentIndex(v.AlertLead);
}

OptionsValues TfrmOptions::values() const {
  const ChoiceGroups g = Groups(this);
  OptionsValues v;
  v.LatD = ui_->spnLatD->value();
  v.LatM = ui_->spnLatM->value();
  v.North = ui_->optN->isChecked();
  v.LongD = ui_->spnLongD->value();
  v.LongM = ui_->spnLongM->value();
  v.West = ui_->optW->isChecked();
  // Where the zone's rules decide, the file keeps what the user last set by hand.
  v.Summer = ui_->optSummer->isEnabled() ? ui_->optSummer->isChecked() : summerByHand_;
  v.ZoneName = zoneName_.toStdString();
  v.ManualZone = manualZone_;
  v.HelioCentric = g.ephem->checkedId();
  v.Glyphs = g.color->checkedId();
  v.Houses = g.house->checkedId();
  v.Cusps = g.cusp->checkedId();
  v.Zodiac = g.zodiac->checkedId();
  v.Ephemeris = ui_->cbPositions->currentIndex() == 1 ? 1 : 0;
  GetRows(ui_->lstPlanets, v.Show, 1);
  v.Size = ui_->tbPSize->value();
  v.Color = colour_;
  v.Annotate = ui_->optAnnotate->isChecked();
  v.AnnotateMin = ui_->cbAnnMin->isChecked();
  GetRows(ui_->lstSAAspects, v.UseAspects, 0);
  v.Aspect = ui_->spnCustDeg->value();
  GetRows(ui_->lstTransitFrom, v.AspectFrom, 1);
  GetRows(ui_->lstTransitTo, v.AspectTo, 1);
  v.Degree = ui_->spOrbDeg->value();
  v.Minute = ui_->spOrbMin->value();
  v.DegreeN = ui_->spOrbDeg2->value();
  v.MinuteN = ui_->spOrbMin2->value();
  v.Text = ui_->optText->isChecked();
  v.Duplicates = ui_->optDupe->isChecked();
  v.LogTT = ui_->optLogTT->isChecked();
  v.LogTN = ui_->optLogTN->isChecked();
  v.AspectLines = ui_->optAspectLines->isChecked();
  GetRows(ui_->lstAspectLines, v.DoLine, 1);
  v.Do30 = ui_->optVOC30->isChecked();
  v.Icon = ui_->optVOCIcon->isChecked();
  v.DoColor = ui_->optVOCcolor->isChecked();
  v.VOCColor = vocColour_;
  v.AlertVoidBegins = ui_->cbAlertVoidBegins->isChecked();
  v.AlertVoidEnds = ui_->cbAlertVoidEnds->isChecked();
  v.AlertIngress = ui_->cbAlertIngress->isChecked();
  v.AlertNatalExact = ui_->cbAlertNatalExact->isChecked();
  v.AlertNewFull = ui_->cbAlertNewFull->isChecked();
  v.AlertStation = ui_->cbAlertStation->isChecked();
  v.AlertLead = ui_->cbAlertLead->currentIndex();
  v.VOCRule = std::max(0, ui_->cbVOCRule->currentIndex());
  v.MoonLine = ui_->optMoonLine->isChecked();
  v.ExactTimes = ui_->optExactTimes->isChecked();
  return v;
}

void TfrmOptions::setStartWithSession(bool on) { ui_->cbAutostart->setChecked(on); }

bool TfrmOptions::startWithSession() const { return ui_->cbAutostart->isChecked(); }

void TfrmOptions::ShowNatalPositions() { ShowNatalPositions(state_.settings.NatalPos); }

void TfrmOptions::ShowNatalPositions(const NatalLongitudes& positions) {
  for (int k = 1; k <= kPointCount; ++k) {
    const NatalRow& row = natal_[static_cast<std::size_t>(k)];
    const NatalFields f = NatalFieldsOf(positions[static_cast<std::size_t>(k)]);
    row.sign->setCurrentIndex(f.sign);
    row.minutes->setValue(f.minutes);
    row.degrees->setValue(f.degrees);
  }
}

void TfrmOptions::fitControls() {
  // Each list at least as wide as its longest row beside a scroll bar, so no name is cut.
  for (QListWidget* list : {ui_->lstPlanets, ui_->lstSAAspects, ui_->lstTransitFrom}) {
    list->setMinimumWidth(list->sizeHintForColumn(0) +
                          list->verticalScrollBar()->sizeHint().width() + 2 * list->frameWidth());
  }
  // The symbol font is taller than the text font: the sign fields keep the height of the spin
  // fields beside them, so that seven rows fit the page.
  for (int k = 1; k <= kPointCount; ++k) {
    const NatalRow& row = natal_[static_cast<std::size_t>(k)];
    row.sign->setFixedHeight(row.degrees->sizeHint().height());
  }
  // Captions that wrap count as two lines in the dialog's minimum size, which would otherwise take
  // them as one and let a larger font squeeze the controls below them.
  for (QLabel* caption : {ui_->lblSummer, ui_->lblTransitFrom, ui_->lblNatalText}) {
    caption->setMinimumHeight(2 * caption->fontMetrics().lineSpacing());
  }
  // "Show Aspects To" in two columns of seven: a list exactly seven rows high that wraps.
  QListWidget* to = ui_->lstTransitTo;
  const QSize cell(to->sizeHintForColumn(0) + 4, to->sizeHintForRow(0));
  to->setGridSize(cell);
  // Half a row to spare: the view wraps a row that would touch its bottom edge.
  to->setFixedHeight(7 * cell.height() + cell.height() / 2 + 2 * to->frameWidth());
  to->setMinimumWidth(2 * cell.width() + 2 * to->frameWidth());
}

void TfrmOptions::FormShow() {
  // The dialog keeps its size unless a larger desktop font needs more room than that.
  const QSize needed = layout()->totalMinimumSize();
  if (needed.width() > width() || needed.height() > height()) {
    setFixedSize(needed.expandedTo(size()));
  }
  // Centred on the screen, whatever the clock window's place.
  if (const QScreen* where = screen()) {
    move(where->availableGeometry().center() - QPoint(width() / 2, height() / 2));
  }
  ui_->PageControl1->setCurrentIndex(0);
  tbPSizeChange();
}

void TfrmOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) RunReported([this] { FormShow(); });
}

void TfrmOptions::tbPSizeChange() {
  const int position = ui_->tbPSize->value();
  ui_->lblSize->setText(SizeName(position));
  // Two more than the position, as the clock has always kept it until the next load.
  state_.settings.Size = static_cast<std::uint16_t>(position + 2);
  // Repainted here while the thumb is dragged; processing every pending event instead could run
  // a minute tick in the middle of this handler.
  ui_->lblSize->repaint();
}

std::optional<std::int32_t> TfrmOptions::pickColour(QColorDialog* picker, std::int32_t colour) {
  picker->setCurrentColor(ToQColor(colour));
  if (picker->exec() != QDialog::Accepted) {
    picker->setCurrentColor(ToQColor(colour));  // a cancelled picker keeps its preset
    return std::nullopt;
  }
  const QColor chosen =
      picker->selectedColor().isValid() ? picker->selectedColor() : picker->currentColor();
  return FromQColor(chosen);
}

void TfrmOptions::showColour(QAbstractButton* button, std::int32_t colour) {
  button->setIcon(Swatch(colour));
}

void TfrmOptions::btnColorClick() {
  Settings& s = state_.settings;
  colour_ = s.Color;
  if (const auto chosen = pickColour(ColorDialog, s.Color)) colour_ = s.Color = *chosen;
  showColour(ui_->btnColor, colour_);
}

void TfrmOptions::btnVOCColorClick() {
  Settings& s = state_.settings;
  vocColour_ = s.VOCColor;
  if (const auto chosen = pickColour(ColorDialog1, s.VOCColor)) vocColour_ = s.VOCColor = *chosen;
  showColour(ui_->btnVOCColor, vocColour_);
}

void TfrmOptions::cbAspectLineChange() {
  const int kind = ui_->cbAspectLine->currentIndex();
  if (kind < 0 || kind >= kAspectKindCount) return;
  const Settings& s = state_.settings;
  const auto style = static_cast<int>(s.LineStyle[static_cast<std::size_t>(kind)]);
  // A hand-written style or colour the selectors do not offer shows as no entry.
  ui_->cbAspectLStyle->setCurrentIndex(style < ui_->cbAspectLStyle->count() ? style : -1);
  ui_->cbAspectLColor->setCurrentIndex(
      ui_->cbAspectLColor->findData(s.LineColor[static_cast<std::size_t>(kind)]));
}

void TfrmOptions::cbAspectLStyleChange() {
  const int kind = ui_->cbAspectLine->currentIndex();
  const int style = ui_->cbAspectLStyle->currentIndex();
  if (kind < 0 || kind >= kAspectKindCount || style < 0) return;
  state_.settings.LineStyle[static_cast<std::size_t>(kind)] = static_cast<AspectLineStyle>(style);
}

void TfrmOptions::cbAspectLColorChange() {
  const int kind = ui_->cbAspectLine->currentIndex();
  const int colour = ui_->cbAspectLColor->currentIndex();
  if (kind < 0 || kind >= kAspectKindCount || colour < 0) return;
  state_.settings.LineColor[static_cast<std::size_t>(kind)] =
      ui_->cbAspectLColor->itemData(colour).toInt();
}

void TfrmOptions::btnOKClick() {
  NatalLongitudes& natal = state_.settings.NatalPos;
  for (int k = 1; k <= kPointCount; ++k) {
    const NatalRow& row = natal_[static_cast<std::size_t>(k)];
    // Every row has a sign unless a longitude could not be shown; that one stays as it was.
    if (row.sign->currentIndex() < 0) continue;
    natal[static_cast<std::size_t>(k)] =
        NatalLongitudeOf({row.sign->currentIndex(), row.degrees->value(), row.minutes->value()});
  }
  accept();
}

void TfrmOptions::Button1Click() {
  // One import at a time; the button stays disabled until this one is over.
  if (!import_->Start()) return;
  ui_->Button1->setEnabled(false);
  // Busy, not waiting: the dialog and the clock stay usable while the package answers.
  setCursor(Qt::BusyCursor);
}

void TfrmOptions::importFinished(NatalImport::Outcome outcome) {
  ui_->Button1->setEnabled(true);
  unsetCursor();
  if (outcome == NatalImport::Outcome::Imported) {
    // In use at once, as the page shows it; Cancel takes it back.
    const NatalLongitudes& imported = import_->positions();
    NatalLongitudes& natal = state_.settings.NatalPos;
    for (int k = 1; k <= kPointCount; ++k) {
      natal[static_cast<std::size_t>(k)] = imported[static_cast<std::size_t>(k)];
    }
    ShowNatalPositions();
    return;
  }
  // A failed import stores nothing: memory and page keep the chart they had.
  const QString& text = outcome == NatalImport::Outcome::TooSlow ? kImportTooSlow : kImportFailure;
  auto* box = new QMessageBox(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("msgImportFailure"));
  box->setAccessibleName(QStringLiteral("Natal import"));
  box->setAccessibleDescription(text);
  box->setAttribute(Qt::WA_DeleteOnClose);
  importMessage_ = box;
  // Window-modal without a nested event loop: the dialog waits for the OK, the clock runs on.
  box->open();
}

void TfrmOptions::done(int result) {
  if (import_->running()) {
    import_->Cancel();
    ui_->Button1->setEnabled(true);
    unsetCursor();
  }
  if (result != QDialog::Accepted) state_.settings.NatalPos = natalAtOpen_;
  QDialog::done(result);
}

QMessageBox* TfrmOptions::importMessage() const { return importMessage_; }

Settings TfrmOptions::baseForBirthChart() const {
  // The chart is computed with the zodiac, house system and ephemeris the dialog shows, which
  // are the ones in force once OK saves the positions.
  const OptionsValues v = values();
  Settings base = state_.settings;
  constexpr std::array<HouseSystem, 3> kHouses{HouseSystem::Placidus, HouseSystem::Koch,
                                               HouseSystem::Equal};
  if (v.Houses >= 0) base.HouseCode = kHouses[static_cast<std::size_t>(v.Houses)];
  if (v.Zodiac >= 0) base.SiderealZodiac = static_cast<std::int16_t>(v.Zodiac);
  if (v.HelioCentric >= 0) base.HelioMode = v.HelioCentric;
  return base;
}

void TfrmOptions::btnBirthDataClick() {
  const OptionsValues v = values();
  BirthPlace place{v.LatD, v.LatM, v.North, v.LongD, v.LongM, v.West};
  TfrmBirthData form(place, baseForBirthChart(), state_.theory, this);
  if (form.exec() == QDialog::Accepted) ShowNatalPositions(form.positions());
}

void TfrmOptions::BitBtn1Click() {
  if (showHelp_) showHelp_(kSettingsTopic);
}
