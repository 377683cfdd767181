#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QListWidget;

namespace dorum::gui {

// The name a window gets: the designed one, or that name with "_1", "_2",
// ... appended, the first that no other window has.
[[nodiscard]] QString UniqueWindowName(const QString& designed,
                                       const std::vector<QWidget*>& existing);

// The window list ("Lista okien"): the application's floating windows by
// caption; the one chosen comes to the front.
class TFormWindowList final : public QDialog {
  Q_OBJECT

 public:
  // The candidates in their order of creation (the main window left out).
  explicit TFormWindowList(const std::vector<QWidget*>& windows, QWidget* parent = nullptr);

  [[nodiscard]] QListWidget* List() const noexcept { return list_; }
  // The entries as shown: the captions, sorted.
  [[nodiscard]] QStringList Captions() const;
  // "OK" and a double click: closes the dialog and brings the selected
  // window up (nothing when the list is empty).
  void ActivateSelected();

 private:
  QListWidget* list_;
  std::vector<QWidget*> windows_;
};

}  // namespace dorum::gui
