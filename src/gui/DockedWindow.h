#pragma once

#include <QDockWidget>
#include <QToolButton>
#include <functional>

namespace dorum::gui {

// The frame of a window that can float on its own or sit as a tab of the
// editor container: its title follows the window's caption, and its close
// box either hides it (the permanent windows, brought back by their view
// commands) or asks the window whether it may go and then destroys it (the
// source editors).
class TDockedWindow final : public QDockWidget {
  Q_OBJECT

 public:
  // A window that may refuse to close (a modified source asks first).
  using TCloseQuery = std::function<bool()>;

  explicit TDockedWindow(QWidget* content, QWidget* parent = nullptr);
  ~TDockedWindow() override;

  [[nodiscard]] QWidget* Content() const noexcept { return content_; }
  // Source editors are destroyed when closed; the close query may refuse.
  void SetDisposable(TCloseQuery closeQuery);
  [[nodiscard]] bool Disposable() const noexcept { return static_cast<bool>(closeQuery_); }
  // Asks the window whether it may close (always yes for permanent ones).
  [[nodiscard]] bool MayClose() const { return !closeQuery_ || closeQuery_(); }
  // Out of the container: floating alone, or in a floating group of tabs
  // that was dragged out by its title bar.
  [[nodiscard]] bool Detached() const;

 Q_SIGNALS:
  // The user asked a floating window to go back into the container.
  void DockRequested(dorum::gui::TDockedWindow* window);
  // A disposable window agreed to close and is about to be destroyed.
  void Disposing(dorum::gui::TDockedWindow* window);
  // The frame is being destroyed (still whole when this is emitted).
  void Leaving(dorum::gui::TDockedWindow* window);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildTitleBar();
  void ShowFrameMenu(const QPoint& globalAt);
  void ShowDockState();

  QWidget* content_;
  QToolButton* dockButton_ = nullptr;
  TCloseQuery closeQuery_;
};

}  // namespace dorum::gui
