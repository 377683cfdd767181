#include "common/Text.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

#include "common/Error.h"
#include "common/Texts.h"

#if __has_include(<unistd.h>)
#include <unistd.h>
#define DORUM_HAS_FSYNC 1
#endif

namespace dorum {

namespace fs = std::filesystem;

namespace {

// Upper half of code page 1250. The five codes the code page leaves undefined
// map to the control characters of the same number, so every byte reads back.
constexpr std::array<char32_t, 128> kCp1250High = {
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

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool HasNonAscii(std::string_view bytes) {
  for (const char b : bytes) {
    if (static_cast<unsigned char>(b) >= 0x80) return true;
  }
  return false;
}

TLines SplitLines(std::string_view text) {
  TLines lines;
  std::size_t start = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.emplace_back(text.substr(start));
  return lines;
}

TLineEnd FirstLineEnd(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') return TLineEnd::Lf;
    if (text[i] == '\r')
      return i + 1 < text.size() && text[i + 1] == '\n' ? TLineEnd::CrLf : TLineEnd::Cr;
  }
  return TLineEnd::CrLf;
}

std::string_view LineEndText(TLineEnd lineEnd) {
  switch (lineEnd) {
    case TLineEnd::Lf:
      return "\n";
    case TLineEnd::Cr:
      return "\r";
    case TLineEnd::CrLf:
      break;
  }
  return "\r\n";
}

// The 1-based line of a position in a text, by the line breaks of SplitLines.
int LineAt(std::string_view text, std::size_t position) {
  int line = 1;
  for (std::size_t i = 0; i < position && i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  }
  return line;
}

// A text as decoded so far; ErrorAt is where in it the first bytes that are
// no text in its encoding stand.
struct TRawText {
  std::string Text;
  TTextEncoding Encoding = TTextEncoding::Cp1250;
  std::optional<std::size_t> ErrorAt;
};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

TRawText DecodeUtf8(std::string_view bytes, TTextEncoding encoding) {
  std::size_t valid = 0;
  if (IsValidUtf8(bytes, &valid)) return {std::string(bytes), encoding, std::nullopt};
  // A sequence cut short by the end of the file is noticed there.
  return {std::string(bytes.substr(0, valid)), encoding, valid};
}

bool IsHighSurrogate(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// An unpaired surrogate or an odd last byte is no text.
TRawText DecodeUtf16(std::string_view bytes, TTextEncoding encoding) {
  const bool bigEndian = encoding == TTextEncoding::Utf16Be;
  TRawText raw{std::string(), encoding, std::nullopt};
  raw.Text.reserve(bytes.size() / 2);
  const auto unit = [&](std::size_t i) {
    const auto first = static_cast<std::uint8_t>(bytes[i]);
    const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
    return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t u = unit(i);
    if (IsLowSurrogate(u)) break;
    if (IsHighSurrogate(u)) {
      if (i + 3 >= bytes.size() || !IsLowSurrogate(unit(i + 2))) break;
      AppendChar(raw.Text, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 2) - 0xDC00));
      i += 2;
      continue;
    }
    AppendChar(raw.Text, u);
  }
  if (i != bytes.size()) raw.ErrorAt = raw.Text.size();
  return raw;
}

TRawText DecodeRaw(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom))
    return DecodeUtf8(bytes.substr(kUtf8Bom.size()), TTextEncoding::Utf8WithBom);
  if (bytes.starts_with(kUtf16LeBom))
    return DecodeUtf16(bytes.substr(kUtf16LeBom.size()), TTextEncoding::Utf16Le);
  if (bytes.starts_with(kUtf16BeBom))
    return DecodeUtf16(bytes.substr(kUtf16BeBom.size()), TTextEncoding::Utf16Be);
  if (HasNonAscii(bytes) && IsValidUtf8(bytes))
    return {std::string(bytes), TTextEncoding::Utf8, std::nullopt};
  return {DecodeCp1250(bytes), TTextEncoding::Cp1250, std::nullopt};
}

void AppendUtf16Unit(std::string& bytes, char32_t unit, bool bigEndian) {
  const auto high = static_cast<char>(unit >> 8);
  const auto low = static_cast<char>(unit & 0xFF);
  bytes.push_back(bigEndian ? high : low);
  bytes.push_back(bigEndian ? low : high);
}

