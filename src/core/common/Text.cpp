#include "common/Text.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <array>
#include <cerrno>

#include "common/Error.h"
#include "common/Texts.h"

namespace dorum {

namespace {

// Upper half of code page 1250. The five codes the code page leaves undefined
// map to the control characters of the same number, so every byte reads back.
constexpr std::array<char16_t, 128> kCp1250High = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t';
}

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

bool IsValidUtf8(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  [[maybe_unused]] const QString text = decoder.decode(bytes);
  return !decoder.hasError();
}

bool HasNonAscii(const QByteArray& bytes) {
  for (const char b : bytes) {
    if (static_cast<unsigned char>(b) >= 0x80) return true;
  }
  return false;
}

QStringList SplitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text.at(i);
    if (c != u'\r' && c != u'\n') continue;
    lines.append(text.mid(start, i - start));
    if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.append(text.mid(start));
  return lines;
}

TLineEnd FirstLineEnd(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) == u'\n') return TLineEnd::Lf;
    if (text.at(i) == u'\r')
      return i + 1 < text.size() && text.at(i + 1) == u'\n' ? TLineEnd::CrLf : TLineEnd::Cr;
  }
  return TLineEnd::CrLf;
}

QString LineEndText(TLineEnd lineEnd) {
  switch (lineEnd) {
    case TLineEnd::Lf:
      return QStringLiteral("\n");
    case TLineEnd::Cr:
      return QStringLiteral("\r");
    case TLineEnd::CrLf:
      break;
  }
  return QStringLiteral("\r\n");
}

// The 1-based line of a position in a text, by the line breaks of SplitLines.
int LineAt(const QString& text, qsizetype position) {
  int line = 1;
  for (qsizetype i = 0; i < position && i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == u'\n' || (c == u'\r' && (i + 1 >= text.size() || text.at(i + 1) != u'\n'))) ++line;
  }
  return line;
}

// A text as decoded so far; ErrorAt is where the first bytes that are no
// text in its encoding stand, or -1.
struct TRawText {
  QString Text;
  TTextEncoding Encoding = TTextEncoding::Cp1250;
  qsizetype ErrorAt = -1;
};

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16LeBom("\xFF\xFE");
const QByteArray kUtf16BeBom("\xFE\xFF");

TRawText DecodeUtf8(const QByteArray& bytes, TTextEncoding encoding) {
  TRawText raw{QString::fromUtf8(bytes), encoding, -1};
  if (IsValidUtf8(bytes)) return raw;
  // Fed byte by byte, the decoder says where the first bad sequence is; a
  // sequence cut short by the end of the file is only noticed there.
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString decoded;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    decoded += QString(decoder.decode(QByteArrayView(bytes).sliced(i, 1)));
    if (decoder.hasError()) break;
  }
  raw.ErrorAt = decoded.size();
  return raw;
}

// By hand: the toolkit's decoder takes an unpaired surrogate or an odd last
// byte silently.
TRawText DecodeUtf16(const QByteArray& bytes, TTextEncoding encoding) {
  const bool bigEndian = encoding == TTextEncoding::Utf16Be;
  TRawText raw{QString(), encoding, -1};
  raw.Text.reserve(bytes.size() / 2);
  const auto unit = [&](qsizetype i) {
    const auto first = static_cast<std::uint8_t>(bytes[i]);
    const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
    return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  };
  for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t u = unit(i);
    if (QChar::isLowSurrogate(u)) break;
    if (QChar::isHighSurrogate(u)) {
      if (i + 3 >= bytes.size() || !QChar::isLowSurrogate(unit(i + 2))) break;
      raw.Text.append(QChar(u));
      i += 2;
      raw.Text.append(QChar(unit(i)));
      continue;
    }
    raw.Text.append(QChar(u));
  }
  if (raw.Text.size() * 2 != bytes.size()) raw.ErrorAt = raw.Text.size();
  return raw;
}

