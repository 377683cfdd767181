#include "OutputFile.h"

#include <cerrno>

#include "CoreText.h"
#include "common/Text.h"

namespace dorum::cli {

void TOutputFile::TBuffer::Fail(int error) noexcept {
  // The first refusal is the cause; later ones follow from it.
  if (error_ == 0) error_ = error != 0 ? error : EIO;
}

auto TOutputFile::TBuffer::overflow(int_type c) -> int_type {
  errno = 0;
  const int_type result = std::filebuf::overflow(c);
  if (traits_type::eq_int_type(result, traits_type::eof())) Fail(errno);
  return result;
}

std::streamsize TOutputFile::TBuffer::xsputn(const char_type* s, std::streamsize n) {
  errno = 0;
  const std::streamsize written = std::filebuf::xsputn(s, n);
  if (written < n) Fail(errno);
  return written;
}

int TOutputFile::TBuffer::sync() {
  errno = 0;
  const int result = std::filebuf::sync();
  if (result != 0) Fail(errno);
  return result;
}

bool TOutputFile::Open(const QString& path) {
  path_ = path;
  errno = 0;
  if (buffer_.open(path.toStdString(), std::ios::out | std::ios::trunc) != nullptr) return true;
  buffer_.Fail(errno);
  return false;
}

bool TOutputFile::Flush() {
  stream_.flush();
  return stream_.good() && buffer_.Error() == 0;
}

QString TOutputFile::Reason() const {
  return Q(FileErrorReason(buffer_.Error(), U8(path_), TFileAccess::Write));
}

}  // namespace dorum::cli
