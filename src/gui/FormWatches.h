#pragma once

#include <QWidget>

#include "machine/MachineLinks.h"
#include "program/Watches.h"

class QAction;
class QListView;

namespace dorum::gui {

class TAppCore;
class TWatchModel;

// The watches window ("Zmienne"): every label of the program assembled
// last, in alphabetical order, with its address and the present content of
// its memory word, refreshed on the views' clock while a program runs.
class TFormWatches final : public QWidget {
  Q_OBJECT

 public:
  explicit TFormWatches(TAppCore& core, QWidget* parent = nullptr);
  ~TFormWatches() override;

  [[nodiscard]] QListView* List() const noexcept { return list_; }
  // The row as it is drawn: name and address, then the word.
  [[nodiscard]] QString RowText(int row) const;
  // "Odśwież": every visible row shows the memory as it is now.
  void RefreshWatches();
  // "Zatrzymaj przy zmianie": a run stops after a cycle that changed the
  // selected label's word (the condition is enabled if it is there already).
  // A run in progress goes on, and stops there.
  void StopOnChange();
  // The condition that watches the label's word for changes.
  [[nodiscard]] static QString ChangeCondition(const TWatch& watch, const TMachine& machine);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnRefresh(const TMachineChanges& changes);

  TAppCore& core_;
  TWatchModel* model_;
  QListView* list_;
  QAction* stopOnChange_;
  bool stale_ = false;
};

}  // namespace dorum::gui
