#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>

#include "CoreText.h"
#include "RunCommand.h"
#include "ScriptRunner.h"
#include "TestCommand.h"

namespace {

constexpr const char* kUsage =
    "Maszyna Dorum - symulator maszyny cyfrowej, wersja tekstowa\n"
    "\n"
    "Użycie:\n"
    "  dorum-cli script [PLIK]   wykonuje polecenia z PLIKU (albo ze standardowego\n"
    "                            wejścia, gdy PLIK pominięto lub podano \"-\")\n"
    "  dorum-cli run PROGRAM [opcje]\n"
    "                            asembluje i wykonuje program, np. do oceniania\n"
    "                            (opcje i kody wyjścia: dorum-cli run --help)\n"
    "  dorum-cli test ZESTAW [ZGŁOSZENIE...]\n"
    "                            ocenia zgłoszenia zestawem przypadków testowych\n"
    "                            (format zestawu: dorum-cli test --help)\n"
    "  dorum-cli --help          ten opis\n"
    "\n"
    "Skrypt to tekst UTF-8, jedno polecenie w wierszu; wiersze puste i zaczynające\n"
    "się od # są pomijane. Polecenie, które się nie powiedzie, wypisuje jeden\n"
    "wiersz \"error: KOMUNIKAT\", a skrypt toczy się dalej. Listę poleceń wypisuje\n"
    "polecenie help.\n"
    "\n"
    "Kod wyjścia: 0 gdy żadne polecenie nie zawiodło, 1 w przeciwnym razie,\n"
    "2 gdy pliku nie da się odczytać.\n";

int RunScript(const QString& path) {
  QFile file;
  const bool fromStdin = path.isEmpty() || path == u"-";
  const QString name = fromStdin ? QStringLiteral("-") : path;
  const auto failed = [&](const char* what, int errorNumber) {
    const QString reason = dorum::FileErrorReason(file, errorNumber, dorum::TFileAccess::Read);
    std::cerr << "dorum-cli: " << what << ' ' << name.toStdString() << ": " << reason.toStdString()
              << '\n';
    return 2;
  };
  bool opened = false;
  errno = 0;
  if (fromStdin) {
    opened = file.open(stdin, QIODevice::ReadOnly);
  } else {
    file.setFileName(path);
    opened = file.open(QIODevice::ReadOnly);
  }
  if (!opened) return failed("Nie można odczytać pliku", errno);
  dorum::cli::TScriptRunner runner(std::cout);
  if (!fromStdin) runner.SetBaseDirectory(QFileInfo(path).absolutePath());
  int readError = 0;
  while (!file.atEnd()) {
    errno = 0;
    const QByteArray bytes = file.readLine();
    readError = errno;
    runner.RunLine(QString::fromUtf8(bytes));
    std::cout.flush();
  }
  if (file.error() != QFileDevice::NoError) return failed("Błąd odczytu pliku", readError);
  return runner.AnyFailed() ? 1 : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "run") {
    QStringList arguments;
    for (int i = 2; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    return dorum::cli::RunProgramCommand(arguments, std::cout, std::cerr);
  }
  if (command == "test") {
    // The cases run as child processes of this same executable.
    const QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.remove(0, 2);
    return dorum::cli::TestSuiteCommand(arguments, std::cout, std::cerr);
  }
  if (command == "script" && argc <= 3) {
    return RunScript(argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString());
  }
  std::cerr << kUsage;
  return 2;
}
