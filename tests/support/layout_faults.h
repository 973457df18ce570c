#pragma once
// Finds what a user would see as a broken window: a visible control covering a visible sibling
// or crowding one beside it, a caption wider or taller than its control, a control reaching
// outside its parent or crowding its edge.

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <string>
#include <vector>

namespace nuvelo::testing {

using LayoutFaults = std::vector<std::string>;

inline std::string nameOf(const QWidget* w) {
  const QString name = w->objectName();
  if (!name.isEmpty()) return name.toStdString();
  const QVariant text = w->property("text");
  return std::string(w->metaObject()->className()) + " \"" + text.toString().toStdString() + "\"";
}

inline std::string describe(QRect r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
         "x" + std::to_string(r.height());
}

inline std::string tooSmall(const QWidget* w, const char* what, int needed, int has) {
  return nameOf(w) + ": " + what + " needs " + std::to_string(needed) + " px, has " +
         std::to_string(has);
}

// Controls that draw their own parts: their children are Qt's, not the window's.
inline bool isLeafControl(const QWidget* w) {
  return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
         qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractButton*>(w) ||
         qobject_cast<const QLabel*>(w) || qobject_cast<const QTabBar*>(w) ||
         qobject_cast<const QProgressBar*>(w) || qobject_cast<const QMenuBar*>(w);
}

inline std::vector<QWidget*> visibleControlsIn(const QWidget* container) {
  std::vector<QWidget*> out;
  for (QObject* child : container->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (w && !w->isWindow() && w->isVisible()) out.push_back(w);
  }
  return out;
}

// A push button needs its caption plus the style's margins and frame. Fusion asks for at least
// 80 pixels for any button with text, a preference rather than a need, so the margins are
// taken from the style's size for no text at all.
inline int pushButtonNeed(const QPushButton* b) {
  QStyleOptionButton option;
  option.initFrom(b);
  option.features =
      b->autoDefault() ? QStyleOptionButton::AutoDefaultButton : QStyleOptionButton::None;
  const QFontMetrics fm = b->fontMetrics();
  const QSize text(fm.horizontalAdvance(b->text()), fm.height());
  return b->style()->sizeFromContents(QStyle::CT_PushButton, &option, text, b).width();
}

inline void checkButton(const QAbstractButton* b, LayoutFaults& faults) {
  if (b->text().isEmpty()) return;
  const auto* push = qobject_cast<const QPushButton*>(b);
  // Check boxes and radio buttons: indicator, spacing and caption, as the style sizes them.
  const int need = push ? pushButtonNeed(push) : b->sizeHint().width();
  if (need > b->width()) faults.push_back(tooSmall(b, "caption width", need, b->width()));
  const int frame = push ? 2 * b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
  const int height = b->fontMetrics().height() + frame;
  if (height > b->height()) faults.push_back(tooSmall(b, "caption height", height, b->height()));
}

inline void checkLabel(const QLabel* l, LayoutFaults& faults) {
  if (l->text().isEmpty() || l->textFormat() == Qt::RichText) return;
  const QStringList lines = l->text().split(QLatin1Char('\n'));
  const QFontMetrics fm = l->fontMetrics();
  const int edges = 2 * (l->frameWidth() + l->margin()) + std::max(l->indent(), 0);
  int width = 0;
  for (const QString& line : lines) width = std::max(width, fm.horizontalAdvance(line));
  if (!l->wordWrap() && width + edges > l->width())
    faults.push_back(tooSmall(l, "text width", width + edges, l->width()));
  const int height = fm.height() * static_cast<int>(lines.size()) + 2 * l->frameWidth();
  if (!l->wordWrap() && height > l->height())
    faults.push_back(tooSmall(l, "text height", height, l->height()));
}

inline QRect groupTitleRect(const QGroupBox* g) {
  if (g->title().isEmpty()) return {};
  QStyleOptionGroupBox option;
  option.initFrom(g);
  option.text = g->title();
  option.textAlignment = g->alignment();
  option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
  option.lineWidth = 1;
  return g->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, g);
}