std::string EncodeUtf16(std::string_view text, bool bigEndian) {
  std::string bytes(bigEndian ? kUtf16BeBom : kUtf16LeBom);
  bytes.reserve(bytes.size() + text.size() * 2);
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = NextChar(text, i);
    if (c < 0x10000) {
      AppendUtf16Unit(bytes, c, bigEndian);
    } else {
      AppendUtf16Unit(bytes, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
      AppendUtf16Unit(bytes, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
    }
  }
  return bytes;
}

fs::path PathOf(const std::string& path) {
  return fs::path(std::u8string(path.begin(), path.end()));
}

// By the stored bits alone: whether we may write is another question.
bool HasWriteBit(const fs::path& path) {
  std::error_code ignored;
  const fs::perms perms = fs::status(path, ignored).permissions();
  return (perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) !=
         fs::perms::none;
}

bool IsDirectory(const fs::path& path) {
  std::error_code ignored;
  return fs::is_directory(path, ignored);
}

bool Exists(const fs::path& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

// Something that is there and is neither a file nor a folder: a device, a
// pipe, a socket.
bool IsSpecial(const fs::path& path) {
  std::error_code ignored;
  const fs::file_status status = fs::status(path, ignored);
  return fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

std::string CauseText(std::error_code cause, const fs::path& path, TFileAccess access) {
  // Refused a write, a file or folder nobody may write to says more than
  // "no permission" does.
  if (access == TFileAccess::Write && cause == std::errc::permission_denied) {
    if (Exists(path) && !HasWriteBit(path)) return Texts::FileReadOnly();
    const fs::path folder = fs::absolute(path).parent_path();
    if (IsDirectory(folder) && !HasWriteBit(folder)) return Texts::FolderReadOnly();
  }
  if (std::string text = Texts::FileErrorCause(cause); !text.empty()) return text;
  return Texts::OperatingSystemError();
}

struct TCloseFile {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, TCloseFile>;

TFile OpenFile(const std::string& path, const char* mode) {
  return TFile(std::fopen(PathOf(path).c_str(), mode));
}

[[noreturn]] void RaiseCannotWrite(const std::string& path, int errorNumber) {
  throw EDorumError(
      Texts::CannotWriteFile(path, FileErrorReason(errorNumber, path, TFileAccess::Write)));
}

// Every byte written and on its way to the disk, or errno as it was left.
int WriteAll(std::FILE* file, std::string_view bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0)
    return errno == 0 ? EIO : errno;
  return 0;
}

void WriteInto(const std::string& path, std::string_view bytes) {
  errno = 0;
  const TFile file = OpenFile(path, "wb");
  if (!file) RaiseCannotWrite(path, errno);
  if (const int error = WriteAll(file.get(), bytes); error != 0) RaiseCannotWrite(path, error);
}

// Where a link leads, so that saving through it replaces what it names.
fs::path FinalTarget(const fs::path& path) {
  std::error_code error;
  const fs::path target = fs::canonical(path, error);
  return error ? path : target;
}

// A new file beside the target; nobody else's, as it is created exclusively.
std::pair<fs::path, TFile> CreateTemporaryBeside(const fs::path& target) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0;; ++attempt) {
    fs::path temporary = target;
    temporary += "." + ToText(static_cast<std::uint64_t>(random()), 36, 6);
    errno = 0;
    TFile file(std::fopen(temporary.c_str(), "wbx"));
    if (file || errno != EEXIST || attempt == 100) return {temporary, std::move(file)};
  }
}

bool SyncToDisk([[maybe_unused]] std::FILE* file) {
#ifdef DORUM_HAS_FSYNC
  return ::fsync(::fileno(file)) == 0;
#else
  return true;
#endif
}

// A file that exists must be writable, as it is its contents that change.
int RefusalToReplace(const fs::path& target) {
  if (!Exists(target)) return 0;
  errno = 0;
  // Opened to append, which needs the right to write and nothing more.
  if (TFile(std::fopen(target.c_str(), "ab"))) return 0;
  return errno;
}

void ReplaceFile(const std::string& path, std::string_view bytes) {
  const fs::path target = FinalTarget(PathOf(path));
  if (const int refusal = RefusalToReplace(target); refusal != 0) RaiseCannotWrite(path, refusal);
  auto [temporary, file] = CreateTemporaryBeside(target);
  if (!file) RaiseCannotWrite(path, errno);
  std::error_code ignored;
  if (Exists(target))
    fs::permissions(temporary, fs::status(target, ignored).permissions(), ignored);
  int error = WriteAll(file.get(), bytes);
  if (error == 0 && !SyncToDisk(file.get())) error = errno;
  // A file system may report a failed write only when the file is closed.
  if (std::fclose(file.release()) != 0 && error == 0) error = errno == 0 ? EIO : errno;
  std::error_code renamed;
  if (error == 0) fs::rename(temporary, target, renamed);
  if (error != 0 || renamed) {
    fs::remove(temporary, ignored);
    RaiseCannotWrite(path, error != 0 ? error : renamed.value());
  }
}

}  // namespace

