// Files in the editors as other editors leave them: a file that is no text
// is refused before any window shows it, UTF-16 opens and goes back as
// UTF-16, and a character code page 1250 cannot hold is not saved as "?".
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <memory>

#include "AppCore.h"
#include "CoreText.h"
#include "FormCommandEditor.h"
#include "FormMain.h"
#include "FormProgramEditor.h"
#include "GuiTestSupport.h"
#include "common/Text.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

// A program as Notepad saves it as "Unicode": UTF-16LE with its mark.
const QByteArray kUtf16Program(
    "\xFF\xFE"
    "s\0t\0p\0\r\0\n\0/\0/\0 \0\x7C\x01\xF3\0\x42\x01w\0\r\0\n\0",
    30);

}  // namespace

class FileEncodingTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TDesktop> app_;
  TAppCore* core_ = nullptr;
  test::TDialogScript* user_ = nullptr;
  TFormMain* main_ = nullptr;
  std::unique_ptr<QTemporaryDir> dir_;

  [[nodiscard]] QString Path(const QString& name) const { return dir_->filePath(name); }

 private Q_SLOTS:
  void init() {
    app_ = std::make_unique<test::TDesktop>();
    core_ = &app_->Core;
    user_ = &app_->User;
    main_ = app_->Main.get();
    dir_ = std::make_unique<QTemporaryDir>();
  }
  void cleanup() {
    dir_.reset();
    app_.reset();
  }

  void aFileWithANulByteIsRefusedAndNoWindowShowsPartOfIt() {
    const QByteArray bytes("stp\r\nrst 1\0rst 2\r\n", 18);
    test::WriteBytes(Path("nul.prg"), bytes);
    const qsizetype windows = main_->Windows().size();
    QVERIFY(main_->OpenFile(Path("nul.prg")) == nullptr);
    QCOMPARE(main_->Windows().size(), windows);
    QCOMPARE(user_->Errors.size(), 1);
    QVERIFY2(user_->Errors[0].startsWith(QStringLiteral("Nie można wczytać pliku ") +
                                         Path("nul.prg") + QStringLiteral(": w wierszu 2 ")),
             qPrintable(user_->Errors[0]));
    QVERIFY(user_->Errors[0].contains(QStringLiteral("NUL")));
    QCOMPARE(test::FileBytes(Path("nul.prg")), bytes);

    // An editor asked to read it keeps the text it had.
    TFormCommandEditor editor(*core_);
    editor.Memo()->SetLines({QStringLiteral("ROZKAZ X;")});
    QVERIFY(!editor.LoadFile(Path("nul.prg")));
    QCOMPARE(editor.Memo()->Lines(), QStringList{QStringLiteral("ROZKAZ X;")});
    QVERIFY(editor.FilePath().isEmpty());
  }

  void aUtf8FileWithBytesThatAreNoTextIsRefused() {
    test::WriteBytes(Path("zly.rzk"), "\xEF\xBB\xBFROZKAZ X;\r\n\xFF\xFE\r\n");
    QVERIFY(main_->OpenFile(Path("zly.rzk")) == nullptr);
    QCOMPARE(user_->Errors.size(), 1);
    QVERIFY(user_->Errors[0].contains(QStringLiteral("UTF-8")));
    QVERIFY(user_->Errors[0].contains(Path("zly.rzk")));
  }

  void aUtf16FileOpensAsTextAndIsSavedBackAsUtf16() {
    for (const bool bigEndian : {false, true}) {
      QByteArray bytes = kUtf16Program;
      if (bigEndian) {
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
      }
      const QString path = Path(bigEndian ? QStringLiteral("be.prg") : QStringLiteral("le.prg"));
      test::WriteBytes(path, bytes);
      TFormCommandEditor* editor = main_->OpenFile(path);
      QVERIFY(editor != nullptr);
      QCOMPARE(editor->Memo()->Lines(),
               (QStringList{QStringLiteral("stp"), QStringLiteral("// żółw"), QString()}));
      // One character typed, then F2: the file is UTF-16 again, mark and all.
      editor->Memo()->setCursorPosition(0, 3);
      test::Type(editor->Memo(), QStringLiteral("ж"));
      QTest::keyClick(editor->Memo(), Qt::Key_F2);
      QVERIFY(!editor->Modified());
      QVERIFY(user_->Questions.isEmpty());
      const QByteArray saved = test::FileBytes(path);
      QVERIFY(saved.startsWith(bigEndian ? "\xFE\xFF" : "\xFF\xFE"));
      const TDecodedText read = DecodeText(Bytes(saved));
      QCOMPARE(read.Encoding, bigEndian ? TTextEncoding::Utf16Be : TTextEncoding::Utf16Le);
      QCOMPARE(Q(read.Lines), (QStringList{QStringLiteral("stpж"), QStringLiteral("// żółw")}));
    }
    QVERIFY(user_->Errors.isEmpty());
  }

  void aCharacterCodePage1250CannotHoldAsksForUtf8AndCancelKeepsAll() {
    const QString path = Path("cp.rzk");
    const QByteArray bytes = ByteArray(EncodeTextLines({"ROZKAZ ŁAD;"}));
    test::WriteBytes(path, bytes);
    TFormCommandEditor* editor = main_->OpenFile(path);
    QVERIFY(editor != nullptr);
    editor->Memo()->setCursorPosition(1, 0);
    test::Type(editor->Memo(), QStringLiteral("// ж"));
    const QStringList typed = editor->Memo()->Lines();

    // F2, then Ctrl+F9, which saves first: each asks, Cancel writes nothing.
    user_->Answers = {QMessageBox::Cancel, QMessageBox::Cancel};
    QTest::keyClick(editor->Memo(), Qt::Key_F2);
    QTest::keyClick(editor->Memo(), Qt::Key_F9, Qt::ControlModifier);
    QCOMPARE(user_->Questions.size(), 2);
    QCOMPARE(user_->Questions[0],
             QStringLiteral("Znaku 'ж' (U+0436) w pliku ") + QDir::toNativeSeparators(path) +
                 QStringLiteral(" nie można zapisać w stronie kodowej 1250. Zapisać plik w "
                                "kodowaniu UTF-8?"));
    QCOMPARE(editor->Memo()->Lines(), typed);
    QVERIFY(editor->Modified());
    QCOMPARE(test::FileBytes(path), bytes);
    QCOMPARE(editor->Encoding(), TTextEncoding::Cp1250);

    // Yes: UTF-8, and from then on without asking.
    user_->Answers = {QMessageBox::Yes};
    QTest::keyClick(editor->Memo(), Qt::Key_F2);
    QVERIFY(!editor->Modified());
    QCOMPARE(test::FileBytes(path), QStringLiteral("ROZKAZ ŁAD;\r\n// ж\r\n").toUtf8());
    test::Type(editor->Memo(), QStringLiteral("ю"));
    QTest::keyClick(editor->Memo(), Qt::Key_F2);
    QCOMPARE(user_->Questions.size(), 3);
    QCOMPARE(DecodeText(Bytes(test::FileBytes(path))).Encoding, TTextEncoding::Utf8);
  }

  // A character beyond 16 bits is named whole in the question, not by the
  // first half of its UTF-16 pair.
  void aCharacterBeyondSixteenBitsIsNamedWhole() {
    const QString path = Path("emoji.rzk");
    TFormCommandEditor editor(*core_);
    editor.SetFilePath(path);
    editor.Memo()->SetLines({QStringLiteral("// 😀")});
    user_->Answers = {QMessageBox::Cancel};
    QVERIFY(!editor.Save(false));
    QCOMPARE(user_->Questions.size(), 1);
    QVERIFY2(user_->Questions[0].startsWith(QStringLiteral("Znaku '😀' (U+1f600) w pliku ")),
             qPrintable(user_->Questions[0]));
    QVERIFY(!QFile::exists(path));
  }

  // A file written on a system with LF line ends goes back with LF, one
  // with CR LF with CR LF, whatever is typed in it; a new text gets CR LF.
  void aSaveKeepsTheLineEndsOfTheFileItRead() {
    const struct {
      const char* name;
      QByteArray read;
      QByteArray saved;
    } files[] = {
        {"lf.prg", "stp\n// koniec\n", "stpx\n// koniec\n"},
        {"crlf.prg", "stp\r\n// koniec\r\n", "stpx\r\n// koniec\r\n"},
    };
    for (const auto& f : files) {
      const QString path = Path(QString::fromLatin1(f.name));
      test::WriteBytes(path, f.read);
      TFormCommandEditor* editor = main_->OpenFile(path);
      QVERIFY(editor != nullptr);
      editor->Memo()->setCursorPosition(0, 3);
      test::Type(editor->Memo(), QStringLiteral("x"));
      QTest::keyClick(editor->Memo(), Qt::Key_F2);
      QVERIFY(!editor->Modified());
      QCOMPARE(test::FileBytes(path), f.saved);
    }

    TFormProgramEditor* fresh = main_->NewProgram();
    test::Type(fresh->Memo(), QStringLiteral("stp"));
    user_->FileNames = {Path("nowy.prg")};
    QVERIFY(fresh->Save(false));
    QCOMPARE(test::FileBytes(Path("nowy.prg")), QByteArray("stp\r\n"));
    QVERIFY(user_->Errors.isEmpty());
  }

  // What the system refuses is told in Polish, with its own text after it,
  // and the text in the editor stays as it was.
  void aFileTheSystemRefusesIsToldWhyAndNothingIsLost() {
    const auto reason = test::SystemReason;
    const QString folder = dir_->path();
    QVERIFY(main_->OpenFile(folder) == nullptr);
    QCOMPARE(user_->Errors.value(0),
             QStringLiteral("Nie można odczytać pliku %1: %2")
                 .arg(folder, reason("w miejscu pliku jest folder", EISDIR)));

    user_->FileNames = {folder};
    app_->Action("ActionLoadList")->trigger();
    QCOMPARE(user_->Errors.value(1), user_->Errors.value(0));

    TFormProgramEditor* editor = main_->NewProgram();
    test::Type(editor->Memo(), QStringLiteral("stp"));
    const QString nowhere = Path("nie/ma/nowy.prg");
    user_->FileNames = {nowhere};
    QVERIFY(!editor->Save(false));
    QCOMPARE(user_->Errors.value(2),
             QStringLiteral("Nie można zapisać pliku %1: %2")
                 .arg(nowhere, reason("nie ma takiego pliku ani folderu", ENOENT)));
    QVERIFY(editor->Modified());
    QCOMPARE(editor->Memo()->Lines().value(0), QStringLiteral("stp"));
    QCOMPARE(user_->Errors.size(), 3);
  }

  void aNewTextIsAskedAboutAfterItsNameAndCancelKeepsItUnnamed() {
    TFormProgramEditor* editor = main_->NewProgram();
    test::Type(editor->Memo(), QStringLiteral("rst '中'"));
    user_->FileNames = {Path("nowy.prg")};
    user_->Answers = {QMessageBox::Cancel};
    QVERIFY(!editor->Save(false));
    QCOMPARE(user_->Questions.size(), 1);
    QVERIFY(!QFile::exists(Path("nowy.prg")));
    QCOMPARE(editor->windowTitle(), QStringLiteral("Noname.prg"));
    QVERIFY(editor->FilePath().isEmpty());
    QVERIFY(editor->Modified());
    QVERIFY(user_->Errors.isEmpty());
  }
};

QTEST_MAIN(FileEncodingTest)
#include "FileEncodingTest.moc"
