// Every window at the design font and at larger ones: nothing overlaps, every caption fits, every
// control lies inside its parent, and the main window's anchored controls follow a resize.

#include "gui/widgets/scale_to_font.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTabWidget>
#include <array>
#include <cstdlib>
#include <memory>

#include "engine/copy/copy_run.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/dialogs/detail_settings_dialog.h"
#include "gui/dialogs/help_window.h"
#include "gui/dialogs/properties_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_model.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/design_scale.h"
#include "support/fake_services.h"
#include "support/file_tree.h"
#include "support/layout_faults.h"
#include "support/qt_printers.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::FakeServices;
using testing::layoutFaults;
using testing::TempFolder;
using testing::writeFile;

// The design font, or another Japanese font whose glyphs and line height differ from it, at 12
// pixels times a scale.
struct FontCase {
  const char* name;
  const char* family;  // nullptr: the design font
  double scale;
};

const FontCase Fonts[] = {
    {"x1", nullptr, 1.0},
    {"x1_25", nullptr, 1.25},
    {"x1_5", nullptr, 1.5},
    {"x2", nullptr, 2.0},
    {"NotoSansCJKJP_x1", "Noto Sans CJK JP", 1.0},
    {"NotoSansCJKJP_x1_5", "Noto Sans CJK JP", 1.5},
    // A Latin desktop font (qt6ct's default kind), its Japanese glyphs from a fallback font.
    {"DejaVuSans_x1", "DejaVu Sans", 1.0},
    {"DejaVuSans_x1_25", "DejaVu Sans", 1.25},
};

void PrintTo(const FontCase& font, std::ostream* os) {
  *os << font.name;
}

// The application's font for the windows made while it lives.
class ScaledFont {
 public:
  explicit ScaledFont(const FontCase& scaled) : saved_(QApplication::font()) {
    QFont font = designFont();
    if (scaled.family) font.setFamilies({QString::fromLatin1(scaled.family)});
    font.setPixelSize(qRound(font.pixelSize() * scaled.scale));
    QApplication::setFont(font);
  }
  ~ScaledFont() { QApplication::setFont(saved_); }
  ScaledFont(const ScaledFont&) = delete;
  ScaledFont& operator=(const ScaledFont&) = delete;

 private:
  QFont saved_;
};

// Makes the windows as a user meets them, with the case's font.
class Windows {
 public:
  explicit Windows(const FontCase& font) : font_(font) {}

  // Made once: the notice and the detail settings belong to it. `moreSettings`: lines the
  // settings file holds after its [Default] section.
  MainWindow& mainWindow(const std::string& moreSettings = {}) {
    if (form_) return *form_;
    writeFile(folder_.file("NVO.ini"), "[Default]\nLastCopyDate=2026/11/30\n" + moreSettings);
    form_ =
        std::make_unique<MainWindow>(fakes_.services(), folder_.file("NVO.ini"), folder_.path());
    form_->show();
    QApplication::processEvents();
    return *form_;
  }
  DetailSettingsDialog& detailSettings(int page) {
    DetailSettingsDialog& dialog = *mainWindow().detailSettingsDialog;
    dialog.load(form_->detailOptions());
    dialog.centreOnParent();
    dialog.pages->setCurrentIndex(page);
    return dialog;
  }
  CopyNotice& notice() {
    mainWindow().copyNotice->showDestination(QStringLiteral("/media/backup/Documents"));
    return *form_->copyNotice;
  }
  QWidget& own(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window_.reset(window);
    return *window;
  }
  std::string sampleFile() {
    writeFile(folder_.file("見積書.txt"), "1234");
    return folder_.file("見積書.txt");
  }
  DesktopShell& shell() { return fakes_.shell; }

 private:
  ScaledFont font_;
  TempFolder folder_;
  FakeServices fakes_;
  std::unique_ptr<MainWindow> form_;
  std::unique_ptr<QWidget> window_;
};

CopyRunResult runWithFailuresOnExfat() {
  CopyRunResult result;
  result.counts = {1284, 37, 3};
  result.failedSources = {"/home/user/docs/what?.txt", "/home/user/docs/B.txt"};
  result.attributesNote = AttributesNote{"exFAT"};
  return result;
}

