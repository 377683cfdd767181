#include <gtest/gtest.h>

#include <set>
#include <string>

#include "diagram/DiagramItems.h"
#include "machine/Machine.h"

using namespace dorum;

namespace {

int CountOf(TItemKind kind, int id) {
  int count = 0;
  for (const TDiagramItem& item : DiagramItems()) count += item.Kind == kind && item.Id == id;
  return count;
}

}  // namespace

// Every front end draws, hit-tests and names the diagram from this table.
TEST(DiagramItems, EveryItemStandsInsideTheDiagramUnderANameOfItsOwn) {
  std::set<std::string> names;
  for (const TDiagramItem& item : DiagramItems()) {
    SCOPED_TRACE(item.Name);
    EXPECT_GE(item.Box.X, 0);
    EXPECT_GE(item.Box.Y, 0);
    EXPECT_GT(item.Box.Width, 0);
    EXPECT_GT(item.Box.Height, 0);
    EXPECT_LE(item.Box.X + item.Box.Width, kDiagramWidth);
    EXPECT_LE(item.Box.Y + item.Box.Height, kDiagramHeight);
    EXPECT_TRUE(names.insert(item.Name).second) << "named twice";
  }
}

TEST(DiagramItems, EveryRegisterAndBusIsDrawnOnceAndEverySignalHasItsCaption) {
  for (int r = 0; r < kRegisterCount; ++r) EXPECT_EQ(CountOf(TItemKind::Register, r), 1) << r;
  for (int b = 0; b < kBusCount; ++b) EXPECT_EQ(CountOf(TItemKind::Bus, b), 1) << b;
  EXPECT_EQ(CountOf(TItemKind::Memory, 0), 1);
  EXPECT_EQ(CountOf(TItemKind::Alu, 0), 1);
  for (const TDiagramItem& item : DiagramItems()) {
    // A wire belongs to a signal the diagram names.
    if (item.Kind == TItemKind::Wire) {
      EXPECT_EQ(CountOf(TItemKind::Signal, item.Id), 1) << item.Name;
    }
  }
}
