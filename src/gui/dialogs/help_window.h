#pragma once
// Our help engine: a window that shows the program's help file (HTML).

#include <QPointer>
#include <QWidget>

#include "platform/help_viewer.h"

class QTextBrowser;

namespace nuvelo {

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  void showFile(const QString& path);
  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

class QtHelpViewer : public HelpViewer {
 public:
  void showContents(const std::string& helpFile) override;
  HelpWindow* window() const { return window_; }

 private:
  QPointer<HelpWindow> window_;
};

}  // namespace nuvelo
