#include <gtest/gtest.h>

#include "MachineTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/Error.h"
#include "common/ProfileFile.h"
#include "common/Text.h"

using namespace dorum;

using dorum::test::MessageOf;

TEST(StrToInt, AcceptsTheStandardForms) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"-42", -42},
      {"+7", 7},
      {"   12", 12},
      {"\t5", 5},
      {"$1F", 31},
      {"$ff", 255},
      {"x1f", 31},
      {"X1F", 31},
      {"0x10", 16},
      {"0X10", 16},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"007", 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToInt(QString::fromLatin1(c.text)), c.value) << c.text;
  }
}

TEST(StrToInt, RejectsEverythingElseWithTheStandardMessage) {
  const char* bad[] = {"",  "abc", "12a",        "12 ",         "- 1",        "$",   "0x",
                       "x", "--1", "2147483648", "-2147483649", "$100000000", "1.5", "+"};
  for (const char* text : bad) {
    const QString t = QString::fromLatin1(text);
    EXPECT_EQ(MessageOf([&] { (void)StrToInt(t); }),
              QStringLiteral("'%1' is not a valid integer value").arg(t))
        << text;
  }
}

// Digits of other scripts are digits to Unicode but not in a number.
TEST(StrToInt, OnlyAsciiDigitsAreDigits) {
  for (const char16_t* text :
       {u"\u0663", u"1\u0663", u"\u0966", u"\uFF13", u"-\u0661", u"$\u0661"}) {
    const QString t = QString::fromUtf16(text);
    EXPECT_EQ(MessageOf([&] { (void)StrToInt(t); }),
              QStringLiteral("'%1' is not a valid integer value").arg(t))
        << t.toStdString();
  }
}

TEST(CodePage1250, EveryByteRoundTrips) {
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(CharToCp1250(Cp1250ToChar(static_cast<std::uint8_t>(code))), code) << code;
  }
  EXPECT_EQ(CharToCp1250(QChar(u'ą')), 0xB9);
  EXPECT_EQ(CharToCp1250(QChar(u'Ł')), 0xA3);
  EXPECT_EQ(CharToCp1250(QChar(u'€')), 0x80);
  EXPECT_EQ(CharToCp1250(QChar(u'ж')), -1);
  EXPECT_EQ(CharToCp1250OrQuestion(QChar(u'ж')), '?');
}

TEST(LowerCase, CoversAsciiAndPolishLetters) {
  EXPECT_EQ(LowerCase(QStringLiteral("ROZKAZ DOD;")), QStringLiteral("rozkaz dod;"));
  EXPECT_EQ(LowerCase(QStringLiteral("ĄĆĘŁŃÓŚŹŻ")), QStringLiteral("ąćęłńóśźż"));
  EXPECT_EQ(LowerCase(QStringLiteral("JEŻELI Z TO @Ujemne")),
            QStringLiteral("jeżeli z to @ujemne"));
  // Letters the code page cannot hold are left alone.
  EXPECT_EQ(LowerCase(QStringLiteral("ЖΩ")), QStringLiteral("ЖΩ"));
}

TEST(TextLines, SplitAtEveryKindOfLineBreak) {
  const struct {
    QByteArray bytes;
    QStringList lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\n", {""}},
      {"a\n\n", {"a", ""}},
      {"a\n\rb", {"a", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeTextLines(c.bytes), c.lines) << c.bytes.toStdString();
}

TEST(TextLines, ChooseTheEncoding) {
  // Code page 1250 bytes for "żółw".
  EXPECT_EQ(DecodeTextLines(QByteArray("\xBF\xF3\xB3w")), QStringList{QStringLiteral("żółw")});
  // The same word saved by a modern editor.
  EXPECT_EQ(DecodeTextLines(QStringLiteral("żółw").toUtf8()), QStringList{QStringLiteral("żółw")});
  EXPECT_EQ(DecodeTextLines(QByteArray("\xEF\xBB\xBFok\r\n")), QStringList{QStringLiteral("ok")});
}

TEST(TextLines, EncodeInCodePage1250WithCrLf) {
  EXPECT_EQ(EncodeTextLines({QStringLiteral("żółw"), QString()}),
            QByteArray("\xBF\xF3\xB3w\r\n\r\n"));
  EXPECT_EQ(MessageOf([] {
              (void)EncodeTextLines({QStringLiteral("ab"), QStringLiteral("ж")});
            }),
            QStringLiteral("Znaku 'ж' (U+0436) nie można zapisać w stronie kodowej 1250"));
}

TEST(TextFiles, WriteReadAndKeepTheOldFileOnFailure) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("prog.prg"));
  const QStringList lines = {QStringLiteral("ROZKAZ DOD;"), QStringLiteral("  // zażółć"),
                             QString()};
  WriteTextFile(path, lines);
  EXPECT_EQ(ReadTextFile(path), lines);

  // A line the code page cannot hold is reported and the file stays as it was.
  EXPECT_FALSE(MessageOf([&] { WriteTextFile(path, {QStringLiteral("ж")}); }).isEmpty());
  EXPECT_EQ(ReadTextFile(path), lines);
  // Files the system refuses: FileErrorTest.
}

