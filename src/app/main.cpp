#include <QApplication>

#include "AppCore.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(dorum::gui::kApplicationTitle);
  dorum::gui::TAppCore core;
  return 0;
}