inline void checkGroupTitle(const QGroupBox* g, LayoutFaults& faults) {
  const QRect label = groupTitleRect(g);
  if (!label.isNull() && label.right() >= g->width())
    faults.push_back(tooSmall(g, "title width", label.right() + 1, g->width()));
}

// A field draws its text from two pixels in and clips it at its right edge: the text is whole
// when it ends by that edge. (A line edit would like a pixel or two more for its cursor and
// scrolls that far when the cursor is at the end; the date picker's field at the design font is
// exactly as wide as its date, which is drawn whole.)
inline void checkDisplayedText(const QAbstractSpinBox* s, LayoutFaults& faults) {
  const QLineEdit* edit = s->findChild<const QLineEdit*>();
  if (!edit) return;
  const QMargins margins = edit->textMargins();
  const int need =
      edit->fontMetrics().horizontalAdvance(edit->text()) + margins.left() + margins.right() + 2;
  if (need > edit->width()) faults.push_back(tooSmall(s, "shown text width", need, edit->width()));
}

inline void checkCaption(const QWidget* w, LayoutFaults& faults) {
  if (const auto* b = qobject_cast<const QAbstractButton*>(w)) checkButton(b, faults);
  if (const auto* l = qobject_cast<const QLabel*>(w)) checkLabel(l, faults);
  if (const auto* g = qobject_cast<const QGroupBox*>(w)) checkGroupTitle(g, faults);
  if (const auto* s = qobject_cast<const QAbstractSpinBox*>(w)) checkDisplayedText(s, faults);
  if (const auto* t = qobject_cast<const QTabWidget*>(w)) {
    const int need = t->tabBar()->sizeHint().width();
    if (need > t->width()) faults.push_back(tooSmall(t, "tab captions width", need, t->width()));
  }
  if (const auto* m = qobject_cast<const QMenuBar*>(w)) {
    const int need = m->sizeHint().width();
    if (need > m->width()) faults.push_back(tooSmall(m, "menu titles width", need, m->width()));
  }
}

// The main window's results panel is one design pixel wider than the client area, so that its
// right frame line stays hidden behind the window's edge: a control that spans its parent from
// the left edge may reach past the right edge by that pixel, scaled and rounded (up to three at
// twice the design font).
constexpr int BandOverhang = 3;

inline bool liesInside(const QWidget* w) {
  const QRect area(QPoint(0, 0), w->parentWidget()->size());
  const QRect r = w->geometry();
  if (r.left() == 0 && r.right() >= area.right())
    return area.contains(r.adjusted(0, 0, -std::min(r.right() - area.right(), BandOverhang), 0));
  return area.contains(r);
}

// Neighbours side by side, and a control and its parent's edge, need a gap a user sees: the
// design keeps four pixels, which a larger font only widens.
constexpr int MinimumGap = 4;

inline bool sharesRows(QRect a, QRect b) {
  return a.top() <= b.bottom() && b.top() <= a.bottom();
}

// Where a control shows something: a left-aligned label of plain text ends with its last
// visible character (a trailing space separates it from what follows), any other control
// fills its rectangle.
inline QRect occupied(const QWidget* w) {
  const auto* l = qobject_cast<const QLabel*>(w);
  if (!l || l->wordWrap() || l->textFormat() == Qt::RichText || !(l->alignment() & Qt::AlignLeft) ||
      l->text().trimmed().isEmpty())
    return w->geometry();
  const QFontMetrics fm = l->fontMetrics();
  int width = 0;
  for (const QString& line : l->text().split(QLatin1Char('\n')))
    width = std::max(width, fm.horizontalAdvance(line.trimmed()));
  const int edges = 2 * (l->frameWidth() + l->margin()) + std::max(l->indent(), 0);
  QRect r = w->geometry();
  r.setWidth(std::min(r.width(), width + edges));
  return r;
}