struct WindowCase {
  const char* name;
  QWidget& (*open)(Windows&);
};

void PrintTo(const WindowCase& window, std::ostream* os) {
  *os << window.name;
}

const WindowCase EveryWindow[] = {
    {"MainWindow", [](Windows& w) -> QWidget& { return w.mainWindow(); }},
    {"MainWindowAtMinimumSize",
     [](Windows& w) -> QWidget& {
       MainWindow& form = w.mainWindow();
       form.resize(form.minimumSize());
       return form;
     }},
    {"DetailSettingsExtensionPage", [](Windows& w) -> QWidget& { return w.detailSettings(0); }},
    {"DetailSettingsSearchCopyPage", [](Windows& w) -> QWidget& { return w.detailSettings(1); }},
    {"DetailSettingsNamePage", [](Windows& w) -> QWidget& { return w.detailSettings(2); }},
    {"CopyNotice", [](Windows& w) -> QWidget& { return w.notice(); }},
    {"CopyNoticeWithNotes",
     [](Windows& w) -> QWidget& {
       CopyNotice& notice = w.notice();
       notice.showNotes(runWithFailuresOnExfat(),
                        {QStringLiteral("/home/user/docs/what?.txt: 名前が長すぎます")});
       return notice;
     }},
    // The drive's answer comes after the notes have placed the failed files button.
    {"CopyNoticeWithNotesForARemovableDrive",
     [](Windows& w) -> QWidget& {
       CopyNotice& notice = w.notice();
       notice.showNotes(runWithFailuresOnExfat(), {QStringLiteral("/a.txt: 名前が長すぎます")});
       notice.offerRemoval(RemovableDrive{"/sdb1", "/Stick"});
       return notice;
     }},
    {"CopyNoticeAfterNotes",
     [](Windows& w) -> QWidget& {
       CopyNotice& notice = w.notice();
       notice.showNotes(runWithFailuresOnExfat());
       notice.showNotes(CopyRunResult{});
       return notice;
     }},
    {"AboutBox",
     [](Windows& w) -> QWidget& {
       return w.own(new AboutBox(programVersion(), "user", w.shell()));
     }},
    {"Properties",
     [](Windows& w) -> QWidget& { return w.own(new PropertiesDialog(w.sampleFile())); }},
    {"Help", [](Windows& w) -> QWidget& { return w.own(new HelpWindow); }},
};

class WindowAtFontScale : public ::testing::TestWithParam<std::tuple<WindowCase, FontCase>> {};

