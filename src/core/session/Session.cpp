#include "session/Session.h"

namespace dorum {

TSession::TSession(bool recordHistory) {
  control_.BuildDefaultInstructions();
  control_.SetStopConditions(&stopConditions_);
  RecordHistory(recordHistory);
}

// The history detaches itself from the machine and the control unit first.
TSession::~TSession() = default;

void TSession::RecordHistory(bool on, std::size_t budget) {
  if (on && !history_) history_ = std::make_unique<TRunHistory>(machine_, control_, budget);
  if (!on) history_.reset();
}

}  // namespace dorum
