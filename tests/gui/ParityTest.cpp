// The desktop's half of the two editions' parity: a student's session of
// actions performed through the desktop's windows, written down after each
// action as the page's half writes it (which commands are enabled, what the
// boxes said, what the registers show) and compared with the one
// transcript both halves must give (tests/parity/session.txt).
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "AppCore.h"
#include "FormCommandEditor.h"
#include "FormStopConditions.h"
#include "GuiTestSupport.h"
#include "SettingsDialog.h"
#include "SourceEditor.h"
#include "diagram/DiagramItems.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

const QString kExamples = QStringLiteral(DORUM_EXAMPLES_DIR);

QString ReadTranscript() {
  QFile file(QStringLiteral(DORUM_SOURCE_DIR "/tests/parity/session.txt"));
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("<no transcript>");
  return QString::fromUtf8(file.readAll());
}

// Accepts the modal dialog the next action opens, as "OK" does.
template <class TDialog, class TAccept>
void AcceptNextDialog(TAccept accept) {
  QTimer::singleShot(0, [accept] {
    if (auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget())) accept(*dialog);
  });
}

class ParityTest : public QObject {
  Q_OBJECT

 private:
  test::TDesktop app_{kExamples};
  QStringList transcript_;
  int errorsSeen_ = 0;
  int informationsSeen_ = 0;
  int questionsSeen_ = 0;

  // The editor the last action opened.
  QPointer<TFormCommandEditor> editor_;

  [[nodiscard]] TFormCommandEditor* Editor() const { return editor_.data(); }

  // After an action: what the page's half writes after the same action.
  void Note(const QString& action) {
    QCoreApplication::processEvents();
    transcript_.append(QStringLiteral("# ") + action);
    QStringList enabled;
    for (const TCommandRow& row : Commands())
      if (!row.PageName.empty() && app_.Core.Enabled(row.Id, true)) enabled.append(Q(row.PageName));
    transcript_.append(QStringLiteral("enabled: ") + enabled.join(u' '));
    transcript_.append(QStringLiteral("running: ") +
                       (!app_.Core.RunInProgress()  ? QStringLiteral("no")
                        : app_.Core.App().Waiting() ? QStringLiteral("waiting")
                                                    : QStringLiteral("yes")));
    for (; questionsSeen_ < app_.User.Questions.size(); ++questionsSeen_)
      transcript_.append(QStringLiteral("question: ") + app_.User.Questions[questionsSeen_]);
    for (; informationsSeen_ < app_.User.Informations.size(); ++informationsSeen_)
      transcript_.append(QStringLiteral("information: ") +
                         app_.User.Informations[informationsSeen_]);
    for (; errorsSeen_ < app_.User.Errors.size(); ++errorsSeen_)
      transcript_.append(QStringLiteral("error: ") + app_.User.Errors[errorsSeen_]);
    QStringList registers;
    const TMachine& machine = app_.Core.Machine();
    for (const TDiagramItem& item : DiagramItems())
      if (item.Kind == TItemKind::Register && ItemShown(machine, item))
        registers.append(Q(ItemText(machine, item)));
    transcript_.append(QStringLiteral("registers: ") + registers.join(QStringLiteral(" | ")));
  }

  void Example(const QString& list, const QString& program) {
    if (TFormCommandEditor* opened = app_.Main->OpenExample(
            list.isEmpty() ? QString() : kExamples + u'/' + list, kExamples + u'/' + program))
      editor_ = opened;
  }
  void Trigger(const char* action) { app_.Action(action)->trigger(); }
  void Compile() { Editor()->ActionCompile->trigger(); }
  void SetText(const QString& text) { Editor()->Memo()->setText(text); }

 private Q_SLOTS:
  void theDesktopGivesTheSessionsTranscript() {
    Example(QStringLiteral("ombra/ombra.lst"), QStringLiteral("ombra/echo.prg"));
    Note(QStringLiteral("example ombra/echo.prg"));
    Compile();
    Note(QStringLiteral("compile"));
    Trigger("ActionRunCycle");
    Note(QStringLiteral("F7"));
    Trigger("ActionRunProject");
    QVERIFY(QTest::qWaitFor([&] { return app_.Core.App().Waiting(); }, 20000));
    Note(QStringLiteral("F9"));
    AcceptNextDialog<TFormStopConditions>([](TFormStopConditions& d) { d.accept(); });
    Trigger("ActionStopConditions");
    Note(QStringLiteral("stop conditions, OK"));
    Trigger("ActionReset");
    Note(QStringLiteral("Ctrl+F2"));
    AcceptNextDialog<TFormSettings>([](TFormSettings& d) { d.Apply(); });
    Trigger("ActionProjectOptions");
    Note(QStringLiteral("options, OK"));
    SetText(QStringLiteral("POB nic\nSTP\n"));
    Compile();
    Note(QStringLiteral("compile POB nic"));
    app_.User.Answers.push_back(QMessageBox::Yes);
    Example({}, QStringLiteral("dorum/suma.prg"));
    Note(QStringLiteral("example dorum/suma.prg, Tak"));
    Compile();
    Note(QStringLiteral("compile"));
    Trigger("ActionRunCycle");
    Note(QStringLiteral("F7"));
    Trigger("ActionStepBackCycle");
    Note(QStringLiteral("Shift+F7"));
    editor_ = app_.Main->NewInstruction();
    SetText(QStringLiteral("ROZKAZ NIC;\nczyt wys wei il;\n"));
    Compile();
    Note(QStringLiteral("compile ROZKAZ NIC"));
    app_.User.FileNames.push_back(kExamples + QStringLiteral("/pelt/pelt.lst"));
    Trigger("ActionLoadList");
    Note(QStringLiteral("load list pelt.lst"));
    Example(QStringLiteral("pelt/pelt.lst"), QStringLiteral("pelt/podprogram.prg"));
    Note(QStringLiteral("example pelt/podprogram.prg"));

    const QString written = transcript_.join(u'\n') + u'\n';
    if (qEnvironmentVariableIsSet("DORUM_WRITE_PARITY")) {
      QFile out(QString::fromLocal8Bit(qgetenv("DORUM_WRITE_PARITY")));
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(written.toUtf8());
    }
    QCOMPARE(written, ReadTranscript());
  }
};

}  // namespace

QTEST_MAIN(ParityTest)
#include "ParityTest.moc"