std::string FileErrorReason(std::error_code cause, const std::string& path, TFileAccess access) {
  const fs::path file = PathOf(path);
  // Opened as a file, a folder may leave another errno, or none.
  if (IsDirectory(file)) cause = std::make_error_code(std::errc::is_a_directory);
  if (!cause) cause = std::make_error_code(std::errc::io_error);
  return CauseText(cause, file, access) + " (" + cause.message() + ")";
}

std::string FileErrorReason(int errorNumber, const std::string& path, TFileAccess access) {
  return FileErrorReason(std::error_code(errorNumber, std::generic_category()), path, access);
}

void RequireReadableFile(const std::string& path) {
  // Opened to learn why not, a pipe would wait for a writer.
  if (IsSpecial(PathOf(path)))
    throw EDorumError(Texts::CannotReadFile(path, Texts::NotARegularFile()));
  errno = 0;
  const TFile file = OpenFile(path, "rb");
  if (!file || IsDirectory(PathOf(path))) {
    throw EDorumError(Texts::CannotReadFile(path, FileErrorReason(errno, path, TFileAccess::Read)));
  }
}

char32_t Cp1250ToChar(std::uint8_t code) {
  if (code < 0x80) return code;
  return kCp1250High[code - 0x80];
}

int CharToCp1250(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  for (std::size_t i = 0; i < kCp1250High.size(); ++i) {
    if (kCp1250High[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::uint8_t CharToCp1250OrQuestion(char32_t c) {
  const int code = CharToCp1250(c);
  return static_cast<std::uint8_t>(code < 0 ? '?' : code);
}

std::string DecodeCp1250(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char b : bytes) AppendChar(text, Cp1250ToChar(static_cast<std::uint8_t>(b)));
  return text;
}

std::string EncodeCp1250(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = NextChar(text, i);
    const int code = CharToCp1250(c);
    if (code < 0) throw EDorumError(Texts::CharacterNotInCodePage(c));
    bytes.push_back(static_cast<char>(code));
  }
  return bytes;
}

// The upper-case letters of the code page with their lower-case forms.
struct TLetterCase {
  char32_t Upper;
  char32_t Lower;
};
constexpr std::array<TLetterCase, 40> kCp1250Cases = {{
    {0x0160, 0x0161}, {0x015A, 0x015B}, {0x0164, 0x0165}, {0x017D, 0x017E}, {0x0179, 0x017A},
    {0x0141, 0x0142}, {0x0104, 0x0105}, {0x015E, 0x015F}, {0x017B, 0x017C}, {0x013D, 0x013E},
    {0x0154, 0x0155}, {0x00C1, 0x00E1}, {0x00C2, 0x00E2}, {0x0102, 0x0103}, {0x00C4, 0x00E4},
    {0x0139, 0x013A}, {0x0106, 0x0107}, {0x00C7, 0x00E7}, {0x010C, 0x010D}, {0x00C9, 0x00E9},
    {0x0118, 0x0119}, {0x00CB, 0x00EB}, {0x011A, 0x011B}, {0x00CD, 0x00ED}, {0x00CE, 0x00EE},
    {0x010E, 0x010F}, {0x0110, 0x0111}, {0x0143, 0x0144}, {0x0147, 0x0148}, {0x00D3, 0x00F3},
    {0x00D4, 0x00F4}, {0x0150, 0x0151}, {0x00D6, 0x00F6}, {0x0158, 0x0159}, {0x016E, 0x016F},
    {0x00DA, 0x00FA}, {0x0170, 0x0171}, {0x00DC, 0x00FC}, {0x00DD, 0x00FD}, {0x0162, 0x0163},
}};

char32_t LowerChar(char32_t c) {
  if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
  for (const TLetterCase& letter : kCp1250Cases) {
    if (letter.Upper == c) return letter.Lower;
  }
  return c;
}

std::string LowerCase(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {  // most text is ASCII; no need to decode it
      result.push_back(b >= 'A' && b <= 'Z' ? static_cast<char>(b + 32) : static_cast<char>(b));
      ++i;
      continue;
    }
    const std::size_t start = i;
    const char32_t c = NextChar(text, i);
    const char32_t lower = LowerChar(c);
    if (lower == c) {
      result.append(text.substr(start, i - start));  // kept byte for byte, even when not UTF-8
    } else {
      AppendChar(result, lower);
    }
  }
  return result;
}

bool TryStrToInt(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  std::uint64_t magnitude = 0;
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < n; ++i) {
    const int digit =
        hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) return false;
  }
  auto bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  value = static_cast<std::int32_t>(bits);
  return true;
}

