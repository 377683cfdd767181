#include <gtest/gtest.h>

#include "MachineTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/Error.h"
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

  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(dir.filePath(QStringLiteral("none.prg"))); }),
            QStringLiteral("Nie można odczytać pliku ") + dir.filePath(QStringLiteral("none.prg")));
  EXPECT_TRUE(MessageOf([&] {
                WriteTextFile(dir.filePath(QStringLiteral("no/such/dir/x.prg")), lines);
              }).startsWith(QStringLiteral("Nie można zapisać pliku ")));
}
