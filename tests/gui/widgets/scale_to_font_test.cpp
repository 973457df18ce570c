// Every window at the design font and at larger ones: nothing overlaps, every caption fits, every
// control lies inside its parent, and the main window's anchored controls follow a resize.

#include "gui/widgets/scale_to_font.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QTabWidget>
#include <memory>

#include "engine/copy/copy_run.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/dialogs/help_window.h"
#include "gui/dialogs/properties_dialog.h"
#include "gui/main_window/detail_settings_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/widgets/design_scale.h"
#include "support/fake_services.h"
#include "support/layout_faults.h"
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
  const char* family;  // nullptr: the design font
  double scale;
};

const FontCase Fonts[] = {
    {nullptr, 1.0},
    {nullptr, 1.25},
    {nullptr, 1.5},
    {"Noto Sans CJK JP", 1.0},
    {"Noto Sans CJK JP", 1.5},
};

std::string fontName(const FontCase& font) {
  QString text = QString::number(font.scale);
  const std::string family =
      font.family ? QString::fromLatin1(font.family).remove(QLatin1Char(' ')).toStdString() + "_"
                  : "";
  return family + "x" + text.replace(QLatin1Char('.'), QLatin1Char('_')).toStdString();
}

void PrintTo(const FontCase& font, std::ostream* os) {
  *os << fontName(font);
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

enum class Window {
  Main,
  MainAtMinimumSize,
  DetailExtensionPage,
  DetailSearchCopyPage,
  Notice,
  NoticeWithNotes,
  NoticeAfterNotes,
  About,
  Properties,
  Help,
};

const std::pair<Window, const char*> WindowNames[] = {
    {Window::Main, "MainWindow"},
    {Window::MainAtMinimumSize, "MainWindowAtMinimumSize"},
    {Window::DetailExtensionPage, "DetailSettingsExtensionPage"},
    {Window::DetailSearchCopyPage, "DetailSettingsSearchCopyPage"},
    {Window::Notice, "CopyNotice"},
    {Window::NoticeWithNotes, "CopyNoticeWithNotes"},
    {Window::NoticeAfterNotes, "CopyNoticeAfterNotes"},
    {Window::About, "AboutBox"},
    {Window::Properties, "Properties"},
    {Window::Help, "Help"},
};

void PrintTo(Window window, std::ostream* os) {
  for (const auto& [w, name] : WindowNames)
    if (w == window) *os << name;
}

CopyRunResult runWithFailuresOnExfat() {
  CopyRunResult result;
  result.counts = {1284, 37, 3};
  result.failedSources = {"/home/user/docs/what?.txt", "/home/user/docs/B.txt"};
  result.attributesNote = "コピー先が exFAT のため、アクセス権と所有者は保存していません";
  return result;
}

// Opens each window as a user meets it, with the font of the test's scale.
class Windows {
 public:
  explicit Windows(const FontCase& font) : font_(font) {}

  QWidget& open(Window which) {
    QWidget& window = build(which);
    window.show();
    QApplication::processEvents();
    return window;
  }

  TForm1& mainWindow() {
    writeFile(folder_.file("NVO.ini"), "[Default]\nLastCopyDate=2026/11/30\n");
    form_ = std::make_unique<TForm1>(fakes_.services(), folder_.file("NVO.ini"), folder_.path());
    form_->show();
    QApplication::processEvents();
    return *form_;
  }

 private:
  QWidget& build(Window which) {
    switch (which) {
      case Window::Main:
        return mainWindow();
      case Window::MainAtMinimumSize:
        mainWindow().resize(form_->minimumSize());
        return *form_;
      case Window::DetailExtensionPage:
        return detailSettings(0);
      case Window::DetailSearchCopyPage:
        return detailSettings(1);
      case Window::Notice:
        return notice();
      case Window::NoticeWithNotes:
        notice().showNotes(runWithFailuresOnExfat());
        return *form_->frmRes;
      case Window::NoticeAfterNotes:
        notice().showNotes(runWithFailuresOnExfat());
        form_->frmRes->showNotes(CopyRunResult{});
        return *form_->frmRes;
      case Window::About:
        return own(new TAboutBox(programVersion(), "user", fakes_.shell));
      case Window::Properties:
        writeFile(folder_.file("見積書.txt"), "1234");
        return own(new PropertiesDialog(folder_.file("見積書.txt")));
      case Window::Help:
        return own(new HelpWindow);
    }
    throw std::logic_error("unknown window");
  }

  TfrmConf& detailSettings(int page) {
    mainWindow().frmConf->FormShow();
    form_->frmConf->PageControl1->setCurrentIndex(page);
    return *form_->frmConf;
  }

  TfrmRes& notice() {
    mainWindow().frmRes->showDestination(QStringLiteral("/media/backup/Documents"));
    return *form_->frmRes;
  }

  QWidget& own(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window_.reset(window);
    return *window;
  }

  ScaledFont font_;
  TempFolder folder_;
  FakeServices fakes_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<QWidget> window_;
};

class WindowAtFontScale : public ::testing::TestWithParam<std::tuple<Window, FontCase>> {};

TEST_P(WindowAtFontScale, ControlsNeitherOverlapNorClipTheirCaptions) {
  const auto [which, font] = GetParam();
  Windows windows(font);
  const QWidget& window = windows.open(which);
  ASSERT_EQ(QFontInfo(window.font()).pixelSize(), qRound(12 * font.scale));
  for (const std::string& fault : layoutFaults(window)) ADD_FAILURE() << fault;
}

INSTANTIATE_TEST_SUITE_P(
    EveryWindow, WindowAtFontScale,
    ::testing::Combine(::testing::Values(Window::Main, Window::MainAtMinimumSize,
                                         Window::DetailExtensionPage, Window::DetailSearchCopyPage,
                                         Window::Notice, Window::NoticeWithNotes,
                                         Window::NoticeAfterNotes, Window::About,
                                         Window::Properties, Window::Help),
                       ::testing::ValuesIn(Fonts)),
    [](const auto& info) {
      return ::testing::PrintToString(std::get<0>(info.param)) + "_" +
             fontName(std::get<1>(info.param));
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
  TForm1& form = windows.mainWindow();
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
                         [](const auto& info) { return fontName(info.param); });

}  // namespace
}  // namespace nuvelo