std::int32_t StrToInt(std::string_view text) {
  std::int32_t value = 0;
  if (!TryStrToInt(text, value)) throw EDorumError(Texts::NotValidInteger(text));
  return value;
}

std::string EncodingName(TTextEncoding encoding) {
  switch (encoding) {
    case TTextEncoding::Cp1250:
      return "Windows-1250";
    case TTextEncoding::Utf8:
    case TTextEncoding::Utf8WithBom:
      return "UTF-8";
    case TTextEncoding::Utf16Le:
      return "UTF-16LE";
    case TTextEncoding::Utf16Be:
      return "UTF-16BE";
  }
  return {};
}

TDecodedText DecodeText(std::string_view bytes) {
  const TRawText raw = DecodeRaw(bytes);
  if (raw.ErrorAt) {
    throw EDorumError(
        Texts::BytesNotInEncoding(EncodingName(raw.Encoding), LineAt(raw.Text, *raw.ErrorAt)));
  }
  if (const std::size_t nul = raw.Text.find('\0'); nul != std::string::npos)
    throw EDorumError(Texts::NulInText(LineAt(raw.Text, nul)));
  return {SplitLines(raw.Text), raw.Encoding, FirstLineEnd(raw.Text)};
}

TLines DecodeTextLines(std::string_view bytes) {
  return DecodeText(bytes).Lines;
}

std::string EncodeText(const TLines& lines, TTextEncoding encoding, TLineEnd lineEnd) {
  const std::string_view end = LineEndText(lineEnd);
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += end;
  }
  switch (encoding) {
    case TTextEncoding::Cp1250:
      break;
    case TTextEncoding::Utf8:
      return text;
    case TTextEncoding::Utf8WithBom:
      return std::string(kUtf8Bom) + text;
    case TTextEncoding::Utf16Le:
    case TTextEncoding::Utf16Be:
      return EncodeUtf16(text, encoding == TTextEncoding::Utf16Be);
  }
  return EncodeCp1250(text);
}

std::string EncodeTextLines(const TLines& lines) {
  return EncodeText(lines, TTextEncoding::Cp1250);
}

std::optional<char32_t> FirstCharOutsideCp1250(const TLines& lines) {
  for (const std::string& line : lines) {
    for (std::size_t i = 0; i < line.size();) {
      const char32_t c = NextChar(line, i);
      if (CharToCp1250(c) < 0) return c;
    }
  }
  return std::nullopt;
}

std::string ReadFileBytes(const std::string& path) {
  const auto cannotRead = [&](int errorNumber) {
    return EDorumError(
        Texts::CannotReadFile(path, FileErrorReason(errorNumber, path, TFileAccess::Read)));
  };
  errno = 0;
  const TFile file = OpenFile(path, "rb");
  if (!file) throw cannotRead(errno);
  // One byte past the limit tells a file that is too large from one that
  // just fills it; /dev/zero or an endless pipe would otherwise take all
  // the memory there is.
  std::string bytes;
  char buffer[65536];
  while (bytes.size() <= kMaxFileBytes) {
    errno = 0;
    const std::size_t wanted = std::min(sizeof buffer, kMaxFileBytes + 1 - bytes.size());
    const std::size_t got = std::fread(buffer, 1, wanted, file.get());
    bytes.append(buffer, got);
    if (std::ferror(file.get()) != 0) throw cannotRead(errno == 0 ? EIO : errno);
    if (got < wanted) break;
  }
  if (bytes.size() > kMaxFileBytes) {
    throw EDorumError(
        Texts::CannotReadFile(path, Texts::FileTooLarge(static_cast<int>(kMaxFileBytes >> 20))));
  }
  return bytes;
}

TDecodedText ReadEncodedTextFile(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  try {
    return DecodeText(bytes);
  } catch (const EDorumError& e) {
    throw EDorumError(Texts::CannotLoadFile(path, e.Message()));
  }
}

TLines ReadTextFile(const std::string& path) {
  return ReadEncodedTextFile(path).Lines;
}

void WriteTextFile(const std::string& path, const TLines& lines, TTextEncoding encoding,
                   TLineEnd lineEnd) {
  // Raises before the file is touched.
  WriteFileBytes(path, EncodeText(lines, encoding, lineEnd));
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  // Put in place of a device, a new file would be no device any more.
  if (IsSpecial(PathOf(path))) {
    WriteInto(path, bytes);
    return;
  }
  ReplaceFile(path, bytes);
}

}  // namespace dorum
