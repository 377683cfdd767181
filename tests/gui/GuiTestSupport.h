#pragma once

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QTest>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>

#include "AppCore.h"
#include "AppSettings.h"
#include "CoreText.h"
#include "Examples.h"
#include "FormMachine.h"
#include "FormMain.h"
#include "MachineDiagram.h"
#include "UserInterface.h"

namespace dorum::gui::test {

// An endless loop over the built-in instructions: "suma" changes in every
// pass, "jeden" never.
inline const QStringList kEndlessLoop{QStringLiteral("start: DOD jeden"),
                                      QStringLiteral("       ŁAD suma"),
                                      QStringLiteral("       SOB start"),
                                      QStringLiteral("jeden: RST 1"), QStringLiteral("suma:  RPA")};

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
struct TDesktop {
  TAppCore Core;
  TDialogScript User;
  std::unique_ptr<TFormMain> Main;

  // `examples`: the folder the examples are taken from; `settings`: the
  // file the application remembers its settings in (none: it remembers
  // nothing).
  explicit TDesktop(const QString& examples = ExamplesFolder(),
                    const QString& settings = QString()) {
    User.Install(Core.Dialogs());
    Main = std::make_unique<TFormMain>(Core, nullptr, examples);
    if (!settings.isEmpty()) Main->UseSettings(std::make_shared<TAppSettings>(settings));
    Main->show();
    Main->ArrangeWindows();
    QCoreApplication::processEvents();
  }
  ~TDesktop() { Main.reset(); }
  TDesktop(const TDesktop&) = delete;
  TDesktop& operator=(const TDesktop&) = delete;

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
    qWarning("%s", e.Message().c_str());
  } catch (const std::exception& e) {
    qWarning("%s", e.what());
  }
  return false;
}

// The message a step raises, or nothing when it succeeds.
[[nodiscard]] inline QString MessageOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const EDorumError& e) {
    return Q(e.Message());
  }
  return {};
}

// How a refusal of the system is told: the Polish cause, then the system's
// own text for errorNumber in the locale the test runs in.
[[nodiscard]] inline QString SystemReason(const char* polish, int errorNumber) {
  return QStringLiteral("%1 (%2)").arg(
      QString::fromUtf8(polish),
      QString::fromLocal8Bit(std::generic_category().message(errorNumber)));
}

// Lets the event loop advance the run in progress until it has ended, as
// the application does; false when it has not ended within the time.
[[nodiscard]] inline bool WaitForRunEnd(const TAppCore& core, int ms = 20000) {
  return QTest::qWaitFor([&] { return !core.RunInProgress(); }, ms);
}

// What the window system shows of a widget: its part of its window's
// backing store, as the paints so far left it. QWidget::grab would paint
// the widget afresh and so never show a part left stale. A null image when
// the window shows nothing yet.
[[nodiscard]] inline QImage OnScreen(QWidget& widget) {
  // The refresh asked for, and the paints it asks for in turn.
  for (int turn = 0; turn < 3; ++turn) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
  }
  QWidget* window = widget.window();
  const QPoint at = widget.mapTo(window, QPoint(0, 0));
  const QPixmap shown = window->screen()->grabWindow(window->winId(), at.x(), at.y(),
                                                     widget.width(), widget.height());
  if (shown.isNull() || shown.size() != widget.size()) return {};
  return shown.toImage().convertToFormat(QImage::Format_RGB32);
}

// Where the machine window as it is shown differs from the same window
// brought up to date and painted whole: the diagram's items and the
// window's controls over the differing pixels ("A", "RunStatus"); empty
// when the two pictures are equal pixel for pixel, or the window is hidden.
[[nodiscard]] inline QString StaleParts(TFormMachine& form) {
  if (!form.isVisible()) return {};
  const QImage shown = OnScreen(form);
  form.RefreshAll();
  form.repaint();
  const QImage whole = OnScreen(form);
  if (shown.isNull() || whole.isNull()) return {};
  if (shown.size() != whole.size()) return QStringLiteral("the window's size");
  // An antialiased edge that the clip of a partial repaint cuts may come out
  // a shade apart from the whole repaint (one level in 255 has been seen);
  // anything left stale differs by far more.
  constexpr int kShade = 8;
  const auto apart = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) > kShade || std::abs(qGreen(a) - qGreen(b)) > kShade ||
           std::abs(qBlue(a) - qBlue(b)) > kShade;
  };
  QRect stale;
  for (int y = 0; y < shown.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(whole.constScanLine(y));
    for (int x = 0; x < shown.width(); ++x) {
      if (apart(a[x], b[x])) stale |= QRect(x, y, 1, 1);
    }
  }
  if (stale.isEmpty()) return {};
  // Both pictures, for a look at what differs.
  if (const QString folder = qEnvironmentVariable("DORUM_STALE_PICTURES"); !folder.isEmpty()) {
    shown.save(folder + QStringLiteral("/shown.png"));
    whole.save(folder + QStringLiteral("/whole.png"));
  }
  QStringList parts;
  const TMachineDiagram& diagram = form.Diagram();
  const QPoint origin = diagram.mapTo(&form, QPoint(0, 0));
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind != TItemKind::Wire && diagram.Shows(item) &&
        diagram.WidgetRect(item.Box).translated(origin).intersects(stale))
      parts.append(diagram.TextOf(item));
  }
  for (const QWidget* child : form.findChildren<QWidget*>()) {
    if (child != &diagram && child->isVisible() && !child->objectName().isEmpty() &&
        QRect(child->mapTo(&form, QPoint(0, 0)), child->size()).intersects(stale))
      parts.append(child->objectName());
  }
  return QStringLiteral("stale in (%1,%2 %3x%4): %5")
      .arg(stale.x())
      .arg(stale.y())
      .arg(stale.width())
      .arg(stale.height())
      .arg(parts.join(QStringLiteral(", ")));
}

}  // namespace dorum::gui::test
