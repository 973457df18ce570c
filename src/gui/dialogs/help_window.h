#pragma once
// Our help engine: a window that shows the program's help file (HTML).

#include <QPointer>
#include <QWidget>

#include "platform/help_viewer.h"

class QTextBrowser;

namespace nuvelo {

// Where a window of `size` goes beside the frame `owner` within the screen's `area`: to its
// right where there is room, else to its left; where neither side has room, to whichever of its
// right, left, bottom and top, kept on the screen, covers the least of it.
QPoint besideOwner(QRect owner, QSize size, QRect area);

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  void showFile(const QString& path);
  QTextBrowser* browser() const { return browser_; }
  // Places the window beside `owner` on its screen (besideOwner).
  void placeBeside(const QWidget& owner);

 protected:
  void keyPressEvent(QKeyEvent* event) override;  // Esc closes the window

 private:
  QTextBrowser* browser_;
};

class QtHelpViewer : public HelpViewer {
 public:
  bool showContents(const std::string& helpFile) override;
  HelpWindow* window() const { return window_; }
  // The window the help opens beside and belongs to (the main window, once it exists): it
  // closes with it and never keeps the program running alone.
  void setOwner(QWidget* owner) { owner_ = owner; }

 private:
  QPointer<HelpWindow> window_;
  QPointer<QWidget> owner_;
};

}  // namespace nuvelo
