// The source editors as the user meets them: files read and saved, the close
// question, compiling with the caret put on an error, searching and
// replacing, the editor's own keys, the status bar and the check as you type.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "AppCore.h"
#include "CoreText.h"
#include "FindDialogs.h"
#include "FormCommandEditor.h"
#include "FormProgramEditor.h"
#include "GuiTestSupport.h"
#include "SourceEditor.h"
#include "SourceLexers.h"
#include "common/Text.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

QString Panel(const TFormCommandEditor& editor, int index) {
  return editor.StatusBar()->findChildren<QLabel*>().at(index)->text();
}

const QStringList kDod = {"ROZKAZ DODAJ;", "czyt wys wei il;", "wyad wea;",
                          "czyt wys weja dod weak wyl wea;"};

}  // namespace

class EditorTest : public QObject {
  Q_OBJECT

  TAppCore* core_ = nullptr;
  test::TDialogScript* user_ = nullptr;
  QTemporaryDir* dir_ = nullptr;

  [[nodiscard]] QString Path(const QString& name) const { return dir_->filePath(name); }

 private Q_SLOTS:
  void init() {
    core_ = new TAppCore;
    user_ = new test::TDialogScript;
    user_->Install(core_->Dialogs());
    dir_ = new QTemporaryDir;
  }
  void cleanup() {
    delete dir_;
    delete user_;
    delete core_;
  }

  void newEditorsAreNamedAndSaveThroughTheDialogOnce() {
    TFormCommandEditor instruction(*core_);
    TFormProgramEditor program(*core_);
    QCOMPARE(instruction.windowTitle(), QStringLiteral("Noname.rzk"));
    QCOMPARE(program.windowTitle(), QStringLiteral("Noname.prg"));
    QCOMPARE(instruction.objectName(), QStringLiteral("FormCommandEditor"));
    QCOMPARE(program.objectName(), QStringLiteral("FormProgramEditor"));

    instruction.Memo()->SetLines(kDod);
    user_->FileNames = {Path("dodaj")};  // typed without an extension
    QVERIFY(instruction.Save(false));
    QCOMPARE(instruction.windowTitle(), Path("dodaj.rzk"));
    QVERIFY(!instruction.Modified());
    QCOMPARE(test::FileBytes(Path("dodaj.rzk")), ByteArray(EncodeTextLines(U8(kDod))));

    // Named now: "Zapisz" writes without asking; "save as" asks again.
    instruction.Memo()->append(QStringLiteral("\r\n// dopisek"));
    QVERIFY(instruction.Save(false));
    QVERIFY(test::FileBytes(Path("dodaj.rzk")).endsWith("// dopisek\r\n"));
    QVERIFY(!instruction.Save(true));  // cancelled
    QCOMPARE(instruction.windowTitle(), Path("dodaj.rzk"));
    QVERIFY(user_->Errors.isEmpty());
  }

