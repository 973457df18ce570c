#pragma once
// A window that closes differently for a termination signal than for its close box: no one may
// be there to answer a box.

namespace nuvelo {

class SignalClosable {
 public:
  virtual ~SignalClosable() = default;
  virtual void closeForSignal() = 0;
};

}  // namespace nuvelo