namespace {

// "żółw" and a character beyond the basic plane, in UTF-16 with its mark.
QByteArray Utf16(const QString& text, bool bigEndian) {
  QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
  for (const QChar c : text) {
    const char high = static_cast<char>(c.unicode() >> 8);
    const char low = static_cast<char>(c.unicode() & 0xFF);
    bytes.append(bigEndian ? high : low);
    bytes.append(bigEndian ? low : high);
  }
  return bytes;
}

const QString kMixed = QStringLiteral("żółw \U0001F600\r\nROZKAZ ŁAD;\r\n");

}  // namespace

TEST(TextEncodings, EachIsRecognisedAndSavedBackByteForByte) {
  const struct {
    const char* name;
    QByteArray bytes;
    TTextEncoding encoding;
    QStringList lines;
  } cases[] = {
      {"code page 1250", "\xBF\xF3\xB3w\r\n", TTextEncoding::Cp1250, {"żółw"}},
      {"plain ASCII", "stp\r\n", TTextEncoding::Cp1250, {"stp"}},
      {"UTF-8", QStringLiteral("żółw\r\n").toUtf8(), TTextEncoding::Utf8, {"żółw"}},
      {"UTF-8 with its mark",
       "\xEF\xBB\xBF" + kMixed.toUtf8(),
       TTextEncoding::Utf8WithBom,
       {QStringLiteral("żółw \U0001F600"), "ROZKAZ ŁAD;"}},
      {"UTF-16LE",
       Utf16(kMixed, false),
       TTextEncoding::Utf16Le,
       {QStringLiteral("żółw \U0001F600"), "ROZKAZ ŁAD;"}},
      {"UTF-16BE",
       Utf16(kMixed, true),
       TTextEncoding::Utf16Be,
       {QStringLiteral("żółw \U0001F600"), "ROZKAZ ŁAD;"}},
  };
  for (const auto& c : cases) {
    const TDecodedText text = DecodeText(c.bytes);
    EXPECT_EQ(text.Encoding, c.encoding) << c.name;
    EXPECT_EQ(text.Lines, c.lines) << c.name;
    EXPECT_EQ(EncodeText(text.Lines, text.Encoding), c.bytes) << c.name;
  }
}

TEST(TextEncodings, AByteOrderMarkAloneIsAnEmptyText) {
  EXPECT_EQ(DecodeText("\xFF\xFE").Lines, QStringList());
  EXPECT_EQ(DecodeText("\xFE\xFF").Encoding, TTextEncoding::Utf16Be);
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF").Encoding, TTextEncoding::Utf8WithBom);
}

TEST(TextEncodings, ANulCharacterIsRefusedWithItsLine) {
  const QString nul =
      QStringLiteral("w wierszu 2 jest znak NUL (bajt zerowy); to nie jest plik tekstowy");
  const QByteArray withNul("stp\r\nrst 1\0dalszy tekst\r\n", 25);
  EXPECT_EQ(MessageOf([&] { (void)DecodeText(withNul); }), nul);
  EXPECT_EQ(MessageOf([&] { (void)DecodeText("\xEF\xBB\xBF" + withNul); }), nul);
  QString utf16 = QStringLiteral("żółw\nab");
  utf16[6] = QChar(u'\0');
  EXPECT_EQ(MessageOf([&] { (void)DecodeText(Utf16(utf16, false)); }), nul);
  EXPECT_EQ(MessageOf([&] { (void)DecodeText(Utf16(utf16, true)); }), nul);
  // A NUL at the very start, before any line break, is on the first line.
  EXPECT_TRUE(MessageOf([] { (void)DecodeText(QByteArray(1, '\0')); }).contains(u"wierszu 1 "));
}

TEST(TextEncodings, BytesThatAreNoTextInTheMarkedEncodingAreRefused) {
  const auto message = [](const char* encoding, int line) {
    return QStringLiteral(
               "plik zaczyna się znacznikiem kodowania %1, ale w wierszu %2 ma bajty, "
               "które nie są w nim poprawnym tekstem")
        .arg(QString::fromLatin1(encoding))
        .arg(line);
  };
  const struct {
    const char* name;
    QByteArray bytes;
    QString message;
  } cases[] = {
      {"bad UTF-8 sequence", "\xEF\xBB\xBFstp\r\nab\xC0\xAF\r\n", message("UTF-8", 2)},
      {"UTF-8 cut short", "\xEF\xBB\xBFstp\r\n\r\n\xC5", message("UTF-8", 3)},
      {"odd UTF-16 length", Utf16(QStringLiteral("a\nb"), false) + 'c', message("UTF-16LE", 2)},
      {"unpaired high surrogate",
       Utf16(QStringLiteral("a\n") + QChar(0xD83D) + QStringLiteral("b"), true),
       message("UTF-16BE", 2)},
      {"unpaired low surrogate", Utf16(QString(QChar(0xDE00)) + QStringLiteral("\na"), false),
       message("UTF-16LE", 1)},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageOf([&] { (void)DecodeText(c.bytes); }), c.message);
  // Without a mark, bytes that are no UTF-8 are code page 1250 text.
  EXPECT_EQ(DecodeText("ab\xC0\xAF").Encoding, TTextEncoding::Cp1250);
}

