#pragma once
// Changes some of the main window's detail settings, as an accepted dialog would, but without
// writing the settings file.

#include "gui/main_window/main_window.h"

namespace nuvelo::testing {

template <class Edit>
void editDetailOptions(MainWindow& form, Edit edit) {
  DetailOptions settings = form.detailOptions();
  edit(settings);
  form.setDetailOptions(settings);
}

}  // namespace nuvelo::testing
