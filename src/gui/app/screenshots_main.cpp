// Renders each window of the program to a PNG file, so anyone can look at what a user sees.
// Usage: nuvelo-screenshots OUTPUT_FOLDER [FONT_SCALE] (run with QT_QPA_PLATFORM=offscreen on a
// headless machine); FONT_SCALE renders the windows with the design font that many times larger.
// The sample files and settings lie in /tmp/nuvelo-screenshots for the run, so that the
// pictures that show their paths come out the same at every run; the folder is removed after.

#include <QApplication>
#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextStream>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/copy/copy_errors.h"
#include "engine/copy/copy_run.h"
#include "gui/app/application.h"
#include "gui/app/desktop_services.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/dialogs/detail_settings_dialog.h"
#include "gui/dialogs/help_window.h"
#include "gui/dialogs/properties_dialog.h"
#include "gui/dialogs/run_log_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/design_scale.h"
#include "messages/copy_messages.h"

namespace {

const QString SampleFolder = QStringLiteral("/tmp/nuvelo-screenshots");

// The folder of the run's sample files, made afresh (one left by a run that was stopped is
// removed first) and removed with the object. A symbolic link or another user's entry at its
// path is left alone, and the run stops.
class SampleFolderOfTheRun {
 public:
  SampleFolderOfTheRun() {
    const QByteArray path = QFile::encodeName(SampleFolder);
    struct stat entry {};
    if (lstat(path.constData(), &entry) == 0) {
      if (!S_ISDIR(entry.st_mode) || entry.st_uid != geteuid()) return;
      QDir(SampleFolder).removeRecursively();
    }
    made_ = mkdir(path.constData(), 0700) == 0;
  }
  ~SampleFolderOfTheRun() {
    if (made_) QDir(SampleFolder).removeRecursively();
  }
  SampleFolderOfTheRun(const SampleFolderOfTheRun&) = delete;
  SampleFolderOfTheRun& operator=(const SampleFolderOfTheRun&) = delete;

  bool made() const { return made_; }
  QString filePath(const QString& name) const { return SampleFolder + "/" + name; }
  QString path() const { return SampleFolder; }

