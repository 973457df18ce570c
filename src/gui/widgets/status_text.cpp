#include "gui/widgets/status_text.h"

#include "gui/widgets/status_bar.h"

namespace nuvelo {

StatusText::StatusText(StatusBar& bar, int panel) : bar_(bar), panel_(panel) {
  clock_.start();
}

bool StatusText::due() {
  return limit_.due(clock_.elapsed());
}

void StatusText::show(const QString& text) {
  bar_.setPanelText(panel_, text);
}

}  // namespace nuvelo