  void aSaveDialogForAFolderThatCannotBeWrittenStartsInTheDocuments() {
    // A writable folder keeps the name where it is.
    QCOMPARE(SaveDialogStart(Path("dodaj.rzk")), Path("dodaj.rzk"));
    // The executable's folder of an installed application cannot be
    // written; a missing one stands in for it here (the tests may run as
    // root, who may write anywhere).
    const QString proposed = SaveDialogStart(Path("brak/folderu/Noname.rzk"));
    QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("Noname.rzk"));
    QVERIFY(QFileInfo(QFileInfo(proposed).absolutePath()).isDir());
    QVERIFY(!proposed.contains(QStringLiteral("brak")));
  }

  void aFailedSaveKeepsTheOldFileAndTheModifiedState() {
    const QString old = Path("stary.prg");
    test::WriteBytes(old, "stp\r\n");
    const struct {
      const char* name;
      QString text;
      QString target;
      std::optional<QMessageBox::StandardButton> utf8;  // the answer to "save in UTF-8?"
      int errors;
    } cases[] = {
        // Not written as "?": the question comes, and Cancel keeps all.
        {"character outside code page 1250", QStringLiteral("rst '中'"), old, QMessageBox::Cancel,
         0},
        {"folder that does not exist", QStringLiteral("stp"), Path("brak/nowy.prg"), std::nullopt,
         1},
        {"UTF-8 agreed, folder that does not exist", QStringLiteral("rst '中'"),
         Path("brak/nowy.prg"), QMessageBox::Yes, 1},
    };
    for (const auto& c : cases) {
      TFormProgramEditor editor(*core_);
      QVERIFY(editor.LoadFile(old));
      editor.SetFilePath(c.target);
      editor.Memo()->SetLines({c.text});
      user_->Questions.clear();
      if (c.utf8) user_->Answers = {*c.utf8};
      QVERIFY2(!editor.Save(false), c.name);
      QCOMPARE(user_->Errors.size(), c.errors);
      QCOMPARE(user_->Questions.size(), c.utf8 ? 1 : 0);
      user_->Errors.clear();
      QVERIFY2(editor.Modified(), c.name);
      QCOMPARE(editor.windowTitle(), c.target);
      QCOMPARE(editor.Encoding(), TTextEncoding::Cp1250);
      QCOMPARE(test::FileBytes(old), QByteArray("stp\r\n"));
    }
  }

  void theCloseQuestionAndItsAnswers() {
    const struct {
      const char* name;
      bool modify;
      QMessageBox::StandardButton answer;
      std::optional<QString> fileName;  // of the save dialog
      bool mayClose;
      bool written;
    } cases[] = {
        {"unmodified", false, QMessageBox::Cancel, std::nullopt, true, false},
        {"no", true, QMessageBox::No, std::nullopt, true, false},
        {"cancel", true, QMessageBox::Cancel, std::nullopt, false, false},
        {"yes, saved", true, QMessageBox::Yes, QStringLiteral("zapis.rzk"), true, true},
        // Cancelling the save dialog after Yes keeps the window and its text.
        {"yes, dialog cancelled", true, QMessageBox::Yes, std::nullopt, false, false},
        {"yes, save failed", true, QMessageBox::Yes, QStringLiteral("brak/zapis.rzk"), false,
         false},
    };
    for (const auto& c : cases) {
      TFormCommandEditor editor(*core_);
      if (c.modify) editor.Memo()->SetLines(kDod);
      user_->Questions.clear();
      user_->Answers = {c.answer};
      user_->FileNames = {c.fileName ? std::optional(Path(*c.fileName)) : std::nullopt};
      QCOMPARE(editor.CloseQuery(), c.mayClose);
      QCOMPARE(user_->Questions.size(), c.modify ? 1 : 0);
      if (c.modify)
        QCOMPARE(user_->Questions[0],
                 QStringLiteral("Plik Noname.rzk został zmodyfikowany. Zapisać ?"));
      QCOMPARE(QFile::exists(Path("zapis.rzk")), c.written);
      if (!c.mayClose) QCOMPARE(editor.Memo()->Lines(), kDod);
      QFile::remove(Path("zapis.rzk"));
      user_->Errors.clear();
    }
  }

  void filesInUtf8AndCodePage1250ReadAlike() {
    const QStringList text = {"// Łódź, żółć", "ROZKAZ ŁAD;", "czyt wys wei il;"};
    test::WriteBytes(Path("cp.rzk"), ByteArray(EncodeTextLines(U8(text))));
    test::WriteBytes(Path("utf.rzk"), text.join(QStringLiteral("\n")).toUtf8() + "\n");
    TFormCommandEditor cp(*core_);
    TFormCommandEditor utf(*core_);
    QVERIFY(cp.LoadFile(Path("cp.rzk")));
    QVERIFY(utf.LoadFile(Path("utf.rzk")));
    QCOMPARE(cp.Memo()->Lines(), text + QStringList{QString()});
    QCOMPARE(utf.Memo()->Lines(), cp.Memo()->Lines());
    QVERIFY(!cp.Modified());
    QVERIFY(!utf.Modified());
    QCOMPARE(Panel(cp, 0), QStringLiteral("     1:  1"));
    // Saving writes the encoding and the line ends that were read.
    utf.Memo()->setModified(true);
    QVERIFY(utf.Save(false));
    QCOMPARE(test::FileBytes(Path("utf.rzk")), text.join(QStringLiteral("\n")).toUtf8() + "\n");
    QVERIFY(cp.Save(false));
    QCOMPARE(test::FileBytes(Path("cp.rzk")), ByteArray(EncodeTextLines(U8(text))));

    TFormCommandEditor missing(*core_);
    QVERIFY(!missing.LoadFile(Path("nie-ma.rzk")));
    QCOMPARE(user_->Errors.size(), 1);
  }

  void compilingAnInstructionAddsItAndTellsTheViews() {
    TFormCommandEditor editor(*core_);
    editor.SetFilePath(Path("dod.rzk"));
    QStringList dod = kDod;
    dod[0] = QStringLiteral("ROZKAZ DOD;");
    editor.Memo()->SetLines(dod);
    QSignalSpy changed(core_, &TAppCore::InstructionsChanged);
    editor.ActionCompile->trigger();
    QCOMPARE(user_->Errors, QStringList());
    QCOMPARE(user_->Informations, QStringList{QStringLiteral("Rozkaz skompilowany pomyślnie")});
    QCOMPARE(Q(core_->Control().Instructions().At(1).Source()), dod);  // replaced in place
    QCOMPARE(changed.count(), 1);
    QVERIFY(!editor.Modified());  // saved before the compile
    QCOMPARE(test::FileBytes(Path("dod.rzk")), ByteArray(EncodeTextLines(U8(dod))));

    // A ninth instruction does not fit three code bits: the list keeps it
    // and says so, and the views hear of it all the same.
    editor.Memo()->SetLines(kDod);
    editor.ActionCompile->trigger();
    QCOMPARE(user_->Errors.size(), 1);
    QCOMPARE(user_->Informations.size(), 1);
    QCOMPARE(core_->Control().Instructions().IndexOf("dodaj"), 8);
    QCOMPARE(changed.count(), 2);
  }

  void aCompileErrorPutsTheCaretOnItsPlace() {
    const struct {
      QStringList text;
      QString message;
      int line;
      int column;
      QString marked;
    } cases[] = {
        {{"ROZKAZ X;", "czyt wys wei il;", "wyad wea", "zle;"},
         QStringLiteral("4:4  Nieoczekiwana nazwa sygnału: zle"),
         4,
         4,
         QStringLiteral("zle")},
        // The reader had passed the word at the end of line 3: the caret goes
        // to the start of line 4, the mark under that word.
        {{"ROZKAZ X;", "czyt wys wei il;", "wyad zle// komentarz", "wea;"},
         QStringLiteral("4:0  Nieoczekiwana nazwa sygnału: zle"),
         4,
         1,
         QStringLiteral("zle")},
        {{"ROZKAZ X;", "czyt wys wei il;", "DALEJ @nigdzie;"},
         QStringLiteral("3:15  Nieznana etykieta @nigdzie"),
         3,
         15,
         QStringLiteral("@nigdzie")},
        {{"ROZKAZ X;", "czyt wys wei il;", "wyad", "wei;"},
         QStringLiteral("4:4  Sygnał wei może wystąpić tylko w pierwszym takcie"),
         4,
         4,
         QStringLiteral("wei")},
    };
    for (const auto& c : cases) {
      TFormCommandEditor editor(*core_);
      editor.Memo()->SetLines(c.text);
      editor.Memo()->setModified(false);
      user_->Errors.clear();
      editor.ActionCompile->trigger();
      QCOMPARE(user_->Errors, QStringList{ErrorBoxText(c.message)});
      QCOMPARE(editor.CaretLine(), c.line);
      QCOMPARE(editor.Memo()->CaretColumn(), c.column);
      QCOMPARE(editor.ErrorMessage(), c.message);
      const auto [line, from, to] = editor.Memo()->ErrorMark();
      QCOMPARE(editor.Memo()->text(line).mid(from, to - from), c.marked);
      QCOMPARE(core_->Control().Instructions().Count(), 8);
      // The next edit takes the mark away.
      editor.Memo()->insert(QStringLiteral(" "));
      QCOMPARE(std::get<0>(editor.Memo()->ErrorMark()), -1);
      QCOMPARE(editor.ErrorMessage(), QString());
    }
    // An error at column 0 of line 4 puts the caret at the start of line 4.
    TFormCommandEditor editor(*core_);
    editor.Memo()->SetLines({"x", "y", "zz", "abc"});
    editor.Memo()->SetCaret(4, 0);
    QCOMPARE(editor.CaretLine(), 4);
    QCOMPARE(editor.Memo()->CaretColumn(), 1);
  }

  void compilingAModifiedNewProgramOffersToSaveFirst() {
    TFormProgramEditor editor(*core_);
    editor.Memo()->SetLines({"start: pob x", "stp", "x: rst 5"});
    editor.ActionCompile->trigger();  // the save dialog is cancelled
    QCOMPARE(user_->Informations, QStringList{QStringLiteral("Program został skompilowany")});
    QVERIFY(editor.Modified());
    QCOMPARE(core_->Machine().Memory().Word(0), 3u * 32 + 2);
    QCOMPARE(core_->Control().ProgramEditor(), &editor.Document());
    QCOMPARE(editor.Document().CurrentLine(), 1);

    // Unmodified: no dialog, no file.
    user_->FileNames = {Path("nie.prg")};
    editor.Memo()->setModified(false);
    editor.ActionCompile->trigger();
    QCOMPARE(user_->FileNames.size(), 1u);
  }

  void aCompileDuringARunStopsItAndCompilesAtOnce() {
    TFormProgramEditor editor(*core_);
    editor.Memo()->SetLines({"stp"});
    editor.Memo()->setModified(false);
    bool compiledDuringRun = false;
    bool running = true;
    core_->Run(&editor, [&] {
      editor.ActionCompile->trigger();
      compiledDuringRun = !user_->Informations.isEmpty();
      running = core_->RunInProgress();
      return TSliceEnd::Finished;
    });
    QVERIFY(compiledDuringRun);
    QVERIFY(!running);
    QVERIFY(!core_->Control().StopRequested());
    QCOMPARE(user_->Informations, QStringList{QStringLiteral("Program został skompilowany")});
  }

  void completionOffersSignalsAndMnemonics() {
    TFormCommandEditor instruction(*core_);
    TFormProgramEditor program(*core_);
    instruction.show();
    program.show();
    QVERIFY(QTest::qWaitForWindowExposed(&program));
    const auto offered = [](TSourceEditor* memo, const QString& typed) {
      memo->setFocus();
      for (QChar c : typed)
        QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_unknown, QString(c), Qt::NoModifier);
      if (memo->SendScintilla(QsciScintillaBase::SCI_AUTOCACTIVE) == 0) return QString();
      memo->SendScintilla(QsciScintillaBase::SCI_AUTOCCOMPLETE);
      return memo->Lines().join(u'|');
    };
    QCOMPARE(offered(instruction.Memo(), QStringLiteral("wyr")), QStringLiteral("wyrb"));
    QCOMPARE(offered(program.Memo(), QStringLiteral("ła")), QStringLiteral("ład"));
    // Nothing is offered for a word that is complete already.
    program.Memo()->clear();
    QCOMPARE(offered(program.Memo(), QStringLiteral("stp")), QString());
  }

  void findAndReplaceResultsAndMessages() {
    TFormCommandEditor editor(*core_);
    const QStringList text = {"czyt wys", "Czyt czytaj", "czyt;"};
    editor.Memo()->SetLines(text);
    editor.Memo()->setCursorPosition(0, 0);
    const auto selected = [&] {
      int l1, i1, l2, i2;
      editor.Memo()->getSelection(&l1, &i1, &l2, &i2);
      return QStringLiteral("%1:%2-%3").arg(l1 + 1).arg(i1 + 1).arg(i2 + 1);
    };
    const auto find = [&](const char* what, TSearchOptions options) {
      try {
        editor.FindNext(QString::fromUtf8(what), options);
        return selected();
      } catch (const EDorumError& e) {
        return Q(e.Message());
      }
    };
    // Forward from the caret, match after match.
    QCOMPARE(find("czyt", {}), QStringLiteral("1:1-5"));
    QCOMPARE(find("czyt", {}), QStringLiteral("2:1-5"));
    QCOMPARE(find("czyt", {true, false, false}), QStringLiteral("2:6-10"));
    QCOMPARE(find("czyt", {false, true, false}), QStringLiteral("3:1-5"));
    QCOMPARE(find("czyt", {}), QStringLiteral("Nie znaleziono szukanego tekstu"));
    // Backwards from the selection.
    QCOMPARE(find("czyt", {false, false, true}), QStringLiteral("2:6-10"));
    QCOMPARE(find("CZYT", {true, false, true}), QStringLiteral("Nie znaleziono szukanego tekstu"));
    QCOMPARE(find("", {}), QStringLiteral("Nie można szukać pustego tekstu"));
    QCOMPARE(editor.Memo()->Lines(), text);

    const auto replace = [&](const char* what, const char* with, TSearchOptions options, bool all) {
      try {
        editor.Replace(QString::fromUtf8(what), QString::fromUtf8(with), options, all);
        return editor.Memo()->Lines().join(u'|');
      } catch (const EDorumError& e) {
        return Q(e.Message());
      }
    };
    editor.Memo()->setCursorPosition(0, 0);
    QCOMPARE(replace("", "x", {}, false), QStringLiteral("Nie można zamieniać pustego tekstu"));
    QCOMPARE(replace("wys", "pisz", {}, false), QStringLiteral("czyt pisz|Czyt czytaj|czyt;"));
    QCOMPARE(replace("czyt", "c", {false, true, false}, true),
             QStringLiteral("czyt pisz|c czytaj|c;"));
    QCOMPARE(replace("wys", "x", {}, true), QStringLiteral("Nie znaleziono szukanego tekstu"));
    editor.Memo()->setCursorPosition(0, 0);
    QCOMPARE(replace("CZY", "ć", {}, true), QStringLiteral("ćt pisz|c ćtaj|c;"));
    editor.Memo()->undo();  // replace all is one step
    QCOMPARE(editor.Memo()->Lines().join(u'|'), QStringLiteral("czyt pisz|c czytaj|c;"));

    // Through the dialogs, the messages reach the error box.
    editor.ActionFind->trigger();
    QVERIFY(editor.FindDialog()->isVisible());
    editor.FindDialog()->SetText(QStringLiteral("brak"));
    editor.FindDialog()->FindNextButton->click();
    editor.ActionReplace->trigger();
    editor.ReplaceDialog()->SetText(QString());
    editor.ReplaceDialog()->ReplaceAllButton->click();
    QCOMPARE(user_->Errors, (QStringList{QStringLiteral("Nie znaleziono szukanego tekstu."),
                                         QStringLiteral("Nie można zamieniać pustego tekstu.")}));
  }

  void theReplaceDialogsBoxesEachTurnOnTheirOwnOption() {
    TFormCommandEditor editor(*core_);
    editor.Memo()->SetLines({"czyt Czyt czytaj"});
    editor.ActionReplace->trigger();
    TReplaceDialog* dialog = editor.ReplaceDialog();
    dialog->SetText(QStringLiteral("czyt"));
    dialog->ReplacementEdit->setText(QStringLiteral("x"));
    const auto replaceAll = [&](bool matchCase, bool wholeWord) {
      editor.Memo()->setCursorPosition(0, 0);
      dialog->MatchCase->setChecked(matchCase);
      dialog->WholeWord->setChecked(wholeWord);
      dialog->ReplaceAllButton->click();
      const QString result = editor.Memo()->Lines().join(u'|');
      editor.Memo()->undo();
      return result;
    };
    QCOMPARE(replaceAll(true, false), QStringLiteral("x Czyt xaj"));
    QCOMPARE(replaceAll(false, true), QStringLiteral("x x czytaj"));
    QCOMPARE(replaceAll(true, true), QStringLiteral("x Czyt czytaj"));
  }

  void ownKeysWinOverTheApplicationsShortcuts() {
    QMainWindow window;
    int appSaves = 0;
    auto* appSave = new QAction(QStringLiteral("Zapisz"), &window);
    appSave->setShortcut(Qt::Key_F2);
    appSave->setShortcutContext(Qt::ApplicationShortcut);
    connect(appSave, &QAction::triggered, [&] { ++appSaves; });
    window.addAction(appSave);
    auto* editor = new TFormProgramEditor(*core_);
    window.setCentralWidget(editor);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    editor->Memo()->setFocus();
    editor->Memo()->SetLines({"stp", "rpa"});

    QTest::keyClick(editor->Memo(), Qt::Key_F2);  // the editor's "Zapisz": its dialog
    QCOMPARE(appSaves, 0);
    QVERIFY(editor->Modified());  // the dialog was cancelled
    QTest::keyClick(editor->Memo(), Qt::Key_F8, Qt::ControlModifier);
    QCOMPARE(editor->Document().Debugger().Breakpoints(), std::vector<int>{1});
    editor->Memo()->clearFocus();
    QTest::keyClick(&window, Qt::Key_F2);
    QCOMPARE(appSaves, 1);

    // The context menu leads with the editor's commands and shows their keys.
    QStringList captions;
    for (QAction* a : editor->Memo()->OwnCommands())
      captions << a->text() + u'\t' + a->shortcut().toString();
    QCOMPARE(captions, (QStringList{"Znajdź\tCtrl+F", "Zamień\tCtrl+H", "Kompiluj\tCtrl+F9",
                                    "Zapisz\tF2", "Punkt zatrzymania\tCtrl+F8"}));
  }

  void theContextMenuIsTheEditorsOwnInPolish() {
    QWidget window;
    auto* editor = new TFormProgramEditor(*core_, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(editor);
    window.show();
    TSourceEditor* memo = editor->Memo();
    memo->setText(QStringLiteral("pob x"));
    QStringList shown;
    QStringList enabled;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const QString caption = action->text().remove(u'&');
        shown.append(caption);
        if (action->isEnabled()) enabled.append(caption);
      }
      for (QAction* action : menu->actions()) {
        if (action->text().remove(u'&') == u"Zaznacz wszystko") action->trigger();
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                            memo->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(memo, &event);
    QCOMPARE(shown,
             (QStringList{"Znajdź", "Zamień", "Kompiluj", "Zapisz", "Punkt zatrzymania", "Cofnij",
                          "Ponów", "Wytnij", "Kopiuj", "Wklej", "Usuń", "Zaznacz wszystko"}));
    // Nothing selected: nothing to cut, copy or delete.
    for (const char* greyed : {"Wytnij", "Kopiuj", "Usuń"})
      QVERIFY2(!enabled.contains(QString::fromUtf8(greyed)), greyed);
    QVERIFY(enabled.contains(QStringLiteral("Zaznacz wszystko")));
    QCOMPARE(memo->selectedText(), QStringLiteral("pob x"));
  }

  void theEditingEntriesAreGreyedByWhatTheTextAllows() {
    TSourceEditor memo(nullptr);
    // Each entry's key, and in which of the states below it is enabled:
    // e(mpty), t(ext), s(elected), d(eleted), u(ndone), r(ead-only, selected).
    const struct {
      const char* Caption;
      QKeySequence::StandardKey Key;
      const char* States;
    } entries[] = {
        {"&Cofnij", QKeySequence::Undo, "etsDur"},
        {"&Ponów", QKeySequence::Redo, "etsdUr"},
        {"Wy&tnij", QKeySequence::Cut, "etSdur"},
        {"&Kopiuj", QKeySequence::Copy, "etSduR"},
        {"Wk&lej", QKeySequence::Paste, "ETSDUr"},
        {"&Usuń", QKeySequence::Delete, "etSdur"},
        {"Zaznacz &wszystko", QKeySequence::SelectAll, "eTSDUR"},
    };
    QApplication::clipboard()->setText(QStringLiteral("dod x"));
    const auto check = [&](char state) {
      const std::unique_ptr<QMenu> menu = memo.ContextMenu();
      QStringList wrong;
      std::size_t row = 0;
      for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        if (row >= std::size(entries)) {
          wrong.append(QStringLiteral("extra ") + action->text());
          continue;
        }
        const auto& entry = entries[row++];
        const QChar letter = QChar::fromLatin1(state).toUpper();
        const bool enabled = QString::fromLatin1(entry.States).contains(letter);
        if (action->text() != QString::fromUtf8(entry.Caption) ||
            action->shortcut() != QKeySequence(entry.Key) || action->isEnabled() != enabled)
          wrong.append(action->text() + (action->isEnabled() ? " enabled" : " greyed"));
      }
      if (row != std::size(entries)) wrong.append(QStringLiteral("%1 entries").arg(row));
      return wrong.join(QStringLiteral(", "));
    };
    QCOMPARE(check('e'), QString());
    memo.setText(QStringLiteral("pob x"));
    memo.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    QCOMPARE(check('t'), QString());
    memo.setSelection(0, 0, 0, 3);
    QCOMPARE(check('s'), QString());
    memo.removeSelectedText();
    QCOMPARE(check('d'), QString());
    memo.undo();
    memo.setCursorPosition(0, 0);
    QCOMPARE(memo.text(), QStringLiteral("pob x"));
    QCOMPARE(check('u'), QString());
    memo.setSelection(0, 0, 0, 3);
    memo.setReadOnly(true);
    QCOMPARE(check('r'), QString());
  }

  void tabMovesTheFocusInAnInstructionAndIsTypedInAProgram() {
    QWidget window;
    auto* instruction = new TFormCommandEditor(*core_, &window);
    auto* program = new TFormProgramEditor(*core_, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(instruction);
    layout->addWidget(program);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    instruction->Memo()->setFocus();
    QTest::keyClick(instruction->Memo(), Qt::Key_Tab);
    QVERIFY(!instruction->Memo()->hasFocus());
    QCOMPARE(instruction->Memo()->text(), QString());
    program->Memo()->setFocus();
    QTest::keyClick(program->Memo(), Qt::Key_Tab);
    QCOMPARE(program->Memo()->text(), QStringLiteral("\t"));
    QVERIFY(program->Memo()->hasFocus());
  }

  void digitBookmarks() {
    TFormProgramEditor editor(*core_);
    editor.Memo()->SetLines({"a", "b", "c", "d"});
    editor.Memo()->setCursorPosition(2, 0);
    QTest::keyClick(editor.Memo(), Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor.Memo()->BookmarkLine(3), 3);
    QVERIFY(editor.Memo()->markersAtLine(2) & (1u << (TSourceEditor::kFirstBookmarkMarker + 3)));
    editor.Memo()->setCursorPosition(0, 0);
    QTest::keyClick(editor.Memo(), Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(editor.CaretLine(), 3);
    // A bookmark moves with its line; set again on its line it goes.
    editor.Memo()->insertAt(QStringLiteral("nowy\r\n"), 0, 0);
    QCOMPARE(editor.Memo()->BookmarkLine(3), 4);
    editor.Memo()->setCursorPosition(3, 0);
    QTest::keyClick(editor.Memo(), Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor.Memo()->BookmarkLine(3), -1);
  }

  // Each of the ten digits keeps its own bookmark, set with Shift whether the
  // layout reports the digit or the symbol over it, and found with the digit.
  void everyDigitSetsAndFindsItsOwnBookmark() {
    TFormProgramEditor editor(*core_);
    QStringList lines;
    for (int line = 0; line < 12; ++line) lines.append(QString::number(line));
    editor.Memo()->SetLines(lines);
    const Qt::Key symbols[] = {Qt::Key_ParenRight,  Qt::Key_Exclam,    Qt::Key_At,
                               Qt::Key_NumberSign,  Qt::Key_Dollar,    Qt::Key_Percent,
                               Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                               Qt::Key_ParenLeft};
    const auto shift = Qt::ControlModifier | Qt::ShiftModifier;
    for (int digit = 0; digit < 10; ++digit) {
      // Digit d on line d + 1, by its symbol; then taken off and set again
      // by the digit key itself.
      editor.Memo()->setCursorPosition(digit + 1, 0);
      QTest::keyClick(editor.Memo(), symbols[digit], shift);
      QCOMPARE(editor.Memo()->BookmarkLine(digit), digit + 2);
      QTest::keyClick(editor.Memo(), Qt::Key(Qt::Key_0 + digit), shift);
      QCOMPARE(editor.Memo()->BookmarkLine(digit), -1);
      QTest::keyClick(editor.Memo(), Qt::Key(Qt::Key_0 + digit), shift);
    }
    for (int digit = 9; digit >= 0; --digit) {
      editor.Memo()->setCursorPosition(0, 0);
      QTest::keyClick(editor.Memo(), Qt::Key(Qt::Key_0 + digit), Qt::ControlModifier);
      QCOMPARE(editor.CaretLine(), digit + 2);
    }
  }

  void theStatusBarFollowsTheCaretAndTheModes() {
    TFormCommandEditor editor(*core_);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QCOMPARE(Panel(editor, 0), QStringLiteral("     1:  1"));
    QCOMPARE(Panel(editor, 1), QString());
    QCOMPARE(Panel(editor, 2), QStringLiteral("Wstawianie"));
    QTest::keyClicks(editor.Memo(), QStringLiteral("ROZKAZ"));
    QTest::keyClick(editor.Memo(), Qt::Key_Return);
    QTest::keyClicks(editor.Memo(), QStringLiteral("ab"));
    QTRY_COMPARE(Panel(editor, 0), QStringLiteral("     2:  3"));
    QCOMPARE(Panel(editor, 1), QStringLiteral("Zmodyfikowane"));
    QTest::keyClick(editor.Memo(), Qt::Key_Insert);
    QCOMPARE(Panel(editor, 2), QStringLiteral("Nadpisywanie"));
    QTest::keyClick(editor.Memo(), Qt::Key_Up);  // a move alone is shown once painted
    QTRY_COMPARE(Panel(editor, 0), QStringLiteral("     1:  3"));
    editor.Memo()->setModified(false);
    QCOMPARE(Panel(editor, 1), QString());
  }

  void errorsAreMarkedAsYouTypeWithoutTouchingTheMachine() {
    TFormCommandEditor instruction(*core_);
    TFormProgramEditor program(*core_);
    core_->Machine().Register(TRegisterId::L).SetValue(5);
    const std::uint32_t word = core_->Machine().Memory().Word(0);

    instruction.Memo()->SetLines({"ROZKAZ NOWY;", "czyt wys wei il;", "DALEJ @brak;"});
    QTRY_COMPARE_WITH_TIMEOUT(instruction.ErrorMessage(),
                              QStringLiteral("3:12  Nieznana etykieta @brak"), 2000);
    QCOMPARE(instruction.Memo()->text(std::get<0>(instruction.Memo()->ErrorMark())),
             QStringLiteral("DALEJ @brak;"));
    QCOMPARE(core_->Control().Instructions().Count(), 8);

    program.Memo()->SetLines({"start: pob x", "dod y", "x: rst 5"});
    program.CheckNow();
    QCOMPARE(program.ErrorMessage(), QStringLiteral("3:0 Nie znaleziono etykiety y"));
    const auto [line, from, to] = program.Memo()->ErrorMark();
    QCOMPARE(program.Memo()->text(line).mid(from, to - from), QStringLiteral("y"));
    QCOMPARE(core_->Machine().Memory().Word(0), word);
    QCOMPARE(core_->Machine().Register(TRegisterId::L).Value(), 5);
    QCOMPARE(core_->Watches().Count(), 0);
    QCOMPARE(core_->Control().ProgramEditor(), nullptr);

    // A correct text clears the mark.
    program.Memo()->SetLines({"start: pob x", "x: rst 5"});
    program.CheckNow();
    QCOMPARE(program.ErrorMessage(), QString());
    QCOMPARE(std::get<0>(program.Memo()->ErrorMark()), -1);
  }
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