TEST_P(WindowAtFontScale, ControlsNeitherOverlapNorClipTheirCaptions) {
  const auto [which, font] = GetParam();
  Windows windows(font);
  QWidget& window = which.open(windows);
  window.show();
  QApplication::processEvents();
  ASSERT_EQ(QFontInfo(window.font()).pixelSize(), qRound(12 * font.scale));
  for (const std::string& fault : layoutFaults(window)) ADD_FAILURE() << fault;
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, WindowAtFontScale,
                         ::testing::Combine(::testing::ValuesIn(EveryWindow),
                                            ::testing::ValuesIn(Fonts)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

// How a control of the main window follows when the window grows: an anchored right side keeps
// its distance from the window's right edge, an anchored bottom from its bottom edge.
enum Follow : unsigned {
  Stays = 0,
  MovesRight = 1,
  MovesDown = 2,
  Widens = 4,
  Heightens = 8,
};

struct Anchored {
  const char* name;
  unsigned follow;
};

const Anchored MainWindowControls[] = {
    {"Label2", Stays},
    {"DateTimePicker1", Stays},
    {"Label6", Stays},
    {"LblLastDate", MovesRight},
    {"Label3", Stays},
    {"Edit1", Widens},
    {"Button2", MovesRight},
    {"CbKai", Stays},
    {"LblFolEx", Stays},
    {"LstBxFolEx", Widens},
    {"BtnFolExADD", MovesRight},
    {"BtnFolExDel", MovesRight},
    {"Label4", Stays},
    {"Edit2", Widens},
    {"Button4", MovesRight},
    {"Panel1", Widens | Heightens},
    {"Label1", Stays},  // on Panel1, as are the next three
    {"BtnSelAll", MovesRight},
    {"BtnReleaseSel", MovesRight},
    {"lsvFilesFrom", Widens | Heightens},
    {"Button1", MovesRight | MovesDown},
    {"Button3", MovesRight | MovesDown},
    {"Button5", MovesRight | MovesDown},
    {"StatusBar1", MovesDown | Widens},
};

QRect followed(QRect before, unsigned follow, QSize growth) {
  QRect r = before;
  if (follow & MovesRight) r.translate(growth.width(), 0);
  if (follow & MovesDown) r.translate(0, growth.height());
  if (follow & Widens) r.setWidth(r.width() + growth.width());
  if (follow & Heightens) r.setHeight(r.height() + growth.height());
  return r;
}

class MainWindowAtFontScale : public ::testing::TestWithParam<FontCase> {};

TEST_P(MainWindowAtFontScale, AnchoredControlsFollowAResize) {
  Windows windows(GetParam());
  MainWindow& form = windows.mainWindow();
  std::vector<std::pair<const QWidget*, QRect>> before;
  for (const Anchored& a : MainWindowControls) {
    const auto* w = form.findChild<const QWidget*>(QString::fromLatin1(a.name));
    ASSERT_NE(w, nullptr) << a.name;
    before.emplace_back(w, w->geometry());
  }
  const QSize growth(100, 60);
  form.resize(form.size() + growth);
  QApplication::processEvents();
  for (std::size_t i = 0; i < before.size(); ++i) {
    const auto [w, was] = before[i];
    EXPECT_EQ(w->geometry(), followed(was, MainWindowControls[i].follow, growth))
        << MainWindowControls[i].name;
  }
  for (const std::string& fault : layoutFaults(form)) ADD_FAILURE() << "grown: " << fault;
}

INSTANTIATE_TEST_SUITE_P(AtEachScale, MainWindowAtFontScale, ::testing::ValuesIn(Fonts),
                         [](const auto& info) { return std::string(info.param.name); });

// Widths of the result columns as a settings file stores them; -1: none stored.
struct StoredWidths {
  const char* name;
  std::array<int, ResultListModel::ColumnCount> widths;
};

const StoredWidths StoredColumnWidths[] = {
    {"NoneStored", {-1, -1, -1, -1, -1}},
    // Fitted to the design font, as a window under it saves them.
    {"SavedUnderTheDesignFont", {100, 80, 79, 118, 164}},
    {"NarrowerThanAnyText", {10, 10, 10, 10, 10}},
    {"WiderThanAnyText", {300, 300, 300, 300, 300}},
};

void PrintTo(const StoredWidths& stored, std::ostream* os) {
  *os << stored.name;
}

std::string listViewSection(const StoredWidths& stored) {
  std::string section = "[ListView]\n";
  for (std::size_t c = 0; c < stored.widths.size(); ++c)
    if (stored.widths[c] >= 0)
      section += "Column" + std::to_string(c) + "Width=" + std::to_string(stored.widths[c]) + "\n";
  return section;
}

// The pixels column `c`'s header gives its text while the sort arrow shows: the label's place
// as the style draws it, up to where the arrow begins.
int headerTextRoom(const QHeaderView& header, int c) {
  QStyleOptionHeader option;
  option.initFrom(&header);
  option.state |= QStyle::State_Horizontal;
  option.orientation = Qt::Horizontal;
  option.sortIndicator = QStyleOptionHeader::SortUp;
  option.rect = QRect(0, 0, header.sectionSize(c), header.height());
  const QRect label = header.style()->subElementRect(QStyle::SE_HeaderLabel, &option, &header);
  const QRect arrow = header.style()->subElementRect(QStyle::SE_HeaderArrow, &option, &header);
  return std::min(label.right(), arrow.left() - 1) - label.left() + 1;
}

ResultRow rowModifiedAt(const char* path, timespec modified) {
  ResultRow row;
  row.pathText = path;
  row.sizeKiB = 1;
  row.modifiedSeconds = modified.tv_sec;
  return row;
}

constexpr int DateColumn = 3;

class ResultColumns : public ::testing::TestWithParam<std::tuple<StoredWidths, FontCase>> {};

// Each header is whole beside its sort arrow and the date column shows its dates whole, in any
// font and whatever widths the settings file kept; a wider stored width stays.
TEST_P(ResultColumns, HoldTheirHeadersAndDates) {
  const auto [stored, font] = GetParam();
  Windows windows(font);
  MainWindow& form = windows.mainWindow(listViewSection(stored));
  using testing::localTime;
  form.resultModel()->setRows({rowModifiedAt("/a", localTime(2000, 12, 28, 20, 58, 58)),
                               rowModifiedAt("/b", localTime(2008, 8, 28, 8, 48, 48))});
  QApplication::processEvents();
  const QHeaderView& header = *form.resultList->header();
  for (int c = 0; c < ResultListModel::ColumnCount; ++c) {
    const QString title = form.resultModel()->headerData(c, Qt::Horizontal).toString();
    EXPECT_GE(headerTextRoom(header, c), header.fontMetrics().horizontalAdvance(title))
        << title.toStdString() << " in " << header.sectionSize(c) << " px";
    const int kept = stored.widths[static_cast<std::size_t>(c)];
    EXPECT_GE(form.resultList->columnWidth(c), kept) << c;
    if (kept == 300) {
      EXPECT_EQ(form.resultList->columnWidth(c), kept) << c;
    }
  }
  // The width the list's own cell drawing asks for the dates it shows.
  EXPECT_GE(form.resultList->columnWidth(DateColumn),
            static_cast<const QAbstractItemView*>(form.resultList)->sizeHintForColumn(DateColumn));
}

INSTANTIATE_TEST_SUITE_P(StoredAndFonts, ResultColumns,
                         ::testing::Combine(::testing::ValuesIn(StoredColumnWidths),
                                            ::testing::ValuesIn(Fonts)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

struct PaletteCase {
  const char* name;
  QColor window;
  QColor text;
  QColor link;
};

// The application's palette for the windows made while it lives.
class AppliedPalette {
 public:
  explicit AppliedPalette(const PaletteCase& colours) : saved_(QApplication::palette()) {
    QPalette palette = saved_;
    palette.setColor(QPalette::Window, colours.window);
    palette.setColor(QPalette::WindowText, colours.text);
    palette.setColor(QPalette::Link, colours.link);
    QApplication::setPalette(palette);
    QApplication::processEvents();  // the windows that exist take it in
  }
  ~AppliedPalette() { QApplication::setPalette(saved_); }
  AppliedPalette(const AppliedPalette&) = delete;
  AppliedPalette& operator=(const AppliedPalette&) = delete;

 private:
  QPalette saved_;
};

class LinkColour : public ::testing::TestWithParam<PaletteCase> {};

// The links of the copy notice and the About box take the palette's link colour: readable on
// a dark window as on a light one, also when the desktop's theme changes after they were made.
TEST_P(LinkColour, ComesFromThePalette) {
  FakeServices fakes;
  AboutBox about(programVersion(), "user", fakes.shell);
  CopyNotice notice(fakes.boxes, fakes.shell, fakes.dialogs, fakes.drives);
  AppliedPalette palette(GetParam());
  const QLabel* const links[] = {about.homePageLink, notice.destinationCaption,
                                 notice.destinationLabel};
  for (const QLabel* link : links) {
    const QColor drawn = link->palette().color(link->foregroundRole());
    EXPECT_EQ(drawn, GetParam().link) << link->objectName().toStdString();
    EXPECT_GT(std::abs(drawn.lightness() - link->palette().color(QPalette::Window).lightness()), 80)
        << link->objectName().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Palettes, LinkColour,
    ::testing::Values(PaletteCase{"Light", QColor(0xef, 0xef, 0xef), Qt::black, QColor(0, 0, 0xff)},
                      PaletteCase{"Dark", QColor(0x2b, 0x2b, 0x2b), QColor(0xee, 0xee, 0xee),
                                  QColor(0x8a, 0xb4, 0xf8)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
