#pragma once

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "AppCore.h"
#include "Examples.h"
#include "FormMain.h"
#include "UserInterface.h"

namespace dorum::gui::test {

// Stands in for the user in front of the application's dialogs: records
// what the boxes said and answers the questions from prepared queues.
struct TDialogScript {
  QStringList Errors;
  QStringList Informations;
  QStringList Questions;
  std::deque<std::optional<QString>> TextAnswers;   // empty: cancel
  std::deque<QMessageBox::StandardButton> Answers;  // empty: Cancel
  std::deque<std::optional<QString>> FileNames;     // empty: cancel
  QStringList Prompts;                              // "title|prompt|text" of every input box
  int FileDialogs = 0;                              // how many file dialogs were shown
  QStringList FileDialogStarts;                     // the folder or file each began at

  void Install(TUserDialogs& dialogs) {
    dialogs.ShowError = [this](QWidget*, const QString& text) { Errors.append(text); };
    dialogs.ShowInformation = [this](QWidget*, const QString& text) { Informations.append(text); };
    dialogs.AskText = [this](QWidget*, const QString& title, const QString& prompt,
                             const QString& text) -> std::optional<QString> {
      Prompts.append(title + u'|' + prompt + u'|' + text);
      if (TextAnswers.empty()) return std::nullopt;
      auto answer = TextAnswers.front();
      TextAnswers.pop_front();
      return answer;
    };
    dialogs.Ask = [this](QWidget*, const QString& text, QMessageBox::StandardButtons) {
      Questions.append(text);
      if (Answers.empty()) return QMessageBox::Cancel;
      const auto answer = Answers.front();
      Answers.pop_front();
      return answer;
    };
    const auto file = [this](QWidget*, const QString&, const QString& folderOrFile,
                             const QString&) -> std::optional<QString> {
      ++FileDialogs;
      FileDialogStarts.append(folderOrFile);
      if (FileNames.empty()) return std::nullopt;
      auto name = FileNames.front();
      FileNames.pop_front();
      return name;
    };
    dialogs.OpenFileName = file;
    dialogs.SaveFileName = file;
  }
};

// The application as it starts: its core with a script answering the
// dialogs, and the main window, shown and arranged.
struct TApplication {
  TAppCore Core;
  TDialogScript User;
  std::unique_ptr<TFormMain> Main;

  // `examples`: the folder the examples are taken from.
  explicit TApplication(const QString& examples = ExamplesFolder()) {
    User.Install(Core.Dialogs());
    Main = std::make_unique<TFormMain>(Core, nullptr, examples);
    Main->show();
    Main->ArrangeWindows();
    QCoreApplication::processEvents();
  }
  ~TApplication() { Main.reset(); }
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  [[nodiscard]] QAction* Action(const char* name) const {
    return Main->Action(QString::fromLatin1(name));
  }
  [[nodiscard]] TFormEditor& Container() const { return Main->Container(); }
  [[nodiscard]] TDockedWindow* FrameOf(QWidget* w) const { return Main->FrameOf(w); }
};

// A file's bytes as they are on the disk ("<none>" without the file).
inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<none>";
  return file.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// Types a text as key presses, letters of any script included.
inline void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

// Runs a step of a test's preparation that may raise (loading a list):
// false, with the message in the test's log, instead of an exception that
// would end the whole test program.
[[nodiscard]] inline bool Succeeds(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const EDorumError& e) {
    qWarning("%s", qPrintable(e.Message()));
  } catch (const std::exception& e) {
    qWarning("%s", e.what());
  }
  return false;
}

// Lets the event loop advance the run in progress until it has ended, as
// the application does; false when it has not ended within the time.
[[nodiscard]] inline bool WaitForRunEnd(const TAppCore& core, int ms = 20000) {
  return QTest::qWaitFor([&] { return !core.RunInProgress(); }, ms);
}

}  // namespace dorum::gui::test