TEST(TextEncodings, CharactersOutsideCodePage1250AreFound) {
  EXPECT_EQ(FirstCharOutsideCp1250({QStringLiteral("żółw"), QStringLiteral("€")}), std::nullopt);
  EXPECT_EQ(FirstCharOutsideCp1250({QStringLiteral("ok"), QStringLiteral("aжb中")}), QChar(u'ж'));
}

TEST(TextFiles, AFileThatIsNoTextIsRefusedByNameAndEachEncodingIsWrittenBack) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("nul.rzk"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray("ROZKAZ X;\r\n\0\r\n", 14));
  file.close();
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(path); }),
            QStringLiteral("Nie można wczytać pliku ") + path +
                QStringLiteral(": w wierszu 2 jest znak NUL (bajt zerowy); to nie jest plik "
                               "tekstowy"));

  const QStringList lines = {QStringLiteral("żółw \u0436"), QString()};
  for (const TTextEncoding encoding : {TTextEncoding::Utf8, TTextEncoding::Utf8WithBom,
                                       TTextEncoding::Utf16Le, TTextEncoding::Utf16Be}) {
    WriteTextFile(path, lines, encoding);
    const TDecodedText read = ReadEncodedTextFile(path);
    EXPECT_EQ(read.Lines, lines);
    EXPECT_EQ(read.Encoding, encoding);
  }
}

// A file comes back with the line ends it was read with: an editor on
// another system must not find every line of its file changed by a save.
TEST(TextLineEnds, EachFileIsSavedBackWithItsOwnLineEnds) {
  const struct {
    const char* name;
    QByteArray bytes;
    TLineEnd lineEnd;
  } cases[] = {
      {"LF", "ROZKAZ X;\n\xBF\xF3\xB3w\n\n", TLineEnd::Lf},
      {"CR LF", "ROZKAZ X;\r\n\xBF\xF3\xB3w\r\n\r\n", TLineEnd::CrLf},
      {"CR", "ROZKAZ X;\r\xBF\xF3\xB3w\r\r", TLineEnd::Cr},
      {"UTF-8 with LF", QStringLiteral("żółw\nstp\n").toUtf8(), TLineEnd::Lf},
      {"UTF-16LE with LF", Utf16(QStringLiteral("żółw\nstp\n"), false), TLineEnd::Lf},
  };
  for (const auto& c : cases) {
    const TDecodedText text = DecodeText(c.bytes);
    EXPECT_EQ(text.LineEnd, c.lineEnd) << c.name;
    EXPECT_EQ(EncodeText(text.Lines, text.Encoding, text.LineEnd), c.bytes) << c.name;
  }
  // A file that mixes them is saved with its first; one without a line
  // break, like a new file, with CR LF.
  EXPECT_EQ(DecodeText("a\nb\r\nc\rd").LineEnd, TLineEnd::Lf);
  EXPECT_EQ(DecodeText("a\r\nb\nc").LineEnd, TLineEnd::CrLf);
  EXPECT_EQ(DecodeText("stp").LineEnd, TLineEnd::CrLf);
  EXPECT_EQ(DecodeText("").LineEnd, TLineEnd::CrLf);

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("lf.prg"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("stp\n// koniec\n");
  file.close();
  TDecodedText read = ReadEncodedTextFile(path);
  read.Lines.append(QStringLiteral("rst 1"));
  WriteTextFile(path, read.Lines, read.Encoding, read.LineEnd);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("stp\n// koniec\nrst 1\n"));
}

// A list saved over a list file keeps that file's line ends and encoding;
// a new list file gets code page 1250 and CR LF.
TEST(TextLineEnds, AProfileFileIsSavedAsItWasRead) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("lista.lst"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QStringLiteral("[Opcje]\nAdres=5\n[dod]\nLinia1=// żółw\n").toUtf8());
  file.close();
  TProfileFile profile = TProfileFile::Load(path);
  profile.WriteInteger(QStringLiteral("Opcje"), QStringLiteral("Kod"), 3);
  profile.WriteString(QStringLiteral("dod"), QStringLiteral("Linia2"), QStringLiteral("ж"));
  profile.Save(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(file.readAll()),
            QStringLiteral("[Opcje]\nAdres=5\nKod=3\n[dod]\nLinia1=// żółw\nLinia2=ж\n"));
  file.close();

  const QString fresh = dir.filePath(QStringLiteral("nowa.lst"));
  TProfileFile created = TProfileFile::Load(fresh);
  created.WriteString(QStringLiteral("Opcje"), QStringLiteral("Uwaga"), QStringLiteral("żółw"));
  created.Save(fresh);
  QFile freshFile(fresh);
  ASSERT_TRUE(freshFile.open(QIODevice::ReadOnly));
  EXPECT_EQ(freshFile.readAll(), QByteArray("[Opcje]\r\nUwaga=\xBF\xF3\xB3w\r\n"));
}
