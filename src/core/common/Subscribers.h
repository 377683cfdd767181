#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace dorum {

// Listeners of one kind, any number of them, each heard for as long as the
// subscription it was given lives. The list outlives its subscriptions:
// the session owns both sides and builds them in that order.
template <class TListener>
class TSubscribers {
 public:
  class TSubscription {
   public:
    TSubscription() = default;
    TSubscription(TSubscription&& other) noexcept
        : owner_(std::exchange(other.owner_, nullptr)), listener_(other.listener_) {}
    TSubscription& operator=(TSubscription&& other) noexcept {
      if (this != &other) {
        End();
        owner_ = std::exchange(other.owner_, nullptr);
        listener_ = other.listener_;
      }
      return *this;
    }
    TSubscription(const TSubscription&) = delete;
    TSubscription& operator=(const TSubscription&) = delete;
    ~TSubscription() { End(); }

    // The listener is heard no more.
    void End() noexcept {
      if (owner_ != nullptr) std::exchange(owner_, nullptr)->Remove(listener_);
    }
    [[nodiscard]] bool Active() const noexcept { return owner_ != nullptr; }

   private:
    friend class TSubscribers;
    TSubscription(TSubscribers* owner, TListener* listener) noexcept
        : owner_(owner), listener_(listener) {}
    TSubscribers* owner_ = nullptr;
    TListener* listener_ = nullptr;
  };

  TSubscribers() = default;
  TSubscribers(const TSubscribers&) = delete;
  TSubscribers& operator=(const TSubscribers&) = delete;

  [[nodiscard]] TSubscription Subscribe(TListener& listener) {
    listeners_.push_back(&listener);
    if (OnChange) OnChange();
    return TSubscription(this, &listener);
  }

  // Tells every listener, in the order they subscribed; nobody while muted.
  template <class TCall>
  void Tell(TCall&& call) const {
    if (muted_) return;
    for (TListener* listener : listeners_) call(*listener);
  }

  [[nodiscard]] bool Empty() const noexcept { return listeners_.empty(); }
  [[nodiscard]] std::size_t Count() const noexcept { return listeners_.size(); }
  [[nodiscard]] const std::vector<TListener*>& Listeners() const noexcept { return listeners_; }

  // A look back performs cycles again that nobody may hear of; returns
  // whether the list was muted before, for putting it back.
  bool Mute(bool muted) noexcept { return std::exchange(muted_, muted); }

  // Called after a listener came or went.
  std::function<void()> OnChange;

 private:
  void Remove(TListener* listener) noexcept {
    const auto found = std::find(listeners_.begin(), listeners_.end(), listener);
    if (found != listeners_.end()) listeners_.erase(found);
    if (OnChange) OnChange();
  }

  std::vector<TListener*> listeners_;
  bool muted_ = false;
};

}  // namespace dorum
