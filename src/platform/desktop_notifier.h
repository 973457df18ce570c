#pragma once
// The desktop's notifications: a short message in the desktop's corner when a long run ends
// while the user is in another window.

#include <string>

namespace nuvelo {

class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  // Shows the notification, if the desktop has a notification service; failures are silent.
  virtual void notify(const std::string& summary, const std::string& body) = 0;
};

}  // namespace nuvelo