TRawText DecodeRaw(const QByteArray& bytes) {
  if (bytes.startsWith(kUtf8Bom))
    return DecodeUtf8(bytes.sliced(kUtf8Bom.size()), TTextEncoding::Utf8WithBom);
  if (bytes.startsWith(kUtf16LeBom))
    return DecodeUtf16(bytes.sliced(kUtf16LeBom.size()), TTextEncoding::Utf16Le);
  if (bytes.startsWith(kUtf16BeBom))
    return DecodeUtf16(bytes.sliced(kUtf16BeBom.size()), TTextEncoding::Utf16Be);
  if (HasNonAscii(bytes) && IsValidUtf8(bytes))
    return {QString::fromUtf8(bytes), TTextEncoding::Utf8, -1};
  return {DecodeCp1250(bytes), TTextEncoding::Cp1250, -1};
}

QByteArray EncodeUtf16(const QString& text, bool bigEndian) {
  QByteArray bytes = bigEndian ? kUtf16BeBom : kUtf16LeBom;
  bytes.reserve(bytes.size() + text.size() * 2);
  for (const QChar c : text) {
    const auto high = static_cast<char>(c.unicode() >> 8);
    const auto low = static_cast<char>(c.unicode() & 0xFF);
    bytes.append(bigEndian ? high : low);
    bytes.append(bigEndian ? low : high);
  }
  return bytes;
}

// The causes users meet, in their words; the system's own text follows.
struct TCauseText {
  std::errc Cause;
  const char16_t* Text;
};
constexpr std::array<TCauseText, 9> kCauseTexts = {{
    {std::errc::no_such_file_or_directory, u"nie ma takiego pliku ani folderu"},
    {std::errc::not_a_directory, u"część ścieżki nie jest folderem"},
    {std::errc::is_a_directory, u"w miejscu pliku jest folder"},
    {std::errc::permission_denied, u"brak uprawnień"},
    {std::errc::operation_not_permitted, u"brak uprawnień"},
    {std::errc::read_only_file_system, u"system plików jest tylko do odczytu"},
    {std::errc::no_space_on_device, u"brak miejsca na dysku"},
    {std::errc::filename_too_long, u"za długa nazwa pliku"},
    {std::errc::io_error, u"błąd wejścia-wyjścia urządzenia"},
}};

// By the stored bits alone: the toolkit's "user" bit asks the system
// whether we may write, which is another question.
bool HasWriteBit(const QFileInfo& info) {
  return (info.permissions() &
          (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)) != 0;
}

QString CauseText(std::error_code cause, const QFileInfo& info, TFileAccess access) {
  // Refused a write, a file or folder nobody may write to says more than
  // "no permission" does.
  if (access == TFileAccess::Write && cause == std::errc::permission_denied) {
    if (info.exists() && !HasWriteBit(info)) return Texts::FileReadOnly();
    const QFileInfo folder(info.absolutePath());
    if (folder.isDir() && !HasWriteBit(folder)) return Texts::FolderReadOnly();
  }
  for (const TCauseText& c : kCauseTexts) {
    if (cause == c.Cause) return QString::fromUtf16(c.Text);
  }
  return Texts::OperatingSystemError();
}

// The toolkit's error when the failed call left no errno.
std::optional<std::errc> ToolkitCause(const QFileDevice& file, TFileAccess access) {
  switch (file.error()) {
    case QFileDevice::ResourceError:
      // The toolkit's name for a full disk when writing.
      if (access == TFileAccess::Write) return std::errc::no_space_on_device;
      return std::nullopt;
    case QFileDevice::PermissionsError:
      return std::errc::permission_denied;
    default:
      return std::nullopt;
  }
}

[[noreturn]] void RaiseCannotWrite(const QFileDevice& file, int errorNumber) {
  throw EDorumError(Texts::CannotWriteFile(file.fileName(),
                                           FileErrorReason(file, errorNumber, TFileAccess::Write)));
}

void WriteInto(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) RaiseCannotWrite(file, errno);
  errno = 0;
  if (file.write(bytes) != bytes.size() || !file.flush()) RaiseCannotWrite(file, errno);
}

}  // namespace

QString FileErrorReason(std::error_code cause, const QString& path, TFileAccess access) {
  const QFileInfo info(path);
  // The toolkit finds a folder by itself, and leaves errno as it was.
  if (info.isDir()) cause = std::make_error_code(std::errc::is_a_directory);
  return QStringLiteral("%1 (%2)").arg(CauseText(cause, info, access),
                                       QString::fromLocal8Bit(cause.message()));
}