 private:
  bool made_ = false;
};

// A week of evening backups as the run log holds them, oldest first: fixed times and paths.
std::vector<nuvelo::RunLogEntry> sampleRuns() {
  struct Run {
    const char* start;
    const char* job;
    std::uint64_t copied, failed;
    int status;
  };
  const Run runs[] = {
      {"2026-11-30T21:00:04+09:00", "", 1284, 0, 0},
      {"2026-12-01T21:00:03+09:00", "/home/user/jobs/documents.dat", 42, 0, 0},
      {"2026-12-02T21:00:05+09:00", "/home/user/jobs/documents.dat", 17, 3, 1},
      {"2026-12-03T12:41:27+09:00", "", 5, 0, 130},
      {"2026-12-03T21:00:04+09:00", "/home/user/jobs/documents.dat", 3, 0, 0},
      {"2026-12-04T21:00:02+09:00", "/home/user/jobs/写真.dat", 236, 0, 0},
  };
  std::vector<nuvelo::RunLogEntry> entries;
  for (const Run& run : runs) {
    nuvelo::RunLogEntry e;
    e.start = e.end = run.start;
    e.from = *run.job ? "cli" : "window";
    e.job = run.job;
    e.source = "/home/user/Documents";
    e.destination = "/media/backup";
    e.copied = run.copied;
    e.failed = run.failed;
    e.exitStatus = run.status;
    entries.push_back(e);
  }
  return entries;
}

// The window as shown: the events its showing posted (layout requests, polish, show and resize
// events) are delivered, and grab() lays it out and paints it; no other event runs meanwhile.
bool save(QWidget& window, const QString& folder, const QString& name) {
  window.show();
  QCoreApplication::sendPostedEvents();
  const QString path = QDir(folder).filePath(name);
  const bool saved = window.grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

void writeSample(const QString& path, int bytes, const QDateTime& modified) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(QByteArray(bytes, 'x'));
  file.flush();  // written now, so closing does not touch the time again
  file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// A small source tree of a week's work, and older files the search leaves out.
QString sampleTree(const SampleFolderOfTheRun& dir) {
  const QString root = dir.filePath(QStringLiteral("Documents"));
  const QDateTime recent(QDate(2026, 12, 3), QTime(14, 25, 7));
  const QDateTime old(QDate(2025, 6, 1), QTime(9, 0));
  writeSample(root + "/見積書.pdf", 182000, recent);
  writeSample(root + "/notes.txt", 3300, recent.addDays(1));
  writeSample(root + "/photos/sea.jpg", 2400000, recent.addDays(-1));
  writeSample(root + "/photos/old.jpg", 1900000, old);
  writeSample(root + "/report/draft.odt", 45000, recent.addDays(2));
  writeSample(root + "/report/data.csv", 9100, recent.addSecs(3600));
  writeSample(root + "/archive/2024.zip", 5000000, old);
  return root;
}

// The lines of the failed files of a run onto an exFAT drive, as the copy writes them.
QStringList failedOnExfat() {
  using nuvelo::CopyError;
  const auto failed = [](const char* source, nuvelo::CopyFailure failure) {
    nuvelo::EntryReport report;
    report.source = source;
    report.failure = std::move(failure);
    return QString::fromStdString(nuvelo::failedFileLineText(report));
  };
  return {
      failed("/home/user/docs/what?.txt",
             {make_error_code(CopyError::UnusableName),
              nuvelo::NameRefusal{nuvelo::NameRefusal::Why::RefusedCharacter, '?'}}),
      failed("/home/user/docs/B.txt", {make_error_code(CopyError::NameClash),
                                       nuvelo::NameClash{"exFAT", "/home/user/docs/b.txt", true}}),
      failed("/home/user/film.mkv", {make_error_code(CopyError::TooLarge), {}})};
}

QString sampleSettings(const SampleFolderOfTheRun& dir) {
  const QString path = dir.filePath(QStringLiteral("NVO.ini"));
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    QTextStream(&file) << "[Default]\nFrom=/home/user/Documents\nTo=/media/backup/Documents\n"
                          "LastCopyDate=2026/11/30\n[Option]\nEscExt=bak,tmp\n"
                          // The sample tree is made just now, so every change time is today: the
                          // search shows the selection by last-write times.
                          "ChangeTime=0\n";
  }
  return path;
}

QFont scaledFont(double scale) {
  QFont font = nuvelo::designFont();
  font.setPixelSize(qRound(font.pixelSize() * scale));
  return font;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  nuvelo::configureApplication(app);
  nuvelo::applyProgramFont(app);  // the same pictures on every machine
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(folder);
  if (argc > 2) app.setFont(scaledFont(QString::fromLocal8Bit(argv[2]).toDouble()));

  const SampleFolderOfTheRun dir;
  if (!dir.made()) {
    std::fprintf(stderr, "could not make %s afresh: remove it\n", qPrintable(SampleFolder));
    return 1;
  }
  nuvelo::DesktopServices desktop;
  nuvelo::MainWindow form(desktop.services(), sampleSettings(dir).toStdString(),
                          dir.path().toStdString());
  form.move(0, 0);
  bool saved = save(form, folder, QStringLiteral("main-window.png"));

  form.sourceFolderEdit->setText(sampleTree(dir));
  form.sinceDatePicker->setDate(QDate(2026, 11, 30));
  form.resize(640, 480);
  {
    // The search runs as a job: its rows are there once it has ended.
    QEventLoop searched;
    QObject::connect(&form, &nuvelo::MainWindow::runEnded, &searched, &QEventLoop::quit);
    form.onSearch();
    if (form.running()) searched.exec();
  }
  saved = save(form, folder, QStringLiteral("main-window-search.png")) && saved;

  nuvelo::PropertiesDialog properties(form.rowFullPath(form.resultModel()->rows().front()));
  saved = save(properties, folder, QStringLiteral("properties.png")) && saved;
  properties.hide();

  nuvelo::DetailOptions detail = form.detailOptions();
  detail.search.changeTime = true;  // as a user's settings have it
  detail.search.excludedNames = {"node_modules", "~$*", "*.tmp", "Thumbs.db", ".DS_Store"};
  form.detailSettingsDialog->load(detail);
  form.detailSettingsDialog->pages->setCurrentIndex(0);
  saved =
      save(*form.detailSettingsDialog, folder, QStringLiteral("detail-settings-1.png")) && saved;
  form.detailSettingsDialog->pages->setCurrentIndex(1);
  saved =
      save(*form.detailSettingsDialog, folder, QStringLiteral("detail-settings-2.png")) && saved;
  form.detailSettingsDialog->pages->setCurrentIndex(2);
  saved =
      save(*form.detailSettingsDialog, folder, QStringLiteral("detail-settings-3.png")) && saved;
  form.detailSettingsDialog->hide();

  // The user of the sample paths (/home/user), whoever renders the pictures.
  nuvelo::AboutBox about(nuvelo::programVersion(), std::string("user"), desktop.shell, &form);
  saved = save(about, folder, QStringLiteral("about-box.png")) && saved;
  about.hide();

  nuvelo::HelpWindow helpWindow;
  helpWindow.showFile(QStringLiteral(NUVELO_SOURCE_DIR "/data/nuvelo.HLP"));
  saved = save(helpWindow, folder, QStringLiteral("help.png")) && saved;
  helpWindow.hide();

  form.copyNotice->showDestination(QStringLiteral("/media/backup/Documents"));
  saved = save(*form.copyNotice, folder, QStringLiteral("copy-notice.png")) && saved;
  form.copyNotice->hide();
  {
    // A destination on a USB drive: the notice offers its removal.
    nuvelo::CopyNotice onUsbDrive(desktop.boxes, desktop.shell, desktop.dialogs, desktop.drives,
                                  &form);
    onUsbDrive.showDestination(QStringLiteral("/media/user/BACKUP/Documents"));
    onUsbDrive.offerRemoval(nuvelo::RemovableDrive{"/org/freedesktop/UDisks2/block_devices/sdb1",
                                                   "/org/freedesktop/UDisks2/drives/Stick"});
    saved = save(onUsbDrive, folder, QStringLiteral("copy-notice-removable.png")) && saved;
  }
  // A run onto an exFAT drive in which some files failed.
  nuvelo::CopyRunResult onExfat;
  onExfat.counts = {1284, 37, 3};
  onExfat.failedSources = {"/home/user/docs/what?.txt", "/home/user/docs/B.txt",
                           "/home/user/film.mkv"};
  onExfat.attributesNote = nuvelo::AttributesNote{"exFAT"};
  form.copyNotice->showNotes(onExfat, failedOnExfat(), 3);  // the three wait for the next copy
  saved = save(*form.copyNotice, folder, QStringLiteral("copy-notice-failures.png")) && saved;
  form.copyNotice->hide();

  nuvelo::RunLogDialog runLog(sampleRuns(), &form);
  saved = save(runLog, folder, QStringLiteral("run-log.png")) && saved;
  runLog.hide();
  return saved ? 0 : 1;
}
