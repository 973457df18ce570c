#pragma once
// Desktop notifications over D-Bus (org.freedesktop.Notifications), without waiting for the
// answer.

#include "platform/desktop_notifier.h"

namespace nuvelo {

class QtDesktopNotifier : public DesktopNotifier {
 public:
  void notify(const std::string& summary, const std::string& body) override;
};

}  // namespace nuvelo
