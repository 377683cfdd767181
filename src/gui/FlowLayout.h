#pragma once

#include <QLayout>
#include <vector>

namespace dorum::gui {

// Lays its widgets out left to right and starts a new row where the next
// one would not fit, so a row of controls stays whole in a narrow window
// and takes one line in a wide one.
class TFlowLayout final : public QLayout {
 public:
  explicit TFlowLayout(QWidget* parent, int spacing);
  ~TFlowLayout() override;
  TFlowLayout(const TFlowLayout&) = delete;
  TFlowLayout& operator=(const TFlowLayout&) = delete;

  void addItem(QLayoutItem* item) override;
  [[nodiscard]] int count() const override;
  [[nodiscard]] QLayoutItem* itemAt(int index) const override;
  [[nodiscard]] QLayoutItem* takeAt(int index) override;
  [[nodiscard]] Qt::Orientations expandingDirections() const override;
  [[nodiscard]] bool hasHeightForWidth() const override { return true; }
  [[nodiscard]] int heightForWidth(int width) const override;
  [[nodiscard]] QSize minimumSize() const override;
  [[nodiscard]] QSize sizeHint() const override;
  void setGeometry(const QRect& rect) override;

 private:
  // Places the items (unless only measuring) and returns the height used.
  int Arrange(const QRect& rect, bool place) const;

  std::vector<QLayoutItem*> items_;  // owned, as every QLayout owns its items
  int spacing_;
};

}  // namespace dorum::gui
