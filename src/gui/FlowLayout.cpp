#include "FlowLayout.h"

#include <QWidget>
#include <algorithm>

namespace dorum::gui {

TFlowLayout::TFlowLayout(QWidget* parent, int spacing) : QLayout(parent), spacing_(spacing) {}

TFlowLayout::~TFlowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void TFlowLayout::addItem(QLayoutItem* item) {
  items_.push_back(item);
}

int TFlowLayout::count() const {
  return static_cast<int>(items_.size());
}

QLayoutItem* TFlowLayout::itemAt(int index) const {
  if (index < 0 || index >= count()) return nullptr;
  return items_[static_cast<std::size_t>(index)];
}

QLayoutItem* TFlowLayout::takeAt(int index) {
  if (index < 0 || index >= count()) return nullptr;
  QLayoutItem* item = items_[static_cast<std::size_t>(index)];
  items_.erase(items_.begin() + index);
  return item;
}

Qt::Orientations TFlowLayout::expandingDirections() const {
  return {};
}

int TFlowLayout::heightForWidth(int width) const {
  return Arrange(QRect(0, 0, width, 0), false);
}

QSize TFlowLayout::minimumSize() const {
  // As narrow as the widest item: every other item can move to a row of its own.
  QSize size;
  for (const QLayoutItem* item : items_) {
    if (!item->isEmpty()) size = size.expandedTo(item->minimumSize());
  }
  const QMargins m = contentsMargins();
  return size.grownBy(m);
}

QSize TFlowLayout::sizeHint() const {
  int width = 0;
  int height = 0;
  for (const QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    width += (width > 0 ? spacing_ : 0) + item->sizeHint().width();
    height = std::max(height, item->sizeHint().height());
  }
  return QSize(width, height).grownBy(contentsMargins());
}

void TFlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  Arrange(rect, true);
}

int TFlowLayout::Arrange(const QRect& rect, bool place) const {
  const QRect area = rect.marginsRemoved(contentsMargins());
  std::vector<std::pair<QLayoutItem*, QRect>> row;
  int y = area.y();
  int rowHeight = 0;
  // The items of a row share its middle line.
  const auto endRow = [&] {
    if (place) {
      for (auto& [item, box] : row) {
        box.moveTop(y + (rowHeight - box.height()) / 2);
        item->setGeometry(box);
      }
    }
    row.clear();
  };
  int x = area.x();
  for (QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    const QSize size = item->sizeHint().boundedTo(QSize(area.width(), QWIDGETSIZE_MAX));
    if (x > area.x() && x + size.width() > area.right() + 1) {
      endRow();
      x = area.x();
      y += rowHeight + spacing_;
      rowHeight = 0;
    }
    row.emplace_back(item, QRect(QPoint(x, y), size));
    x += size.width() + spacing_;
    rowHeight = std::max(rowHeight, size.height());
  }
  endRow();
  return y + rowHeight - rect.y() + contentsMargins().bottom();
}

}  // namespace dorum::gui
