#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace dorum {

// The system's plain error: a failure that carries only its (Polish) message.
// Positioned syntax errors derive from it.
class EDorumError : public std::exception {
 public:
  explicit EDorumError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

  [[nodiscard]] const QString& Message() const noexcept { return message_; }
  [[nodiscard]] const char* what() const noexcept override { return utf8_.constData(); }

 private:
  QString message_;
  QByteArray utf8_;
};

}  // namespace dorum
