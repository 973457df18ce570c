#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "gui/main_window/main_window.h"
#include "gui/widgets/folder_box.h"
#include "support/fake_services.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::FakeServices;
using testing::TempFolder;

// A click goes through the window as the desktop delivers it (QTest's widget overload would
// hand it to the button directly, past the open completion list).
void clickThroughWindow(QWidget& target) {
  QWindow* window = target.window()->windowHandle();
  ASSERT_NE(window, nullptr);
  const QPoint at = window->mapFromGlobal(target.mapToGlobal(target.rect().center()));
  QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
}

struct ClickCase {
  const char* name;
  bool destinationBox;               // which folder box shows its completion list
  QPushButton* MainWindow::*button;  // the button clicked while the list is open
};

void PrintTo(const ClickCase& c, std::ostream* out) {
  *out << c.name;
}

class CompletionListClick : public ::testing::Test {
 protected:
  void SetUp() override {
    form =
        std::make_unique<MainWindow>(fakes.services(), settings.file("NVO.ini"), settings.path());
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void TearDown() override {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->hide();
  }

  // Types a folder that a recent folder contains, so that the box's completion list opens; a
  // search then walks the typed folder, which is empty.
  QAbstractItemView* openCompletionList(QLineEdit& edit, FolderBox& box) {
    box.setRecent({tree.path() + "/work"});
    edit.clear();
    edit.setFocus();
    QTest::keyClicks(&edit, QString::fromStdString(tree.path()));
    return box.completer()->popup();
  }

  TempFolder tree;
  TempFolder settings;
  FakeServices fakes;
  std::unique_ptr<MainWindow> form;
};

class CompletionList : public CompletionListClick,
                       public ::testing::WithParamInterface<ClickCase> {};

// The click that closes the completion list still reaches the button under the pointer: it
// searches or copies, rather than only closing the list.
TEST_P(CompletionList, AClickOnAButtonDoesWhatTheButtonSays) {
  QLineEdit& edit =
      GetParam().destinationBox ? *form->destinationFolderEdit : *form->sourceFolderEdit;
  FolderBox& box = GetParam().destinationBox ? *form->destinationFolderBox : *form->sourceFolderBox;
  QPushButton& button = *(form.get()->*GetParam().button);
  QAbstractItemView* popup = openCompletionList(edit, box);
  ASSERT_TRUE(popup->isVisible());
  ASSERT_EQ(QApplication::activePopupWidget(), popup);
  ASSERT_FALSE(
      popup->frameGeometry().intersects(QRect(button.mapToGlobal(QPoint(0, 0)), button.size())));
  QSignalSpy clicked(&button, &QPushButton::clicked);

  clickThroughWindow(button);

  EXPECT_EQ(clicked.count(), 1);
  EXPECT_FALSE(popup->isVisible());
  EXPECT_FALSE(button.isDown());
}

// A click inside the list still picks the folder it shows.
TEST_F(CompletionListClick, AClickOnAnEntryTakesItsFolder) {
  QAbstractItemView* popup = openCompletionList(*form->sourceFolderEdit, *form->sourceFolderBox);
  ASSERT_TRUE(popup->isVisible());
  const QRect entry = popup->visualRect(popup->model()->index(0, 0));
  ASSERT_FALSE(entry.isEmpty());
  QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                    popup->viewport()->mapTo(popup, entry.center()));
  EXPECT_EQ(form->sourceFolderEdit->text(), QString::fromStdString(tree.path() + "/work"));
  EXPECT_FALSE(popup->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, CompletionList,
    ::testing::Values(ClickCase{"SearchFromSourceBox", false, &MainWindow::searchButton},
                      ClickCase{"CopyFromSourceBox", false, &MainWindow::copyButton},
                      ClickCase{"SearchFromDestinationBox", true, &MainWindow::searchButton},
                      ClickCase{"CopyFromDestinationBox", true, &MainWindow::copyButton}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
