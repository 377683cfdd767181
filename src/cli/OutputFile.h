#pragma once

#include <QString>
#include <fstream>
#include <ostream>

namespace dorum::cli {

// A file written through a stream while a run goes on. It keeps the
// system's reason for the first write refused: by the time the run ends and
// the failure is reported, errno has long been overwritten.
class TOutputFile {
 public:
  TOutputFile() = default;
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;
  ~TOutputFile() = default;

  // Creates or empties the file; false, with the reason kept, when it cannot.
  [[nodiscard]] bool Open(const QString& path);
  [[nodiscard]] std::ostream& Stream() noexcept { return stream_; }
  // Writes out what waits; false when any write was refused.
  [[nodiscard]] bool Flush();
  // Why the system refused, in the messages' words.
  [[nodiscard]] QString Reason() const;

 private:
  class TBuffer final : public std::filebuf {
   public:
    [[nodiscard]] int Error() const noexcept { return error_; }
    void Fail(int error) noexcept;

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char_type* s, std::streamsize n) override;
    int sync() override;

   private:
    int error_ = 0;
  };

  QString path_;
  TBuffer buffer_;
  std::ostream stream_{&buffer_};
};

}  // namespace dorum::cli
