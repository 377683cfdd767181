#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "AppCore.h"
#include "AppSettings.h"
#include "FormMain.h"

namespace {

// Qt's own dialogs and buttons speak Polish, as the rest of the program
// does ("Tak", "Nie", "Anuluj").
void InstallPolishTranslations(QApplication& application) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const QLocale polish(QLocale::Polish, QLocale::Poland);
  QLocale::setDefault(polish);
  for (const char* name : {"qtbase", "qt"}) {
    auto* translator = new QTranslator(&application);
    if (translator->load(polish, QString::fromLatin1(name), QStringLiteral("_"), folder)) {
      QApplication::installTranslator(translator);
    } else {
      delete translator;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(dorum::gui::kApplicationTitle);
  QApplication::setApplicationDisplayName(dorum::gui::kApplicationTitle);
  QApplication::setDesktopFileName(QStringLiteral("maszyna-dorum"));
  InstallPolishTranslations(application);

  dorum::gui::TAppCore core;
  dorum::gui::TFormMain main(core);
  main.UseSettings(std::make_shared<dorum::gui::TAppSettings>());
  main.show();
  return QApplication::exec();
}