QString FileErrorReason(int errorNumber, const QString& path, TFileAccess access) {
  return FileErrorReason(std::error_code(errorNumber, std::generic_category()), path, access);
}

QString FileErrorReason(const QFileDevice& file, int errorNumber, TFileAccess access) {
  const QString path = file.fileName();
  if (errorNumber != 0 || QFileInfo(path).isDir())
    return FileErrorReason(errorNumber, path, access);
  if (const std::optional<std::errc> cause = ToolkitCause(file, access))
    return FileErrorReason(std::make_error_code(*cause), path, access);
  return QStringLiteral("%1 (%2)").arg(Texts::OperatingSystemError(), file.errorString());
}

void RequireReadableFile(const QString& path) {
  const QFileInfo info(path);
  // Opened to learn why not, a pipe would wait for a writer.
  if (info.exists() && !info.isFile() && !info.isDir())
    throw EDorumError(Texts::CannotReadFile(path, Texts::NotARegularFile()));
  QFile file(path);
  errno = 0;
  if (!file.open(QIODevice::ReadOnly))
    throw EDorumError(Texts::CannotReadFile(path, FileErrorReason(file, errno, TFileAccess::Read)));
}

QChar Cp1250ToChar(std::uint8_t code) {
  if (code < 0x80) return QChar(static_cast<char16_t>(code));
  return QChar(kCp1250High[code - 0x80]);
}