// Two controls on the same rows that do not overlap but come closer than the gap. Labels side
// by side read as one line (a caption and its value) and may follow each other closely.
inline bool crowd(const QWidget* a, const QWidget* b) {
  const QRect ra = occupied(a);
  const QRect rb = occupied(b);
  const bool texts = qobject_cast<const QLabel*>(a) && qobject_cast<const QLabel*>(b);
  return !texts && sharesRows(ra, rb) && !ra.intersects(rb) &&
         ra.adjusted(-MinimumGap, 0, MinimumGap, 0).intersects(rb);
}

// A band (the client area, the menu bar, the results panel, the status bar) spans its parent's
// width and may lie flush against an edge; any other control keeps the gap from every edge.
inline void checkEdgeGaps(const QWidget* w, LayoutFaults& faults) {
  const QRect r = occupied(w);
  const QSize area = w->parentWidget()->size();
  const bool band = r.left() == 0 && r.right() >= area.width() - 1;
  const struct {
    const char* edge;
    int gap;
    bool exempt;
  } edges[] = {{"left", r.left(), band},
               {"right", area.width() - 1 - r.right(), band},
               {"top", r.top(), band && r.top() == 0},
               {"bottom", area.height() - 1 - r.bottom(), band && r.bottom() == area.height() - 1}};
  for (const auto& e : edges)
    if (!e.exempt && e.gap >= 0 && e.gap < MinimumGap)
      faults.push_back(nameOf(w) + " at " + describe(r) + " is " + std::to_string(e.gap) +
                       " px from the " + e.edge + " edge of " + nameOf(w->parentWidget()));
}

// The window and the plain containers on it hold the controls the program placed, which keep
// their gaps; other widgets (the status bar, a radio group) lay out their own parts, which may
// touch.
inline bool holdsPlacedControls(const QWidget* container) {
  const char* kind = container->metaObject()->className();
  return container->isWindow() || qstrcmp(kind, "QWidget") == 0 || qstrcmp(kind, "QFrame") == 0 ||
         qstrcmp(kind, "QGroupBox") == 0;
}

inline void collectLayoutFaults(const QWidget* container, LayoutFaults& faults);

inline void checkControl(const QWidget* w, LayoutFaults& faults) {
  if (!liesInside(w))
    faults.push_back(nameOf(w) + " at " + describe(w->geometry()) + " reaches outside " +
                     nameOf(w->parentWidget()) + " of " + describe(w->parentWidget()->rect()));
  if (holdsPlacedControls(w->parentWidget())) checkEdgeGaps(w, faults);
  checkCaption(w, faults);
  if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) {
    if (tabs->currentWidget()) collectLayoutFaults(tabs->currentWidget(), faults);
  } else if (!isLeafControl(w)) {
    collectLayoutFaults(w, faults);
  }
}

// Only siblings are compared: a control inside a container (a group box's check box, a label
// on a panel) is meant to lie on it. Hidden controls (a progress bar shown only during a run)
// are left out.
inline void collectLayoutFaults(const QWidget* container, LayoutFaults& faults) {
  const std::vector<QWidget*> controls = visibleControlsIn(container);
  const auto* group = qobject_cast<const QGroupBox*>(container);
  const QRect title = group ? groupTitleRect(group) : QRect();
  const bool placed = holdsPlacedControls(container);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (!title.isNull() && controls[i]->geometry().intersects(title))
      faults.push_back(nameOf(controls[i]) + " at " + describe(controls[i]->geometry()) +
                       " covers the title of " + nameOf(container) + " at " + describe(title));
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const QRect a = controls[i]->geometry();
      const QRect b = controls[j]->geometry();
      if (a.intersects(b) || (placed && crowd(controls[i], controls[j])))
        faults.push_back(nameOf(controls[i]) + " at " + describe(a) +
                         (a.intersects(b) ? " overlaps " : " crowds ") + nameOf(controls[j]) +
                         " at " + describe(b));
    }
    checkControl(controls[i], faults);
  }
}

inline LayoutFaults layoutFaults(const QWidget& window) {
  LayoutFaults faults;
  collectLayoutFaults(&window, faults);
  return faults;
}

}  // namespace nuvelo::testing