int CharToCp1250(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return u;
  for (std::size_t i = 0; i < kCp1250High.size(); ++i) {
    if (kCp1250High[i] == u) return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::uint8_t CharToCp1250OrQuestion(QChar c) {
  const int code = CharToCp1250(c);
  return static_cast<std::uint8_t>(code < 0 ? '?' : code);
}

QString DecodeCp1250(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size());
  for (const char b : bytes) text.append(Cp1250ToChar(static_cast<std::uint8_t>(b)));
  return text;
}

QByteArray EncodeCp1250(const QString& text) {
  QByteArray bytes;
  bytes.reserve(text.size());
  for (const QChar c : text) {
    const int code = CharToCp1250(c);
    if (code < 0) throw EDorumError(Texts::CharacterNotInCodePage(c));
    bytes.append(static_cast<char>(code));
  }
  return bytes;
}

QChar LowerChar(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return (u >= u'A' && u <= u'Z') ? QChar(static_cast<char16_t>(u + 32)) : c;
  if (!c.isUpper() || CharToCp1250(c) < 0) return c;
  const QChar lower = c.toLower();
  return CharToCp1250(lower) < 0 ? c : lower;
}

QString LowerCase(const QString& text) {
  QString result = text;
  for (QChar& c : result) c = LowerChar(c);
  return result;
}

bool TryStrToInt(const QString& text, std::int32_t& value) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && IsBlank(text.at(i))) ++i;
  bool negative = false;
  if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
    negative = text.at(i) == u'-';
    ++i;
  }
  bool hex = false;
  if (i < n && (text.at(i) == u'$' || text.at(i) == u'x' || text.at(i) == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text.at(i) == u'0' &&
             (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  std::uint64_t magnitude = 0;
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < n; ++i) {
    const int digit =
        hex ? HexDigit(text.at(i))
            : (text.at(i).isDigit() && text.at(i).unicode() < 0x80 ? text.at(i).unicode() - u'0'
                                                                   : -1);
    if (digit < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) return false;
  }
  auto bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  value = static_cast<std::int32_t>(bits);
  return true;
}

std::int32_t StrToInt(const QString& text) {
  std::int32_t value = 0;
  if (!TryStrToInt(text, value)) throw EDorumError(Texts::NotValidInteger(text));
  return value;
}

QString EncodingName(TTextEncoding encoding) {
  switch (encoding) {
    case TTextEncoding::Cp1250:
      return QStringLiteral("Windows-1250");
    case TTextEncoding::Utf8:
    case TTextEncoding::Utf8WithBom:
      return QStringLiteral("UTF-8");
    case TTextEncoding::Utf16Le:
      return QStringLiteral("UTF-16LE");
    case TTextEncoding::Utf16Be:
      return QStringLiteral("UTF-16BE");
  }
  return {};
}

TDecodedText DecodeText(const QByteArray& bytes) {
  const TRawText raw = DecodeRaw(bytes);
  if (raw.ErrorAt >= 0) {
    throw EDorumError(
        Texts::BytesNotInEncoding(EncodingName(raw.Encoding), LineAt(raw.Text, raw.ErrorAt)));
  }
  if (const qsizetype nul = raw.Text.indexOf(QChar(u'\0')); nul >= 0)
    throw EDorumError(Texts::NulInText(LineAt(raw.Text, nul)));
  return {SplitLines(raw.Text), raw.Encoding, FirstLineEnd(raw.Text)};
}

QStringList DecodeTextLines(const QByteArray& bytes) {
  return DecodeText(bytes).Lines;
}

QByteArray EncodeText(const QStringList& lines, TTextEncoding encoding, TLineEnd lineEnd) {
  const QString end = LineEndText(lineEnd);
  QString text;
  for (const QString& line : lines) text += line + end;
  switch (encoding) {
    case TTextEncoding::Cp1250:
      break;
    case TTextEncoding::Utf8:
      return text.toUtf8();
    case TTextEncoding::Utf8WithBom:
      return kUtf8Bom + text.toUtf8();
    case TTextEncoding::Utf16Le:
    case TTextEncoding::Utf16Be:
      return EncodeUtf16(text, encoding == TTextEncoding::Utf16Be);
  }
  return EncodeCp1250(text);
}

QByteArray EncodeTextLines(const QStringList& lines) {
  return EncodeText(lines, TTextEncoding::Cp1250);
}

std::optional<QChar> FirstCharOutsideCp1250(const QStringList& lines) {
  for (const QString& line : lines) {
    for (const QChar c : line) {
      if (CharToCp1250(c) < 0) return c;
    }
  }
  return std::nullopt;
}

QByteArray ReadFileBytes(const QString& path) {
  QFile file(path);
  const auto cannotRead = [&](int errorNumber) {
    return EDorumError(
        Texts::CannotReadFile(path, FileErrorReason(file, errorNumber, TFileAccess::Read)));
  };
  errno = 0;
  if (!file.open(QIODevice::ReadOnly)) throw cannotRead(errno);
  // One byte past the limit tells a file that is too large from one that
  // just fills it; /dev/zero or an endless pipe would otherwise take all
  // the memory there is.
  errno = 0;
  QByteArray bytes = file.read(kMaxFileBytes + 1);
  if (file.error() != QFileDevice::NoError) throw cannotRead(errno);
  if (bytes.size() > kMaxFileBytes) {
    throw EDorumError(
        Texts::CannotReadFile(path, Texts::FileTooLarge(static_cast<int>(kMaxFileBytes >> 20))));
  }
  return bytes;
}

TDecodedText ReadEncodedTextFile(const QString& path) {
  const QByteArray bytes = ReadFileBytes(path);
  try {
    return DecodeText(bytes);
  } catch (const EDorumError& e) {
    throw EDorumError(Texts::CannotLoadFile(path, e.Message()));
  }
}

QStringList ReadTextFile(const QString& path) {
  return ReadEncodedTextFile(path).Lines;
}

void WriteTextFile(const QString& path, const QStringList& lines, TTextEncoding encoding,
                   TLineEnd lineEnd) {
  // Raises before the file is touched.
  WriteFileBytes(path, EncodeText(lines, encoding, lineEnd));
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  const QFileInfo info(path);
  // Put in place of a device, a new file would be no device any more.
  if (info.exists() && !info.isFile() && !info.isDir()) {
    WriteInto(path, bytes);
    return;
  }
  // errno is read right after the call that failed: the toolkit's own
  // error is coarser, and its text English.
  QSaveFile file(path);
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) RaiseCannotWrite(file, errno);
  errno = 0;
  if (file.write(bytes) != bytes.size() || !file.commit()) RaiseCannotWrite(file, errno);
}

}  // namespace dorum
